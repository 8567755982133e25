#include "sheet.h"

#include "exitcodes.h"
#include "output.h"

#include "listing/folderlisting.h"
#include "print/pdfprint.h"
#include "settings/options.h"
#include "settings/registry.h"

#include <set>

namespace plavik::tool {

namespace {

// The folder as the program lists it with the file types of both formats: its figures (.jwk and .jws),
// or its drawings (.jwc and .jww) when it holds no figure file.
FolderListing ListForSheet(const std::filesystem::path& folder, const TListSettings& settings) {
    FolderListing listing;
    for (const ListKind kind : {ListKind::Figures, ListKind::Drawings}) {
        ListingOptions options = ListingOptionsFor(kind, settings);
        options.todaysFormats = true;
        options.drawThumbnails = false; // the sheets draw every file afresh
        listing = ListFolder(folder, options);
        if (listing.found > 0)
            break;
    }
    return listing;
}

} // namespace

int RunSheet(const SheetOptions& o) {
    std::error_code error;
    if (!std::filesystem::is_directory(o.folder, error))
        return Fail(kExitReadFailed, ShowPath(o.folder) + ": no such folder");

    StoredState state;
    if (o.settings) {
        if (const auto why = CannotOpen(*o.settings))
            return Fail(kExitReadFailed, ShowPath(*o.settings) + ": " + *why);
        const auto store = OpenIniStore(PathText(*o.settings));
        LoadResult loaded = LoadSettings(*store);
        if (loaded.error)
            return Fail(kExitReadFailed, ShowPath(*o.settings) + ": " + loaded.error->toStdString());
        state = loaded.state;
    }

    const FolderListing listing = ListForSheet(o.folder, state.settings);
    // Every file that could not be read is told once, on a line of its own.
    int status = kExitOk;
    std::set<QString> told;
    const auto tell = [&](const QString& fileName, const QString& message) {
        if (told.insert(fileName).second)
            status = Fail(kExitReadFailed,
                          (listing.folderText + fileName + QStringLiteral(": ") + message).toStdString());
    };
    for (const ListingFailure& failure : listing.failures)
        tell(failure.fileName, failure.message);
    if (listing.items.empty()) {
        if (status != kExitOk)
            return status;
        return Fail(kExitNotOfKind, ShowPath(o.folder) + ": no jw_cad files to print");
    }

    PrintRequest request;
    request.kind = listing.kind;
    request.items = PrintItems(listing);
    request.folderName = listing.title;
    request.headerTitle = ShownFolderTitle(listing.kind, listing.title, listing.folder);
    request.headerPath = PathText(listing.folder);
    request.settings = state.settings;
    request.font = state.font;
    request.showErrors = false;

    PdfSheets sheets;
    sheets.size = QPageSize(QPageSize::A4);
    sheets.orientation = QPageLayout::Portrait;
    sheets.dpi = 600;
    SilentProgress progress;
    const PrintResult result = PrintListToPdf(PathText(o.out), sheets, request, progress);

    if (!result.writeError.isEmpty())
        return Fail(kExitWriteFailed, CannotWrite(o.out, result.writeError));
    if (result.outcome != PrintResult::Outcome::Printed)
        return Fail(kExitWriteFailed, ShowOutput(o.out) + ": " +
                                          (result.error.isEmpty() ? std::string("cannot be printed")
                                                                  : result.error.toStdString()));
    // The sheets are written; the files that failed to read hold the card.
    for (const FailedFile& failed : result.failedFiles)
        tell(failed.fileName, failed.message);
    return status;
}

} // namespace plavik::tool
