#include "platform/paintercanvas.h"

#include "render/clip.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plavik {

namespace {

// Wider pens than this cover any page anyway; the cap keeps the stroker's work bounded.
constexpr int kMaxPenWidth = 1 << 16;
// Gathered points are drawn once there are this many, so that a huge arc takes bounded memory.
constexpr std::size_t kMaxGatheredPoints = 8192;

QPen ToQPen(const Pen& pen, COLORREF color) {
    QPen qpen(QColor(ToQRgb(color)));
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
    return qpen;
}

// Cuts the segment to the rectangle (Liang-Barsky), so that coordinates far outside never reach the
// paint engine. Returns false when nothing of it is inside.
bool ClipSegment(QLineF& line, const QRectF& area) {
    const double x0 = line.x1(), y0 = line.y1();
    const double dx = line.dx(), dy = line.dy();
    double t0 = 0.0, t1 = 1.0;
    if (!ClipLine(x0, y0, dx, dy, area.left(), area.top(), area.right(), area.bottom(), t0, t1))
        return false;
    // Ends that are not cut keep their exact values, so that connected lines stay connected.
    line = QLineF(t0 > 0.0 ? QPointF(x0 + t0 * dx, y0 + t0 * dy) : line.p1(),
                  t1 < 1.0 ? QPointF(x0 + t1 * dx, y0 + t1 * dy) : line.p2());
    return true;
}

bool SamePoint(const QPointF& a, const QPointF& b) {
    return a.x() == b.x() && a.y() == b.y();
}

// True when c lies straight on from a through b, so that b adds nothing to the stroke a-b-c.
bool StraightOn(const QPointF& a, const QPointF& b, const QPointF& c) {
    const double ux = b.x() - a.x(), uy = b.y() - a.y();
    const double vx = c.x() - b.x(), vy = c.y() - b.y();
    return ux * vy - uy * vx == 0.0 && ux * vx + uy * vy > 0.0;
}

} // namespace

PainterCanvas::PainterCanvas(QPainter& painter) : painter_(painter) {}

COLORREF PainterCanvas::Shown(COLORREF color) const {
    if (!grayscale_)
        return color;
    const auto grey = static_cast<unsigned>(qGray(ToQRgb(color)));
    return RGB(grey, grey, grey);
}

PainterCanvas::~PainterCanvas() {
    Flush();
    if (!painterTaken_ || !painter_.isActive())
        return;
    if (painter_.pen() != callerPen_)
        painter_.setPen(callerPen_);
    if (painter_.testRenderHint(QPainter::Antialiasing) != callerAntialiasing_)
        painter_.setRenderHint(QPainter::Antialiasing, callerAntialiasing_);
}

QPainter& PainterCanvas::painter() {
    Flush();
    return painter_;
}

void PainterCanvas::SetLogPixels(int x, int y) {
    dpiX_ = std::max(x, 0);
    dpiY_ = std::max(y, 0);
}

void PainterCanvas::UsePen(const Pen& pen) {
    if (!painterTaken_) {
        painterTaken_ = true;
        callerPen_ = painter_.pen();
        callerAntialiasing_ = painter_.testRenderHint(QPainter::Antialiasing);
        usedPen_ = pen;
        usedQPen_ = ToQPen(pen, Shown(pen.color));
    } else if (pen != usedPen_) {
        usedPen_ = pen;
        usedQPen_ = ToQPen(pen, Shown(pen.color));
    }
    // Setting the same state again is not free: a PDF writer writes it out anew.
    if (painter_.testRenderHint(QPainter::Antialiasing))
        painter_.setRenderHint(QPainter::Antialiasing, false);
    if (painter_.pen() != usedQPen_)
        painter_.setPen(usedQPen_);
}

QRectF PainterCanvas::VisibleArea(double margin) {
    // Within a run of lines nothing but the canvas draws, so the area found for its first line holds.
    const QTransform transform = painter_.deviceTransform();
    if (!areaValid_ || runDepth_ == 0 || transform != areaTransform_) {
        const QPaintDevice* d = painter_.device();
        const QRectF deviceRect(0, 0, d ? d->width() : 0, d ? d->height() : 0);
        bool invertible = false;
        const QTransform inverse = transform.inverted(&invertible);
        area_ = invertible ? inverse.mapRect(deviceRect) : deviceRect;
        areaTransform_ = transform;
        areaValid_ = true;
    }
    return area_.adjusted(-margin, -margin, margin, margin);
}

