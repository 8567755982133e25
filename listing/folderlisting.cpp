#include "listing/folderlisting.h"

#include "listing/keptbytes.h"
#include "listing/workers.h"
#include "platform/filetexts.h"
#include "platform/fonts.h"
#include "platform/rastercanvas.h"
#include "platform/sjis.h"
#include "render/codepage.h"
#include "render/numbers.h"

#include <QCollator>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <mutex>
#include <numeric>

namespace plavik {

namespace {

constexpr std::size_t kNameBytes = 8;
// The most of a name file read for its first line.
constexpr std::size_t kNameLineBytes = 256;

// The bytes up to the first NUL, decoded without a double-byte character cut at the end.
QString DecodeUpToNul(std::string_view bytes) {
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    return DecodeSjis(bytes.substr(0, WholeCharacterBytes(bytes, bytes.size())));
}

QString ErrorText(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

// Kept bytes take no more than the thumbnails will (so the two together take about as much as the
// thumbnails alone), or this much for a short list.
constexpr std::size_t kMinKeptBytes = std::size_t{16} << 20;

// What reading and checking one file found.
struct Checked {
    int result = -1;
    FileFormat format = FileFormat::Jwk; // by the file's content first, its name second
    std::optional<QString> error;
    FileStamp stamp;
    KeptBytes::Kept kept; // the file's bytes, when it was read whole and is to be drawn
};

WorkerReports PumpingReports(ListingObserver* observer) {
    WorkerReports reports;
    if (observer)
        reports.pump = [observer] { observer->Pump(); };
    return reports;
}

// The indexes of the scanned files in the list's order: by name in the user's locale, equal names in
// the folder's order, as a list that sorts each new item in. The sort keys are made on the workers,
// each with a collator of its own.
std::vector<std::size_t> ListOrder(const std::vector<FoundFile>& files, int workers,
                                   ListingObserver* observer) {
    std::vector<std::optional<QCollatorSortKey>> keys(files.size());
    std::vector<std::optional<QCollator>> collators(static_cast<std::size_t>(workers));
    RunOnWorkers(
        files.size(), workers,
        [&](std::size_t i, int worker) {
            std::optional<QCollator>& collator = collators[static_cast<std::size_t>(worker)];
            if (!collator)
                collator.emplace(QLocale());
            keys[i] = collator->sortKey(files[i].shown);
        },
        PumpingReports(observer));
    std::vector<std::size_t> order(files.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a]->compare(*keys[b]) < 0; });
    return order;
}

// Reads and checks the scanned files on the workers in the list's order; the bytes of those read whole
// go to keep when it is given.
std::vector<Checked> CheckFiles(const Folder& folder, const std::vector<FoundFile>& files,
                                const std::vector<std::size_t>& order, ListKind kind, int workers,
                                KeptBytes* keep, ListingObserver* observer) {
    std::vector<Checked> checked(order.size());
    RunOnWorkers(
        order.size(), workers,
        [&](std::size_t k, int) {
            const FoundFile& found = files[order[k]];
            Checked& c = checked[k];
            FileBytes file(folder, found.name);
            c.stamp = file.Stamp();
            c.format = FormatOfFile(file, found.name, kind);
            // A file that cannot be opened is named with the system's reason; one gone since the scan
            // is merely left out.
            if (!file.IsOpen() && file.OpenError() != 0 && file.OpenError() != ENOENT) {
                c.error = CannotOpenText(file.OpenError());
                return;
            }
            try {
                c.result = CheckListedFile(c.format, file);
            } catch (const std::exception& error) {
                c.error = ErrorText(error);
                return;
            }
            if (keep)
                if (const auto whole = file.Whole())
                    c.kept = keep->Keep(*whole);
        },
        PumpingReports(observer));
    if (keep)
        keep->Close();
    return checked;
}

// Draws the items' thumbnails on the workers, each with a bitmap and canvas of its own, from the bytes
// kept for them or else from their files, and hands them to the observer as they come.
void DrawThumbnails(FolderListing& listing, const ListingOptions& options, int workers, PackedArena& arena,
                    KeptBytes& keep, const std::vector<KeptBytes::Kept>& kept, ListingObserver* observer,
                    std::size_t first) {
    const QSize size = options.thumbnailSize.expandedTo(QSize(1, 1));
    const TRect rect{0, 0, size.width(), size.height()};
    std::vector<QImage> bitmaps(static_cast<std::size_t>(workers));
    std::vector<std::optional<RasterCanvas>> canvases(static_cast<std::size_t>(workers));
    std::mutex failuresMutex;

    WorkerReports reports = PumpingReports(observer);
    reports.wakeAt = first;
    if (observer)
        reports.finished = [&](const std::vector<std::size_t>& items) { observer->Drawn(listing, items); };
    RunOnWorkers(
        listing.items.size(), workers,
        [&](std::size_t i, int worker) {
            const auto w = static_cast<std::size_t>(worker);
            if (!canvases[w]) {
                bitmaps[w] = QImage(size, QImage::Format_RGB32);
                bitmaps[w].fill(Qt::white);
                canvases[w].emplace(bitmaps[w]);
            }
            ListedFile& item = listing.items[i];
            try {
                DrawnFile drawn;
                item.result = kept[i].block >= 0
                                  ? DrawListedData(*canvases[w], item.format, kept[i].bytes, rect,
                                                   options.render, &drawn)
                                  : DrawListedFile(*canvases[w], item.format, listing.PathOf(item), rect,
                                                   options.render, &drawn);
                if (!drawn.complete) {
                    DrawBrokenOffMark(*canvases[w], rect);
                    std::lock_guard lock(failuresMutex);
                    listing.failures.push_back({item.name, QString::fromUtf8(kBrokenOffMessage)});
                }
            } catch (const std::exception& error) {
                DrawUnreadableCard(*canvases[w], item.format, rect);
                item.result = -1;
                if (!item.unreadable) { // it changed since it was checked
                    item.unreadable = true;
                    std::lock_guard lock(failuresMutex);
                    listing.failures.push_back({item.name, ErrorText(error)});
                }
            }
            item.thumbnail = Packed16Image::FromImage(bitmaps[w], &arena);
            keep.Release(kept[i]);
        },
        reports);
}

} // namespace

