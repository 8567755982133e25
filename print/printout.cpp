#include "print/printout.h"

#include "platform/filetexts.h"
#include "platform/fonts.h"
#include "platform/paintercanvas.h"
#include "platform/sjis.h"
#include "print/captions.h"
#include "print/layout.h"
#include "print/printjob.h"
#include "print/tform3.h"
#include "render/card.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/numbers.h"
#include "settings/errorbox.h"
#include "settings/options.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QWidget>

#include <exception>
#include <filesystem>

namespace plavik {

namespace {

// Gives the owner its input back on every way out of a printout.
class DisabledWhile {
public:
    explicit DisabledWhile(QWidget* widget) : widget_(widget) {
        if (widget_)
            widget_->setEnabled(false);
    }
    ~DisabledWhile() {
        if (widget_)
            widget_->setEnabled(true);
    }
    DisabledWhile(const DisabledWhile&) = delete;
    DisabledWhile& operator=(const DisabledWhile&) = delete;

private:
    QPointer<QWidget> widget_;
};

// The file to open for a caption. Names that are not UTF-8 were listed as code page 932 text, so
// when the UTF-8 name is not there the code page 932 bytes are tried.
std::filesystem::path FilePath(const QString& folder, const QString& caption) {
#ifdef Q_OS_WIN
    return std::filesystem::path((folder + caption).toStdWString());
#else
    std::filesystem::path path(QFile::encodeName(folder + caption).toStdString());
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        std::filesystem::path legacy = std::filesystem::path(QFile::encodeName(folder).toStdString()) /
                                       std::filesystem::path(EncodeSjis(caption));
        if (std::filesystem::exists(legacy, ec))
            return legacy;
    }
    return path;
#endif
}

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

QString JobTitle(const PrintRequest& request) {
    if (request.kind == PrintKind::Drawings)
        return QStringLiteral("JWC-List");
    return QStringLiteral("JWK-List  ") + request.folderName;
}

namespace {

PrintResult RunPrintout(QPrinter& printer, const PrintRequest& request, TForm3& form, PrintJob& job,
                        bool& cancelPrint) {
    PrintResult result;
    QPainter& painter = job.painter();
    PainterCanvas canvas(painter);
    const bool figures = request.kind == PrintKind::Figures;
    const TListSettings& s = request.settings;

    const QFont captionFont = CaptionFont(request.font);
    const DeviceMetrics device = MetricsOf(canvas);
    canvas.SetFont(CanvasFont(request.font, device.logPixelsY));
    const QFontMetrics metrics(captionFont, &printer);
    const int textWidth = metrics.horizontalAdvance(figures ? FigureSampleText() : DrawingSampleText());
    const int lineHeight = metrics.height();
    const PageLayout layout =
        ComputeLayout(figures ? FigureCells(s) : DrawingCells(s), device, textWidth, lineHeight);
    CellPlacer placer(layout);
    const bool captionsForRejected = figures ? s.UnKnownJwk : s.UnKnownJwc;
    const char* cardWords = figures ? "Not JWK File" : "Not JWC File";

    form.SetTotal(static_cast<int>(request.captions.size()));
    result.sheets = 1;
    for (qsizetype i = 0; i < request.captions.size(); ++i) {
        form.SetCurrent(static_cast<int>(i + 1));
        QCoreApplication::processEvents();
        const CellPlace place = placer.Next();
        if (cancelPrint)
            break;
        if (place.newSheet) {
            if (!job.NewPage()) {
                result.outcome = PrintResult::Outcome::Failed;
                result.error = job.Error();
                return result;
            }
            ++result.sheets;
        }

        const QString& caption = request.captions[i];
        const bool knownPath = request.paths.size() == static_cast<std::size_t>(request.captions.size());
        const std::filesystem::path path =
            knownPath ? request.paths[static_cast<std::size_t>(i)] : FilePath(request.folder, caption);
        int drawn = -1;
        TJwcInfo info;
        try {
            drawn = figures ? DrawJwk(canvas, path, place.picture, SetOption(s))
                            : DrawJwc(canvas, path, place.picture, SetOption2(s), info);
        } catch (const std::exception& e) {
            // An unreadable file keeps its cell, with the card over whatever was drawn of it.
            result.failedFiles.push_back({caption, QString::fromUtf8(e.what())});
            FontGuard keepFont(canvas);
            DrawNotFileCard(canvas, place.picture, cardWords);
            info = TJwcInfo{};
        }
        ++result.filesDrawn;
        if (drawn != 0 && !captionsForRejected)
            continue;
        const std::optional<FileFacts> facts =
            knownPath ? LookUpFile(path) : LookUpFile(request.folder + caption);
        const QStringList lines =
            figures ? FigureCaptionLines(s, caption, facts)
                    : DrawingCaptionLines(s, caption, drawn == 0 ? info.Comment : std::string(), facts);
        DrawCaptions(painter, captionFont, request.font.Color, place.captionX, place.picture.top, lineHeight,
                     lines);
    }
    result.outcome = cancelPrint ? PrintResult::Outcome::Cancelled : PrintResult::Outcome::Printed;
    return result;
}

} // namespace

PrintResult PrintList(QPrinter& printer, const PrintRequest& request, QWidget* owner, bool& cancelPrint) {
    InstallFontSubstitutions();
    PrintResult result;
    {
        PrintJob job(printer);
        if (!job.Begin(JobTitle(request))) {
            result.outcome = PrintResult::Outcome::Failed;
            result.error = job.Error();
        } else {
            cancelPrint = false;
            TForm3 form(cancelPrint, owner);
            form.show();
            DisabledWhile disabled(owner);
            try {
                result = RunPrintout(printer, request, form, job, cancelPrint);
            } catch (const std::exception& e) {
                result.outcome = PrintResult::Outcome::Failed;
                result.error = QString::fromUtf8(e.what());
            }
            if (result.outcome == PrintResult::Outcome::Printed && !job.Finish()) {
                result.outcome = PrintResult::Outcome::Failed;
                result.error = job.Error();
            }
            if (result.outcome != PrintResult::Outcome::Printed)
                job.Abort();
        }
    }
    if (request.showErrors) {
        const QString text = PrintErrorText(result);
        if (!text.isEmpty())
            ShowErrorBox(owner, text);
    }
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

} // namespace plavik
