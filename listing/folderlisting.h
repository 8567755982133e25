// Listing a folder of figure or drawing files, for every front end: the main window, the printouts and
// the command line. No window in it: the caller is told of the progress and keeps its own busy state.
#pragma once

#include "platform/folderscan.h"
#include "platform/systemcolors.h"
#include "render/formats.h"

#include <QDateTime>
#include <QSize>
#include <QString>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace plavik {

struct ListingOptions {
    ListKind kind = ListKind::Figures;
    bool todaysFormats = false; // .jws or .jww files beside the kind's old ones
    RenderOptions render;
    bool listRejected = false;   // list the files the renderer rejects or cannot read too
    bool drawThumbnails = true;  // false: the files are only read and checked
    QSize thumbnailSize{48, 48}; // sides below 1 are drawn as 1
    int workers = 0;             // threads reading and drawing; 0: one per core
};

struct ListedFile {
    NativeName fileName;  // the name as the folder holds it
    QString name;         // the name as shown
    qint64 size = 0;      // bytes, when the file was read
    qint64 lastWrite = 0; // milliseconds since 1970 (UTC), when the file was read
    int result = 0;       // the renderer's: 0 drawn, -1 not a file of the kind or unreadable
    FileFormat format = FileFormat::Jwk;
    bool unreadable = false; // the reader failed on it; its thumbnail is the card
    Packed16Image thumbnail; // once drawn

    QDateTime LastWrite() const { return QDateTime::fromMSecsSinceEpoch(lastWrite); }
};

struct ListingFailure {
    QString fileName;
    QString message;
};

struct FolderListing {
    std::filesystem::path folder;
    QString folderText; // the folder as text, ending in its separator
    ListKind kind = ListKind::Figures;
    QString title; // a figure folder's name ("[無し]" without a name file), "図面" for drawings
    std::vector<ListedFile> items;        // the listed files, in the list's order
    std::vector<ListingFailure> failures; // the name file and the files that could not be read
    std::size_t found = 0;                // the folder's files of the kind, listed or not
    std::size_t otherKind = 0;            // files of the other kind, left out
    std::size_t todaysLeftOut = 0;        // today's files of the kind, left out of a list of the old format

    std::filesystem::path PathOf(const ListedFile& item) const { return folder / item.fileName; }
};

// What a listing tells its caller while it runs, always on the calling thread.
class ListingObserver {
public:
    virtual ~ListingObserver() = default;
    // At most once per frame while the listing runs.
    virtual void Pump() {}
    // Every file is read and checked: the listing holds its title, items and failures, the thumbnails
    // not drawn yet. Returns how many of the first items are to be reported as soon as they are drawn.
    virtual std::size_t Listed(FolderListing& listing) { return listing.items.size(); }
    // These items' thumbnails are drawn (the observer may move them out of the items).
    virtual void Drawn(FolderListing& /*listing*/, const std::vector<std::size_t>& /*items*/) {}
};

// The first two lines of a folder's name file (Zu_name.dat in any usual case): its title and its note,
// each as FolderNameFromFirstLine reads a line. Both empty when the folder has none.
struct NameFileLines {
    QString title;
    QString note;
};
NameFileLines ReadNameFileLines(const std::filesystem::path& folder);

// Every jw_cad file of the folder, of all four formats, and its name file: what a listing starts from.
// Pumps the observer while it reads a large folder. An unreadable folder gives nothing.
FolderScan ScanListFolder(const std::filesystem::path& folder, ListingObserver* observer = nullptr);

// The kind a folder is listed as when nobody chose one: figures when it holds .jwk or .jws files,
// else drawings.
ListKind KindOfFolder(const FolderScan& scan);

// Lists the files of a scan of folder that options.kind takes, as ListFolder does. The scan's names may
// be paths relative to folder, so that files of several folders can be listed together.
FolderListing ListScanned(const std::filesystem::path& folder, FolderScan scan, const ListingOptions& options,
                          ListingObserver* observer = nullptr);

// Lists the folder's files of options.kind. Each file is read and checked (decides whether it is
// listed), the items are sorted by name in the user's locale, then the thumbnails are drawn on one
// thread per core, the first items first. A file that cannot be read is a failure, listed only with
// listRejected, with the card as its thumbnail. An unreadable folder lists nothing.
FolderListing ListFolder(const std::filesystem::path& folder, const ListingOptions& options,
                         ListingObserver* observer = nullptr);

// A figure list's thumbnails are side x side; a drawing list's side wide and side / sqrt(2) high,
// rounded half to even.
QSize ThumbnailSize(ListKind kind, int side);

// The first 8 bytes of a name file, decoded from code page 932. The name ends at a NUL byte, and a
// double-byte character cut in two by the 8-byte limit is dropped.
QString FolderNameFromBytes(std::string_view bytes);

struct FolderTitle {
    QString text;
    std::optional<QString> error; // why the name file could not be read
};
// The first line of a name file, up to NUL, CR or LF, trailing spaces trimmed, decoded from code page
// 932; a double-byte character cut by the end of the bytes is dropped.
QString FolderNameFromFirstLine(std::string_view bytes);

// The title of a listed folder: for figures the name in nameFile, "[無し]" when there is none or it
// cannot be read; "図面" for drawings. The name is the file's first 8 bytes (fewer when it holds fewer),
// or, for a folder whose list takes today's figures (.jws), its first line.
FolderTitle ReadFolderTitle(ListKind kind, const std::filesystem::path& nameFile, bool firstLine = false);

// What names a listed folder to the user (the window's title, a page header, a PDF's name): a figure
// folder's title from its name file, else the folder's own name, else (a root) its path.
QString ShownFolderTitle(ListKind kind, const QString& title, const std::filesystem::path& folder);

} // namespace plavik
