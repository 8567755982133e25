#include "print/drawingprint.h"

#include "platform/paintercanvas.h"
#include "print/printjob.h"
#include "render/jwc.h"
#include "render/jwk.h"

#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace plavik {

namespace {

constexpr double kMillimetresPerInch = 25.4;

} // namespace

std::optional<QSizeF> TrueScaleSheet(FileFormat format, std::span<const std::uint8_t> bytes) {
    const FormatRow& row = RowOf(format);
    try {
        double width = 0, height = 0;
        if (row.trueSheet && row.trueSheet(bytes, width, height))
            return QSizeF(width, height);
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

QRectF PrintFrame(DrawingScale scale, const QSizeF& sheet, double proportion, const QPageLayout& layout,
                  double dpiX, double dpiY) {
    const QRectF paper = layout.fullRect(QPageLayout::Millimeter);
    const QRectF area = layout.paintRect(QPageLayout::Millimeter);
    const auto device = [&](const QRectF& mm) {
        return QRectF((mm.left() - area.left()) * dpiX / kMillimetresPerInch,
                      (mm.top() - area.top()) * dpiY / kMillimetresPerInch,
                      mm.width() * dpiX / kMillimetresPerInch, mm.height() * dpiY / kMillimetresPerInch);
    };
    if (scale == DrawingScale::TrueScale && !sheet.isEmpty()) {
        QRectF frame(QPointF(), sheet);
        frame.moveCenter(paper.center());
        return device(frame);
    }
    if (!(proportion > 0) || !std::isfinite(proportion))
        proportion = 1;
    const QRectF room = device(area);
    QSizeF size(room.width(), room.width() / proportion * dpiY / dpiX);
    if (size.height() > room.height())
        size = QSizeF(room.height() * proportion * dpiX / dpiY, room.height());
    QRectF frame(QPointF(), size);
    frame.moveCenter(room.center());
    return frame;
}

QPageLayout::Orientation SheetOrientation(const QSizeF& sheet, double proportion) {
    const bool wide = sheet.isEmpty() ? proportion > 1 : sheet.width() > sheet.height();
    return wide ? QPageLayout::Landscape : QPageLayout::Portrait;
}

int PrintFlags(ListKind kind, bool content, bool colour) {
    if (kind == ListKind::Figures)
        return kJwkText;
    return kJwcText | (content ? kJwcFitContent : 0) | (colour ? kJwcPrinterPens : 0);
}

std::optional<QString> PrintDrawing(QPrinter& printer, const QString& title, FileFormat format, ListKind kind,
                                    std::span<const std::uint8_t> bytes, const RenderOptions& options,
                                    DrawingScale scale) {
    const std::optional<QSizeF> sheet = TrueScaleSheet(format, bytes);
    if (!sheet)
        scale = DrawingScale::FitPage;
    const double proportion = kind == ListKind::Figures ? 1.0 : std::sqrt(2.0);
    printer.setPageOrientation(SheetOrientation(sheet.value_or(QSizeF()), proportion));
    PrintJob job(printer);
    if (!job.Begin(title))
        return job.Error();
    QPainter& painter = job.painter();
    const QPaintDevice* device = painter.device();
    // The layout as the job set it: the printer's least margins.
    const QRectF frame = PrintFrame(scale, sheet.value_or(QSizeF()), proportion, printer.pageLayout(),
                                    device->logicalDpiX(), device->logicalDpiY());
    const TRect rect{static_cast<int>(std::lround(frame.left())), static_cast<int>(std::lround(frame.top())),
                     static_cast<int>(std::lround(frame.right())),
                     static_cast<int>(std::lround(frame.bottom()))};
    std::optional<QString> failure;
    {
        PainterCanvas canvas(painter);
        try {
            DrawListedData(canvas, format, bytes, rect, PrintedOptions(format, options));
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        }
    }
    if (failure) {
        job.Abort();
        return failure;
    }
    if (!job.Finish())
        return job.Error();
    return std::nullopt;
}

} // namespace plavik
