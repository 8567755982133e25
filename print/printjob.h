// One print job on a QPrinter that can be aborted so that nothing of it comes out.
#pragma once

#include <QPainter>
#include <QString>
#include <QStringList>

#include <memory>

class QPrinter;
class QTemporaryFile;

namespace plavik {

class PdfFile;

// Qt cannot abort a PDF job (the whole file is still written) nor a CUPS job (the spooled file is
// still handed to CUPS when the painter ends), and it does not tell when a PDF could not be written
// whole. So a PDF job paints on a PDF writer of its own into a checked file that replaces the target
// only when the job ends well; a CUPS job spools to a temporary file that is given to "lp" only when
// the job ends. Aborting deletes the temporary file; a target from before stays.
class PrintJob {
public:
    explicit PrintJob(QPrinter& printer);
    // Aborts a job that is still running and gives the printer its output file name back.
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // Names the job, sets the page margins to the printer's minimum (the painter's origin is then
    // the printable area's corner) and begins the painter on the first page. False with Error() set
    // when the printer cannot start.
    bool Begin(const QString& title);
    // Ends the page and begins the next. False with Error() set on a printer error.
    bool NewPage();
    // Ends the job and lets its output out. False with Error() set when that fails; nothing then
    // reaches the target.
    bool Finish();
    // Ends the job so that nothing of it comes out.
    void Abort();

    QPainter& painter() { return painter_; }
    const QString& Error() const { return error_; }

private:
    enum class Output { Direct, PdfFile, CupsSpool };
    void Discard();

    QPrinter& printer_;
    QPainter painter_;
    Output output_ = Output::Direct;
    QString target_; // the printer's own output file name
    std::unique_ptr<PdfFile> pdf_;
    std::unique_ptr<QTemporaryFile> spool_;
    bool active_ = false;
    QString error_;
};

// What a spooled job hands to CUPS: everything the print dialog and the printer set-up chose.
struct LpJob {
    QString destination; // the CUPS queue (an instance's "/name" dropped)
    QString title;
    QString media; // the paper's key: "A4", "Letter"
    QString sides = QStringLiteral("one-sided");
    bool landscape = false;
    int copies = 1;
    bool collate = false;
    int fromPage = 0, toPage = 0; // a page range, 0 for every page
    QStringList cupsOptions;      // the printer's own options, as name, value, name, value ...
};

// The job as the printer is set up: its queue, paper, sides, orientation, copies and collation, the
// page range, and the options of the printer's properties dialog.
LpJob LpJobOf(const QPrinter& printer, const QString& title);

// The arguments of "lp" that print the spooled file as Qt's own CUPS engine would print it; the file last.
QStringList LpArguments(const LpJob& job, const QString& file);

} // namespace plavik