QSize ThumbnailSize(ListKind kind, int side) {
    if (kind == ListKind::Drawings)
        return {side, Round(side / 1.414213562)};
    return {side, side};
}

QString FolderNameFromBytes(std::string_view bytes) {
    return DecodeUpToNul(bytes.substr(0, kNameBytes));
}

QString ShownFolderTitle(ListKind kind, const QString& title, const std::filesystem::path& folder) {
    if (kind == ListKind::Figures && !title.isEmpty() && title != QStringLiteral("[無し]"))
        return title;
    const QString name = DisplayName(folder.filename());
    return name.isEmpty() ? PathText(folder) : name;
}

QString FolderNameFromFirstLine(std::string_view bytes) {
    bytes = bytes.substr(0, std::min(bytes.find_first_of(std::string_view("\0\r\n", 3)), bytes.size()));
    while (!bytes.empty() && bytes.back() == ' ')
        bytes.remove_suffix(1);
    return DecodeUpToNul(bytes);
}

FolderTitle ReadFolderTitle(ListKind kind, const std::filesystem::path& nameFile, bool firstLine) {
    if (kind == ListKind::Drawings)
        return {QStringLiteral("図面"), std::nullopt};
    const QString none = QStringLiteral("[無し]");
    if (nameFile.empty())
        return {none, std::nullopt};
    FileBytes file(nameFile); // never waits on something that is no longer a regular file
    if (!file.IsOpen())
        return {none, CannotOpenText(file.OpenError())};
    const std::span<const std::uint8_t> bytes = file.Prefix(firstLine ? kNameLineBytes : kNameBytes);
    const std::string_view read(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return {firstLine ? FolderNameFromFirstLine(read) : FolderNameFromBytes(read), std::nullopt};
}

NameFileLines ReadNameFileLines(const std::filesystem::path& folder) {
    for (const char* name : {"Zu_name.dat", "ZU_NAME.DAT", "zu_name.dat"}) {
        FileBytes file(folder / name);
        if (!file.IsOpen())
            continue;
        const std::span<const std::uint8_t> bytes = file.Prefix(2 * kNameLineBytes);
        const std::string_view read(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        std::string_view rest;
        if (const std::size_t end = read.find('\n'); end != std::string_view::npos)
            rest = read.substr(end + 1);
        return {FolderNameFromFirstLine(read), FolderNameFromFirstLine(rest)};
    }
    return {};
}

FolderScan ScanListFolder(const std::filesystem::path& folder, ListingObserver* observer) {
    FramePacer pacer;
    return ScanFolder(folder, AllExtensions(), "Zu_name.dat", [&] {
        if (observer && pacer.Due())
            observer->Pump();
    });
}

ListKind KindOfFolder(const FolderScan& scan) {
    const bool figures = std::any_of(scan.files.begin(), scan.files.end(), [](const FoundFile& f) {
        const FormatRow* row = RowOfName(f.name);
        return row && row->kind == ListKind::Figures;
    });
    return figures ? ListKind::Figures : ListKind::Drawings;
}

FolderListing ListFolder(const std::filesystem::path& folder, const ListingOptions& options,
                         ListingObserver* observer) {
    return ListScanned(folder, ScanListFolder(folder, observer), options, observer);
}

FolderListing ListScanned(const std::filesystem::path& folder, FolderScan scan, const ListingOptions& options,
                          ListingObserver* observer) {
    FolderListing listing;
    listing.folder = folder;
    listing.folderText = WithTrailingSeparator(PathText(folder));
    listing.kind = options.kind;

    InstallFontSubstitutions(); // before any worker draws a text
    // The files the list takes; the others are counted, so that an empty list can say what it left.
    const std::vector<std::string_view> taken = ListExtensions(options.kind, options.todaysFormats);
    const std::vector<std::string_view> ofKind = ListExtensions(options.kind, true);
    std::erase_if(scan.files, [&](const FoundFile& f) {
        const std::string extension = LowerExtension(f.name);
        if (std::find(taken.begin(), taken.end(), extension) != taken.end())
            return false;
        if (std::find(ofKind.begin(), ofKind.end(), extension) != ofKind.end())
            ++listing.todaysLeftOut;
        else
            ++listing.otherKind;
        return true;
    });
    listing.found = scan.files.size();
    // A folder of today's figures names itself by the first line of its name file.
    const bool todaysFigures = std::any_of(scan.files.begin(), scan.files.end(), [&](const FoundFile& f) {
        return options.kind == ListKind::Figures && RowOfName(f.name)->todays;
    });
    const FolderTitle title = ReadFolderTitle(options.kind, scan.nameFile, todaysFigures);
    listing.title = title.text;
    if (title.error)
        listing.failures.push_back({DisplayName(scan.nameFile), *title.error});

    const int workers = options.workers > 0 ? options.workers : WorkerCount();
    std::vector<std::size_t> order = ListOrder(scan.files, workers, observer);
    // The thumbnails' arena takes the kept bytes' blocks back as their files are drawn; the thumbnails
    // keep their blocks alive after the listing.
    PackedArena arena;
    const QSize thumbnail = options.thumbnailSize.expandedTo(QSize(1, 1));
    const std::size_t thumbnailBytes =
        static_cast<std::size_t>((thumbnail.width() + 1) / 2) * static_cast<std::size_t>(thumbnail.height());
    KeptBytes keep(arena, std::max(kMinKeptBytes, thumbnailBytes * scan.files.size()));
    std::vector<Checked> checked = CheckFiles(Folder(folder), scan.files, order, options.kind, workers,
                                              options.drawThumbnails ? &keep : nullptr, observer);

    const auto listed =
        static_cast<std::size_t>(std::count_if(checked.begin(), checked.end(), [&](const Checked& c) {
            return c.result == 0 || options.listRejected;
        }));
    listing.items.reserve(listed);
    std::vector<KeptBytes::Kept> kept; // for each item
    kept.reserve(listed);
    for (std::size_t k = 0; k < order.size(); ++k) {
        const Checked& c = checked[k];
        FoundFile& file = scan.files[order[k]];
        if (c.error)
            listing.failures.push_back({file.shown, *c.error});
        if (c.result != 0 && !options.listRejected) {
            keep.Release(c.kept);
            continue;
        }
        listing.items.push_back({std::move(file.name),
                                 std::move(file.shown),
                                 static_cast<qint64>(c.stamp.size),
                                 c.stamp.modifiedMs,
                                 c.result,
                                 c.format,
                                 c.error.has_value(),
                                 {}});
        kept.push_back(c.kept);
    }
    // What only led to the items is let go before the thumbnails take their memory.
    checked = {};
    scan.files = {};
    order = {};

    const std::size_t first = observer ? observer->Listed(listing) : listing.items.size();
    if (options.drawThumbnails)
        DrawThumbnails(listing, options, workers, arena, keep, kept, observer, first);
    return listing;
}

} // namespace plavik
