#include "listing/folderlisting.h"

#include "listing/workers.h"
#include "platform/fonts.h"
#include "platform/rastercanvas.h"
#include "platform/sjis.h"
#include "render/numbers.h"

#include <QCollator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <mutex>
#include <numeric>

namespace plavik {

namespace {

constexpr std::size_t kNameBytes = 8;
// The most of a name file read for its first line.
constexpr std::size_t kNameLineBytes = 256;

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The bytes up to the first NUL, decoded without a double-byte character cut at the end.
QString DecodeUpToNul(std::string_view bytes) {
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    std::size_t whole = 0; // the bytes that make whole characters
    while (whole < bytes.size()) {
        const std::size_t width = IsLeadByte(static_cast<unsigned char>(bytes[whole])) ? 2 : 1;
        if (whole + width > bytes.size())
            break;
        whole += width;
    }
    return DecodeSjis(bytes.substr(0, whole));
}

QString ErrorText(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

// What reading and checking one file found.
struct Checked {
    int result = -1;
    std::optional<QString> error;
    FileStamp stamp;
    std::optional<QCollatorSortKey> key;
};

// Reads and checks every scanned file on the workers, each with a collator of its own for the sort keys.
std::vector<Checked> CheckFiles(const std::filesystem::path& folder, const std::vector<FoundFile>& files,
                                ListKind kind, int workers, ListingObserver* observer) {
    std::vector<Checked> checked(files.size());
    std::vector<std::optional<QCollator>> collators(static_cast<std::size_t>(workers));
    WorkerReports reports;
    if (observer)
        reports.pump = [observer] { observer->Pump(); };
    RunOnWorkers(
        files.size(), workers,
        [&](std::size_t i, int worker) {
            const std::filesystem::path path = folder / files[i].name;
            Checked& c = checked[i];
            try {
                c.result = CheckListedFile(FormatOfName(kind, files[i].name), path, &c.stamp);
            } catch (const std::exception& error) {
                c.error = ErrorText(error);
            }
            std::optional<QCollator>& collator = collators[static_cast<std::size_t>(worker)];
            if (!collator)
                collator.emplace(QLocale());
            c.key = collator->sortKey(files[i].shown);
        },
        reports);
    return checked;
}

// Draws the items' thumbnails on the workers, each with a bitmap and canvas of its own, and hands them
// to the observer as they come.
void DrawThumbnails(FolderListing& listing, const ListingOptions& options, int workers,
                    ListingObserver* observer, std::size_t first) {
    const QSize size = options.thumbnailSize.expandedTo(QSize(1, 1));
    const TRect rect{0, 0, size.width(), size.height()};
    std::vector<QImage> bitmaps(static_cast<std::size_t>(workers));
    std::vector<std::optional<RasterCanvas>> canvases(static_cast<std::size_t>(workers));
    std::mutex failuresMutex;
    PackedArena arena; // the thumbnails keep their blocks alive after the listing

    WorkerReports reports;
    reports.wakeAt = first;
    if (observer) {
        reports.pump = [observer] { observer->Pump(); };
        reports.finished = [&](const std::vector<std::size_t>& items) { observer->Drawn(listing, items); };
    }
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
                item.result =
                    DrawListedFile(*canvases[w], item.format, listing.PathOf(item), rect, options.render);
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
    errno = 0;
    FileBytes file(nameFile); // never waits on something that is no longer a regular file
    if (!file.IsOpen())
        return {none,
                errno ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("not a regular file")};
    const std::span<const std::uint8_t> bytes = file.Prefix(firstLine ? kNameLineBytes : kNameBytes);
    const std::string_view read(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return {firstLine ? FolderNameFromFirstLine(read) : FolderNameFromBytes(read), std::nullopt};
}

FolderListing ListFolder(const std::filesystem::path& folder, const ListingOptions& options,
                         ListingObserver* observer) {
    FolderListing listing;
    listing.folder = folder;
    listing.folderText = WithTrailingSeparator(PathText(folder));
    listing.kind = options.kind;

    InstallFontSubstitutions(); // before any worker draws a text
    FramePacer pacer;
    const FolderScan scan =
        ScanFolder(folder, ListExtensions(options.kind, options.todaysFormats), "Zu_name.dat", [&] {
            if (observer && pacer.Due())
                observer->Pump();
        });
    listing.found = scan.files.size();
    // A folder of today's figures names itself by the first line of its name file.
    const bool todaysFigures = std::any_of(scan.files.begin(), scan.files.end(), [&](const FoundFile& f) {
        return FormatOfName(options.kind, f.name) == FileFormat::Jws;
    });
    const FolderTitle title = ReadFolderTitle(options.kind, scan.nameFile, todaysFigures);
    listing.title = title.text;
    if (title.error)
        listing.failures.push_back({DisplayName(scan.nameFile), *title.error});

    const int workers = options.workers > 0 ? options.workers : WorkerCount();
    const std::vector<Checked> checked = CheckFiles(folder, scan.files, options.kind, workers, observer);
    // Sorted by name; equal names keep the folder's order, as a list that sorts each new item in.
    std::vector<std::size_t> order(scan.files.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return checked[a].key->compare(*checked[b].key) < 0;
    });
    listing.items.reserve(
        static_cast<std::size_t>(std::count_if(checked.begin(), checked.end(), [&](const Checked& c) {
            return c.result == 0 || options.listRejected;
        })));
    for (const std::size_t i : order) {
        const Checked& c = checked[i];
        const FoundFile& file = scan.files[i];
        if (c.error)
            listing.failures.push_back({file.shown, *c.error});
        if (c.result == 0 || options.listRejected) {
            listing.items.push_back({file.name,
                                     file.shown,
                                     static_cast<qint64>(c.stamp.size),
                                     c.stamp.modifiedMs,
                                     c.result,
                                     FormatOfName(options.kind, file.name),
                                     c.error.has_value(),
                                     {}});
        }
    }

    const std::size_t first = observer ? observer->Listed(listing) : listing.items.size();
    if (options.drawThumbnails)
        DrawThumbnails(listing, options, workers, observer, first);
    return listing;
}

} // namespace plavik
