// The list printout without windows: every listed file drawn as a cell of pictures and captions
// onto a paged device (a printer or a PDF writer), with the progress told to the caller.
#pragma once

#include "listing/folderlisting.h"
#include "settings/listsettings.h"
#include "settings/registry.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <vector>

class QPainter;

namespace plavik {

// One listed file to print.
struct PrintItem {
    QString caption;            // its name as the list shows it
    std::filesystem::path path; // the real file
};

// Everything a printout reads from the main window, taken when it starts.
struct PrintRequest {
    ListKind kind = ListKind::Figures;
    std::vector<PrintItem> items; // the list's items, in list order
    QString folderName;           // the figure folder's name, for the job title
    QString headerTitle;          // the folder's title as the window names it, for the page header
    QString headerPath;           // the listed folder's path, for the page header
    TListSettings settings;       // the layout, captions, option flags and figure colours
    PrinterFont font;
    bool showErrors = true; // one error box at the end for failed files or a printer error
    bool grayscale = false; // colours drawn as greys (a PDF file has no colour mode of its own)
};

// The listed files of a listing, to print in its order.
std::vector<PrintItem> PrintItems(const FolderListing& listing);

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
    QString writeError;                  // the system's reason when the output file could not be written
};

// What a printout tells while it runs, and asks once per file before drawing it.
class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    // The number of files to print.
    virtual void SetTotal(int count) = 0;
    // The 1-based number of the file about to be printed.
    virtual void SetCurrent(int number) = 0;
    // True when the job is to stop before the current file.
    virtual bool Cancelled() = 0;
};

// A progress that nobody watches and that never cancels.
class SilentProgress : public PrintProgress {
public:
    void SetTotal(int) override {}
    void SetCurrent(int) override {}
    bool Cancelled() override { return false; }
};

// Ends the current sheet and begins the next; returns false with error set when the device cannot.
using NewSheet = std::function<bool(QString& error)>;

// "JWK-List  " + the folder's name for figures, "JWC-List" for drawings.
QString JobTitle(const PrintRequest& request);

// A file name for a PDF of the list: the title with ".pdf", where every character that a file name
// cannot hold on Windows or POSIX (path separators, \ : * ? " < > |, control characters) is an
// underscore, without leading or trailing spaces and dots, and short enough for any file system.
// "print.pdf" when nothing of the title is left.
QString PdfFileName(const QString& title);

// The header line's right part: "3 / 12".
QString PageNumberText(int page, int pages);

// Draws every listed file with painter, active on a paged device whose origin is the printable
// area's corner: one cell each, down the columns, across, then on new sheets through newSheet; with
// the PageHeader setting every sheet begins with the header's title, path and page number. A caption
// line wider than the caption column ends in "…". An
// unreadable file gets the card in its cell and is listed in failedFiles. Stops before a file when
// progress says so (Cancelled) or when newSheet fails (Failed, with its error); ending the painter
// and keeping or discarding the output is the caller's.
PrintResult DrawList(QPainter& painter, const PrintRequest& request, PrintProgress& progress,
                     const NewSheet& newSheet);

// The text of the error box for a result: the printer error and each failed file with its message;
// empty when there is nothing to report.
QString PrintErrorText(const PrintResult& result);

// The texts of a device that fails, shared by every kind of output.
QString CannotStartText();
QString CannotFeedText();
QString CannotEndText();

} // namespace plavik
