#include "print/pdfprint.h"

#include "print/pdffile.h"

#include <QMarginsF>
#include <QPainter>
#include <QPdfWriter>

#include <exception>

namespace plavik {

namespace {

PrintResult Failure(const QString& error) {
    PrintResult result;
    result.outcome = PrintResult::Outcome::Failed;
    result.error = error;
    return result;
}

// The output could not be written: the message names the file, and the system's reason is kept apart.
PrintResult WriteFailure(const PdfFile& file) {
    PrintResult result = Failure(file.Error());
    result.writeError = file.Reason();
    return result;
}

} // namespace

PrintResult PrintListToPdf(const QString& target, const PdfSheets& sheets, const PrintRequest& request,
                           PrintProgress& progress) {
    PdfFile file(target);
    if (!file.Open())
        return WriteFailure(file);

    PrintResult result;
    {
        QPdfWriter& writer = file.Writer();
        writer.setTitle(JobTitle(request));
        writer.setResolution(sheets.dpi > 0 ? sheets.dpi : 600);
        writer.setPageLayout(QPageLayout(sheets.size, sheets.orientation, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer))
            return Failure(CannotStartText());
        try {
            result = DrawList(painter, request, progress, [&file](QString& error) {
                if (file.NewPage())
                    return true;
                error = file.Error();
                return false;
            });
        } catch (const std::exception& e) {
            result.outcome = PrintResult::Outcome::Failed;
            result.error = QString::fromUtf8(e.what());
        }
        // The writer finishes the file when the painter ends; an unfinished job's file is discarded.
        if (!painter.end() && result.outcome == PrintResult::Outcome::Printed) {
            result.outcome = PrintResult::Outcome::Failed;
            result.error = CannotEndText();
        }
    }
    const bool printed = result.outcome == PrintResult::Outcome::Printed;
    if (result.outcome != PrintResult::Outcome::Cancelled && (file.Failed() || (printed && !file.Commit()))) {
        const PrintResult failed = WriteFailure(file);
        result.outcome = failed.outcome;
        result.error = failed.error;
        result.writeError = failed.writeError;
    }
    return result; // a file not committed is discarded here
}

} // namespace plavik
