#include "print/printcore.h"

#include "platform/filetexts.h"
#include "platform/fonts.h"
#include "platform/paintercanvas.h"
#include "print/captions.h"
#include "print/layout.h"
#include "render/numbers.h"
#include "settings/options.h"

#include <QFontMetrics>
#include <QPainter>

#include <exception>

namespace plavik {

namespace {

// The printer font as Qt draws the captions, at its size in points on the printer.
QFont CaptionFont(const PrinterFont& font) {
    QFont qf(font.Name);
    qf.setPointSize(std::max(font.Size, 1));
    qf.setBold(font.Style & kBold);
    qf.setItalic(font.Style & kItalic);
    qf.setUnderline(font.Style & kUnderline);
    qf.setStrikeOut(font.Style & kStrikeOut);
    return qf;
}

// The printer font as the renderers' canvas font, so that the figures' texts take it.
Font CanvasFont(const PrinterFont& font, int dpiY) {
    Font f;
    f.name = font.Name.toStdString();
    f.height = -Round(static_cast<double>(font.Size) * dpiY / 72.0);
    f.color = font.Color;
    return f;
}

DeviceMetrics MetricsOf(const Canvas& canvas) {
    return {
        canvas.GetDeviceCaps(DeviceCap::LogPixelsX),      canvas.GetDeviceCaps(DeviceCap::LogPixelsY),
        canvas.GetDeviceCaps(DeviceCap::PhysicalWidth),   canvas.GetDeviceCaps(DeviceCap::PhysicalHeight),
        canvas.GetDeviceCaps(DeviceCap::PhysicalOffsetX), canvas.GetDeviceCaps(DeviceCap::PhysicalOffsetY)};
}

// Captions go straight through the painter on a transparent background, so that whatever brush
// the renderer left cannot box them in its colour.
void DrawCaptions(QPainter& painter, const QFont& font, COLORREF color, int x, int top, int lineHeight,
                  const QStringList& lines) {
    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setFont(font);
    painter.setPen(QColor(ToQRgb(color)));
    const int ascent = painter.fontMetrics().ascent();
    int y = top;
    for (const QString& line : lines) {
        painter.drawText(x, y + ascent, line);
        y += lineHeight;
    }
    painter.restore();
}

} // namespace

std::vector<PrintItem> PrintItems(const FolderListing& listing) {
    std::vector<PrintItem> items;
    items.reserve(listing.items.size());
    for (const ListedFile& item : listing.items)
        items.push_back({item.name, listing.PathOf(item)});
    return items;
}

QString JobTitle(const PrintRequest& request) {
    if (request.kind == ListKind::Drawings)
        return QStringLiteral("JWC-List");
    return QStringLiteral("JWK-List  ") + request.folderName;
}

PrintResult DrawList(QPainter& painter, const PrintRequest& request, PrintProgress& progress,
                     const NewSheet& newSheet) {
    InstallFontSubstitutions();
    PrintResult result;
    PainterCanvas canvas(painter);
    canvas.SetGrayscale(request.grayscale);
    const bool figures = request.kind == ListKind::Figures;
    const TListSettings& s = request.settings;
    const RenderOptions options = RenderOptionsFor(request.kind, s);

    const QFont captionFont = CaptionFont(request.font);
    const DeviceMetrics device = MetricsOf(canvas);
    canvas.SetFont(CanvasFont(request.font, device.logPixelsY));
    const QFontMetrics metrics(captionFont, painter.device());
    const int textWidth = CaptionColumnWidth(
        figures, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); });
    const int lineHeight = metrics.height();
    const PageLayout layout =
        ComputeLayout(figures ? FigureCells(s) : DrawingCells(s), device, textWidth, lineHeight);
    CellPlacer placer(layout);
    const bool captionsForRejected = ListsRejected(request.kind, s);

    progress.SetTotal(static_cast<int>(request.items.size()));
    result.sheets = 1;
    for (std::size_t i = 0; i < request.items.size(); ++i) {
        progress.SetCurrent(static_cast<int>(i + 1));
        const CellPlace place = placer.Next();
        if (progress.Cancelled()) {
            result.outcome = PrintResult::Outcome::Cancelled;
            return result;
        }
        if (place.newSheet) {
            if (!newSheet || !newSheet(result.error)) {
                result.outcome = PrintResult::Outcome::Failed;
                if (result.error.isEmpty())
                    result.error = CannotFeedText();
                return result;
            }
            ++result.sheets;
        }

        const PrintItem& item = request.items[i];
        const FileFormat format = FormatOfFile(item.path, request.kind);
        int drawn = -1;
        DrawnFile told;
        try {
            drawn = DrawListedFile(canvas, format, item.path, place.picture, options, &told);
            if (!told.complete) {
                result.failedFiles.push_back({item.caption, QString::fromUtf8(kBrokenOffMessage)});
                DrawBrokenOffMark(canvas, place.picture);
            }
        } catch (const std::exception& e) {
            // An unreadable file keeps its cell, with the card over whatever was drawn of it.
            result.failedFiles.push_back({item.caption, QString::fromUtf8(e.what())});
            DrawUnreadableCard(canvas, format, place.picture);
            told.comment.clear();
        }
        ++result.filesDrawn;
        if (drawn != 0 && !captionsForRejected)
            continue;
        const std::optional<FileFacts> facts = LookUpFile(item.path);
        const QStringList lines = figures ? FigureCaptionLines(s, item.caption, facts)
                                          : DrawingCaptionLines(s, item.caption, told.comment, facts,
                                                                QLocale(), RowOf(format).todays);
        DrawCaptions(painter, captionFont, canvas.Shown(request.font.Color), place.captionX,
                     place.picture.top, lineHeight, lines);
    }
    result.outcome = PrintResult::Outcome::Printed;
    return result;
}

QString PrintErrorText(const PrintResult& result) {
    QStringList parts;
    if (!result.error.isEmpty())
        parts << result.error;
    for (const FailedFile& f : result.failedFiles)
        parts << f.fileName + QStringLiteral(": ") + f.message;
    return parts.join(QLatin1Char('\n'));
}

QString CannotStartText() {
    return QStringLiteral("プリンタを開始できません");
}

QString CannotFeedText() {
    return QStringLiteral("プリンタのページを送れません");
}

QString CannotEndText() {
    return QStringLiteral("印刷を終了できません");
}

} // namespace plavik
