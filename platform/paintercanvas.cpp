#include "platform/paintercanvas.h"

#include <QLineF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRectF>

#include <algorithm>
#include <cmath>

namespace plavik {

namespace {

// Wider pens than this cover any page anyway; the cap keeps the stroker's work bounded.
constexpr int kMaxPenWidth = 1 << 16;

// The part of the painter's coordinates that can reach its device, with a margin for wide pens.
QRectF VisibleArea(const QPainter& painter, double margin) {
    const QPaintDevice* d = painter.device();
    const QRectF deviceRect(0, 0, d ? d->width() : 0, d ? d->height() : 0);
    bool invertible = false;
    const QTransform inverse = painter.deviceTransform().inverted(&invertible);
    const QRectF area = invertible ? inverse.mapRect(deviceRect) : deviceRect;
    return area.adjusted(-margin, -margin, margin, margin);
}

// Cuts the segment to the rectangle (Liang-Barsky), so that coordinates far outside never reach the
// paint engine. Returns false when nothing of it is inside.
bool ClipSegment(QLineF& line, const QRectF& area) {
    const double x0 = line.x1(), y0 = line.y1();
    const double dx = line.dx(), dy = line.dy();
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - area.left(), area.right() - x0, y0 - area.top(), area.bottom() - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    line = QLineF(x0 + t0 * dx, y0 + t0 * dy, x0 + t1 * dx, y0 + t1 * dy);
    return true;
}

} // namespace

PainterCanvas::PainterCanvas(QPainter& painter) : painter_(painter) {}

void PainterCanvas::SetLogPixels(int x, int y) {
    dpiX_ = std::max(x, 0);
    dpiY_ = std::max(y, 0);
}

void PainterCanvas::LineTo(int x, int y) {
    const TPoint from = PenPos();
    SetPenPosition({x, y});
    const Pen& pen = GetPen();
    if (pen.style == PenStyle::Clear || from == TPoint{x, y} || !painter_.isActive())
        return;
    QPen qpen(QColor(ToQRgb(pen.color)));
    if (pen.width <= 1) {
        qpen.setWidth(0);
        qpen.setCosmetic(true);
        qpen.setCapStyle(Qt::FlatCap);
    } else {
        // Wider pens are as wide as a Windows geometric pen, with its round ends.
        qpen.setWidth(std::min(pen.width, kMaxPenWidth));
        qpen.setCapStyle(Qt::RoundCap);
        qpen.setJoinStyle(Qt::RoundJoin);
    }
    QLineF line(from.x, from.y, x, y);
    if (!ClipSegment(line, VisibleArea(painter_, std::clamp(pen.width, 1, kMaxPenWidth) + 1.0)))
        return;
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setPen(qpen);
    painter_.drawLine(line);
    painter_.restore();
}

void PainterCanvas::FillRect(const TRect& r) {
    if (GetBrush().style == BrushStyle::Clear || !painter_.isActive())
        return;
    const QRectF area = VisibleArea(painter_, 1.0);
    const double left = std::max<double>(r.left, std::floor(area.left()));
    const double top = std::max<double>(r.top, std::floor(area.top()));
    const double right = std::min<double>(r.right, std::ceil(area.right()));
    const double bottom = std::min<double>(r.bottom, std::ceil(area.bottom()));
    if (left >= right || top >= bottom)
        return;
    painter_.fillRect(QRectF(left, top, right - left, bottom - top), QColor(ToQRgb(GetBrush().color)));
}

void PainterCanvas::SetPixel(int x, int y, COLORREF color) {
    if (!painter_.isActive() || !VisibleArea(painter_, 1.0).contains(QPointF(x, y)))
        return;
    painter_.fillRect(QRectF(x, y, 1, 1), QColor(ToQRgb(color)));
}

void PainterCanvas::TextOut(int x, int y, std::string_view text) {
    if (!painter_.isActive())
        return;
    text_.Draw(painter_, GetFont(), GetDeviceCaps(DeviceCap::LogPixelsY), GetBrush(), x, y, text);
}

int PainterCanvas::TextWidth(std::string_view text) {
    return text_.Width(GetFont(), GetDeviceCaps(DeviceCap::LogPixelsY), painter_.device(), text);
}

int PainterCanvas::TextHeight(std::string_view) {
    return text_.Height(GetFont(), GetDeviceCaps(DeviceCap::LogPixelsY), painter_.device());
}

int PainterCanvas::GetDeviceCaps(DeviceCap cap) const {
    const QPaintDevice* d = painter_.device();
    if (!d)
        return 0;
    const int dpiX = dpiX_ > 0 ? dpiX_ : d->logicalDpiX();
    const int dpiY = dpiY_ > 0 ? dpiY_ : d->logicalDpiY();
    // Paper and printable area, in device pixels. A printer and a PDF writer are both paged devices:
    // their page layout at the device's resolution gives the paper and the printable area within it.
    QRect paper(0, 0, d->width(), d->height());
    QRect printable = paper;
    if (const auto* paged = dynamic_cast<const QPagedPaintDevice*>(d)) {
        const QPageLayout layout = paged->pageLayout();
        const int resolution = d->logicalDpiX();
        paper = layout.fullRectPixels(resolution);
        printable = layout.paintRectPixels(resolution);
    }
    switch (cap) {
    case DeviceCap::LogPixelsX:
        return dpiX;
    case DeviceCap::LogPixelsY:
        return dpiY;
    case DeviceCap::PhysicalWidth:
        return paper.width();
    case DeviceCap::PhysicalHeight:
        return paper.height();
    case DeviceCap::PhysicalOffsetX:
        return printable.left() - paper.left();
    case DeviceCap::PhysicalOffsetY:
        return printable.top() - paper.top();
    }
    return 0;
}

TRect PainterCanvas::Bounds() const {
    const QPaintDevice* d = painter_.device();
    return d ? TRect{0, 0, d->width(), d->height()} : TRect{};
}

} // namespace plavik
