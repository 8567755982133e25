#include "platform/canvastext.h"

#include "platform/fonts.h"
#include "platform/sjis.h"

#include <QPainter>

#include <algorithm>

namespace plavik {

const CanvasText::Entry& CanvasText::Resolve(const Font& font, int dpi, const QPaintDevice* device) {
    const auto same = [&](const Entry& e) {
        return e.key.height == font.height && e.dpi == dpi && e.device == device && e.key.name == font.name;
    };
    if (const auto hit = std::find_if(entries_.begin(), entries_.end(), same); hit != entries_.end()) {
        hit->lastUse = ++uses_;
        return *hit;
    }
    Font key = font;
    key.color = 0;
    key.escapement = 0;
    QFont qf = FontFor(key, dpi, device);
    QFontMetrics metrics = device ? QFontMetrics(qf, device) : QFontMetrics(qf);
    Entry entry{std::move(key), dpi, device, std::move(qf), std::move(metrics), ++uses_};
    if (entries_.size() < kEntries) {
        entries_.push_back(std::move(entry));
        return entries_.back();
    }
    const auto oldest =
        std::min_element(entries_.begin(), entries_.end(),
                         [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
    *oldest = std::move(entry);
    return *oldest;
}

int CanvasText::Width(const Font& font, int dpi, const QPaintDevice* device, std::string_view text) {
    if (text.empty())
        return 0;
    return Resolve(font, dpi, device).metrics.horizontalAdvance(DecodeSjis(text));
}

int CanvasText::Height(const Font& font, int dpi, const QPaintDevice* device) {
    return Resolve(font, dpi, device).metrics.height();
}

void CanvasText::Draw(QPainter& painter, const Font& font, int dpi, const Brush& brush, int x, int y,
                      std::string_view text) {
    if (text.empty())
        return;
    const Entry& entry = Resolve(font, dpi, painter.device());
    const QString s = DecodeSjis(text);
    const QFontMetrics& m = entry.metrics;

    // Set outside the saved state and only when it changes: a font set anew must find its glyphs anew.
    if (painter.font() != entry.font)
        painter.setFont(entry.font);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.translate(x, y);
    // Escapement turns counter-clockwise on a y-down device: a negative angle for Qt.
    if (font.escapement % 3600 != 0)
        painter.rotate(-font.escapement / 10.0);
    if (brush.style == BrushStyle::Solid)
        painter.fillRect(QRect(0, 0, m.horizontalAdvance(s), m.height()), QColor(ToQRgb(brush.color)));
    painter.setPen(QColor(ToQRgb(font.color)));
    painter.drawText(QPoint(0, m.ascent()), s);
    painter.restore();
}

} // namespace plavik