void PainterCanvas::LineTo(int x, int y) {
    const TPoint from = PenPos();
    SetPenPosition({x, y});
    const Pen& pen = GetPen();
    if (pen.style == PenStyle::Clear || from == TPoint{x, y} || !painter_.isActive())
        return;
    QLineF line(from.x, from.y, x, y);
    if (!ClipSegment(line, VisibleArea(std::clamp(pen.width, 1, kMaxPenWidth) + 1.0)))
        return;
    if (runDepth_ == 0) {
        UsePen(pen);
        painter_.drawLine(line);
        return;
    }
    if (!points_.empty() && (pen != gatherPen_ || points_.size() >= kMaxGatheredPoints))
        Flush();
    if (points_.empty())
        gatherPen_ = pen;
    if (!runs_.empty() && SamePoint(points_.back(), line.p1())) {
        // A line straight on from the last one lengthens it: the same stroke with a point less for
        // the device (a PDF writes and compresses every point; an arc's chords are often in line).
        if (StraightOn(points_[points_.size() - 2], points_.back(), line.p2())) {
            points_.back() = line.p2();
            return;
        }
        points_.push_back(line.p2());
        ++runs_.back();
        return;
    }
    points_.push_back(line.p1());
    points_.push_back(line.p2());
    runs_.push_back(2);
    // Room for every run as a single line, so that drawing them (also from a destructor) allocates
    // nothing.
    if (lines_.capacity() < runs_.size())
        lines_.reserve(runs_.capacity());
}

void PainterCanvas::Flush() {
    if (points_.empty())
        return;
    if (painter_.isActive()) {
        UsePen(gatherPen_);
        lines_.clear();
        std::size_t at = 0;
        for (const int n : runs_) {
            if (n == 2)
                lines_.emplace_back(points_[at], points_[at + 1]);
            else
                painter_.drawPolyline(points_.data() + at, n);
            at += static_cast<std::size_t>(n);
        }
        // One pen and opaque colours: the order among these lines does not show.
        if (!lines_.empty())
            painter_.drawLines(lines_.data(), static_cast<int>(lines_.size()));
    }
    points_.clear();
    runs_.clear();
}

void PainterCanvas::BeginLines() {
    // The device may have changed between runs (a new sheet of another size).
    if (runDepth_++ == 0)
        areaValid_ = false;
}

void PainterCanvas::EndLines() {
    if (runDepth_ > 0 && --runDepth_ == 0)
        Flush();
}

void PainterCanvas::FillRect(const TRect& r) {
    Flush();
    if (GetBrush().style == BrushStyle::Clear || !painter_.isActive())
        return;
    const QRectF area = VisibleArea(1.0);
    const double left = std::max<double>(r.left, std::floor(area.left()));
    const double top = std::max<double>(r.top, std::floor(area.top()));
    const double right = std::min<double>(r.right, std::ceil(area.right()));
    const double bottom = std::min<double>(r.bottom, std::ceil(area.bottom()));
    if (left >= right || top >= bottom)
        return;
    painter_.fillRect(QRectF(left, top, right - left, bottom - top), QColor(ToQRgb(Shown(GetBrush().color))));
}

void PainterCanvas::SetPixel(int x, int y, COLORREF color) {
    Flush();
    if (!painter_.isActive() || !VisibleArea(1.0).contains(QPointF(x, y)))
        return;
    painter_.fillRect(QRectF(x, y, 1, 1), QColor(ToQRgb(Shown(color))));
}

void PainterCanvas::TextOut(int x, int y, std::string_view text) {
    Flush();
    if (!painter_.isActive())
        return;
    const int dpi = GetDeviceCaps(DeviceCap::LogPixelsY);
    if (!grayscale_) {
        text_.Draw(painter_, GetFont(), dpi, GetBrush(), x, y, text);
        return;
    }
    Font font = GetFont();
    Brush brush = GetBrush();
    font.color = Shown(font.color);
    brush.color = Shown(brush.color);
    text_.Draw(painter_, font, dpi, brush, x, y, text);
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
    if (cap == DeviceCap::LogPixelsX)
        return dpiX_ > 0 ? dpiX_ : d->logicalDpiX();
    if (cap == DeviceCap::LogPixelsY)
        return dpiY_ > 0 ? dpiY_ : d->logicalDpiY();
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
    case DeviceCap::PhysicalWidth:
        return paper.width();
    case DeviceCap::PhysicalHeight:
        return paper.height();
    case DeviceCap::PhysicalOffsetX:
        return printable.left() - paper.left();
    case DeviceCap::PhysicalOffsetY:
        return printable.top() - paper.top();
    case DeviceCap::LogPixelsX:
    case DeviceCap::LogPixelsY:
        break;
    }
    return 0;
}

TRect PainterCanvas::Bounds() const {
    const QPaintDevice* d = painter_.device();
    return d ? TRect{0, 0, d->width(), d->height()} : TRect{};
}

} // namespace plavik
