#include "sheet.h"

#include "exitcodes.h"
#include "folderlist.h"
#include "output.h"

#include "print/pdfprint.h"
#include "settings/registry.h"

#include <QFile>

namespace plavik::tool {

namespace {

QString PathText(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
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

    const FolderList list = ListFolder(o.folder, state.settings);
    if (list.captions.isEmpty()) {
        if (list.error)
            return Fail(kExitReadFailed, ShowPath(o.folder) + ": " + *list.error);
        return Fail(kExitNotOfKind, ShowPath(o.folder) + ": no jw_cad files to print");
    }

    PrintRequest request;
    request.kind = list.drawings ? PrintKind::Drawings : PrintKind::Figures;
    request.captions = list.captions;
    request.folder = list.folder;
    request.folderName = list.folderName;
    request.settings = state.settings;
    request.font = state.font;
    request.showErrors = false;

    PdfSheets sheets;
    sheets.size = QPageSize(QPageSize::A4);
    sheets.orientation = QPageLayout::Portrait;
    sheets.dpi = 600;
    SilentProgress progress;
    const PrintResult result = PrintListToPdf(PathText(o.out), sheets, request, progress);

    if (result.outcome != PrintResult::Outcome::Printed)
        return Fail(kExitWriteFailed, ShowPath(o.out) + ": " +
                                          (result.error.isEmpty() ? std::string("cannot be printed")
                                                                  : result.error.toStdString()));
    // The sheets are written; the files that failed to read hold the card, each told on its own line.
    int status = kExitOk;
    for (const FailedFile& failed : result.failedFiles)
        status = Fail(kExitReadFailed,
                      (list.folder + failed.fileName).toStdString() + ": " + failed.message.toStdString());
    if (list.error)
        status = Fail(kExitReadFailed, ShowPath(o.folder) + ": listing stopped: " + *list.error);
    return status;
}

} // namespace plavik::tool
