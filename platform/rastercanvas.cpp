#include "platform/rastercanvas.h"

#include "platform/linewalk.h"

#include <QPainter>

#include <algorithm>

namespace plavik {

RasterCanvas::RasterCanvas(QImage& image) : image_(image) {
    const QImage::Format f = image_.format();
    if (!image_.isNull() && f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied)
        image_.convertTo(QImage::Format_RGB32);
    bounds_ = {0, 0, image_.width(), image_.height()};
    stride_ = image_.bytesPerLine();
}

RasterCanvas::~RasterCanvas() = default;

void RasterCanvas::SetLogPixels(int x, int y) {
    if (x > 0)
        dpiX_ = x;
    if (y > 0)
        dpiY_ = y;
}

void RasterCanvas::Fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                        QRgb color) {
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, bounds_.right);
    bottom = std::min<std::int64_t>(bottom, bounds_.bottom);
    if (left >= right || top >= bottom)
        return;
    // bits() detaches the image first if the caller shares its data with a copy.
    uchar* bits = image_.bits();
    for (auto y = top; y < bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bits + y * stride_);
        std::fill(line + left, line + right, color);
    }
}

void RasterCanvas::LineTo(int x, int y) {
    const TPoint from = PenPos();
    SetPenPosition({x, y});
    const Pen& pen = GetPen();
    if (pen.style == PenStyle::Clear)
        return;
    const QRgb color = ToQRgb(pen.color);
    const TRect& image = bounds_;
    if (pen.width <= 1) {
        // The scan lines are found once per line, when its first pixel is painted: bits() detaches
        // the image first if the caller shares its data with a copy.
        uchar* bits = nullptr;
        WalkLine(from.x, from.y, x, y, image, [&](int px, int py) {
            if (!bits)
                bits = image_.bits();
            reinterpret_cast<QRgb*>(bits + py * stride_)[px] = color;
        });
        return;
    }
    // A wide pen paints a square of its width about each pixel of the walk. The walk is clipped to
    // the image grown by the square's reach, so that squares of pixels just outside still show.
    // Capped: a wider square covers any image anyway.
    const std::int64_t w = std::min(pen.width, 1 << 16);
    const std::int64_t before = w / 2;
    const std::int64_t after = w - 1 - before;
    const auto grow = [](std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    const TRect reach{grow(image.left - after), grow(image.top - after), grow(image.right + before),
                      grow(image.bottom + before)};
    WalkLine(from.x, from.y, x, y, reach, [&](int px, int py) {
        Fill(std::int64_t{px} - before, std::int64_t{py} - before, std::int64_t{px} + after + 1,
             std::int64_t{py} + after + 1, color);
    });
}

void RasterCanvas::FillRect(const TRect& r) {
    if (GetBrush().style == BrushStyle::Clear)
        return;
    Fill(r.left, r.top, r.right, r.bottom, ToQRgb(GetBrush().color));
}

void RasterCanvas::SetPixel(int x, int y, COLORREF color) {
    if (x < 0 || y < 0 || x >= bounds_.right || y >= bounds_.bottom)
        return;
    reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = ToQRgb(color);
}

void RasterCanvas::TextOut(int x, int y, std::string_view text) {
    if (image_.isNull() || text.empty())
        return;
    if (!painter_) {
        auto painter = std::make_unique<QPainter>();
        if (!painter->begin(&image_))
            return;
        painter_ = std::move(painter);
    }
    text_.Draw(*painter_, GetFont(), dpiY_, GetBrush(), x, y, text);
}

int RasterCanvas::TextWidth(std::string_view text) {
    return text_.Width(GetFont(), dpiY_, image_.isNull() ? nullptr : &image_, text);
}

int RasterCanvas::TextHeight(std::string_view) {
    return text_.Height(GetFont(), dpiY_, image_.isNull() ? nullptr : &image_);
}

int RasterCanvas::GetDeviceCaps(DeviceCap cap) const {
    switch (cap) {
    case DeviceCap::LogPixelsX:
        return dpiX_;
    case DeviceCap::LogPixelsY:
        return dpiY_;
    case DeviceCap::PhysicalWidth:
        return image_.width();
    case DeviceCap::PhysicalHeight:
        return image_.height();
    case DeviceCap::PhysicalOffsetX:
    case DeviceCap::PhysicalOffsetY:
        return 0;
    }
    return 0;
}

TRect RasterCanvas::Bounds() const {
    return bounds_;
}

} // namespace plavik
