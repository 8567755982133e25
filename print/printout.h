// Printing the listed files as sheets of pictures with captions, with the progress window.
#pragma once

#include "settings/listsettings.h"
#include "settings/registry.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <vector>

class QPrinter;
class QWidget;

namespace plavik {

enum class PrintKind { Figures, Drawings };

// Everything a printout reads from the main window, taken when it starts.
struct PrintRequest {
    PrintKind kind = PrintKind::Figures;
    QStringList captions; // the list's items, in list order
    // The real file of each caption, parallel to captions; when empty (or of another length) each
    // file is found as folder + caption.
    std::vector<std::filesystem::path> paths;
    QString folder;     // the listed folder, ending in its separator
    QString folderName; // the figure folder's name, for the job title
    TListSettings settings;
    PrinterFont font;
    bool showErrors = true; // one error box at the end for failed files or a printer error
};

struct FailedFile {
    QString fileName;
    QString message;
};

struct PrintResult {
    enum class Outcome { Printed, Cancelled, Failed };
    Outcome outcome = Outcome::Printed;
    int sheets = 0;                      // sheets begun; none come out when the job was cancelled or failed
    int filesDrawn = 0;                  // files whose cells were drawn
    std::vector<FailedFile> failedFiles; // unreadable files; their cells hold the "Not ... File" card
    QString error;                       // the printer error that ended the job
};

// "JWK-List  " + the folder's name for figures, "JWC-List" for drawings.
QString JobTitle(const PrintRequest& request);

// Prints every listed file on printer: one cell each, down the columns, across, then on new sheets.
// Shows the progress window (whose button sets cancelPrint) and disables owner meanwhile; a cancelled
// job leaves nothing. Whatever happens the window is freed and owner enabled again.
PrintResult PrintList(QPrinter& printer, const PrintRequest& request, QWidget* owner, bool& cancelPrint);

// The text of the error box for a result: the printer error and each failed file with its message;
// empty when there is nothing to report.
QString PrintErrorText(const PrintResult& result);

} // namespace plavik
