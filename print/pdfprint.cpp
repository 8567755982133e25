#include "print/pdfprint.h"

#include "print/pendingfile.h"

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

} // namespace

PrintResult PrintListToPdf(const QString& target, const PdfSheets& sheets, const PrintRequest& request,
                           PrintProgress& progress) {
    PendingFile file(target);
    if (!file.Open())
        return Failure(file.Error());

    PrintResult result;
    {
        QPdfWriter writer(file.FileName());
        writer.setTitle(JobTitle(request));
        writer.setResolution(sheets.dpi > 0 ? sheets.dpi : 600);
        writer.setPageLayout(QPageLayout(sheets.size, sheets.orientation, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer))
            return Failure(CannotStartText());
        try {
            result = DrawList(painter, request, progress, [&writer](QString& error) {
                if (writer.newPage())
                    return true;
                error = CannotFeedText();
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
    if (result.outcome == PrintResult::Outcome::Printed && !file.Commit()) {
        result.outcome = PrintResult::Outcome::Failed;
        result.error = file.Error();
    }
    return result; // a file not committed is discarded here
}

} // namespace plavik
