#include "settings/colorswatch.h"

#include <QPainter>

namespace plavik {

QColor ColorFromColorRef(COLORREF color) {
    return QColor(static_cast<int>(color & 0xFFu), static_cast<int>((color >> 8) & 0xFFu),
                  static_cast<int>((color >> 16) & 0xFFu));
}

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {}

void ColorSwatch::SetColor(COLORREF color) {
    if (color_ == color)
        return;
    color_ = color;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent*) {
    // Like a rectangle shape: the outline is the widget's edge, the fill everything inside it.
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), ColorFromColorRef(color_));
}

} // namespace plavik
