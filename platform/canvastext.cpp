#include "platform/canvastext.h"

#include "platform/fonts.h"
#include "platform/sjis.h"

#include <QFontMetrics>
#include <QPainter>

namespace plavik {

const QFont& CanvasText::Resolve(const Font& font, int dpi, const QPaintDevice* device) {
    // Colour and escapement do not change the Qt font; compare the rest.
    Font key = font;
    key.color = 0;
    key.escapement = 0;
    if (!valid_ || key != key_ || dpi != keyDpi_ || device != keyDevice_) {
        font_ = FontFor(key, dpi, device);
        key_ = key;
        keyDpi_ = dpi;
        keyDevice_ = device;
        valid_ = true;
    }
    return font_;
}

int CanvasText::Width(const Font& font, int dpi, const QPaintDevice* device, std::string_view text) {
    if (text.empty())
        return 0;
    const QFont& qf = Resolve(font, dpi, device);
    const QFontMetrics m = device ? QFontMetrics(qf, device) : QFontMetrics(qf);
    return m.horizontalAdvance(DecodeSjis(text));
}

int CanvasText::Height(const Font& font, int dpi, const QPaintDevice* device) {
    const QFont& qf = Resolve(font, dpi, device);
    return device ? QFontMetrics(qf, device).height() : QFontMetrics(qf).height();
}

void CanvasText::Draw(QPainter& painter, const Font& font, int dpi, const Brush& brush, int x, int y,
                      std::string_view text) {
    if (text.empty())
        return;
    const QPaintDevice* device = painter.device();
    const QFont& qf = Resolve(font, dpi, device);
    const QString s = DecodeSjis(text);
    const QFontMetrics m(qf, device);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.translate(x, y);
    // Escapement turns counter-clockwise on a y-down device: a negative angle for Qt.
    if (font.escapement % 3600 != 0)
        painter.rotate(-font.escapement / 10.0);
    if (brush.style == BrushStyle::Solid)
        painter.fillRect(QRect(0, 0, m.horizontalAdvance(s), m.height()), QColor(ToQRgb(brush.color)));
    painter.setFont(qf);
    painter.setPen(QColor(ToQRgb(font.color)));
    painter.drawText(QPoint(0, m.ascent()), s);
    painter.restore();
}

} // namespace plavik
