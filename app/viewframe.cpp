#include "app/viewframe.h"

#include <algorithm>
#include <cmath>

namespace plavik {

QRectF FitFrame(double proportion, const QSizeF& view, double margin) {
    if (!(proportion > 0) || !std::isfinite(proportion))
        proportion = 1;
    const double w = std::max(view.width() - 2 * margin, kNarrowestFrame);
    const double h = std::max(view.height() - 2 * margin, kNarrowestFrame / proportion);
    double width = w, height = w / proportion;
    if (height > h) {
        height = h;
        width = h * proportion;
    }
    return {(view.width() - width) / 2, (view.height() - height) / 2, width, height};
}

QRectF ZoomFrame(const QRectF& frame, const QPointF& at, double factor) {
    if (!(factor > 0) || !std::isfinite(factor) || frame.width() <= 0)
        return frame;
    const double width = std::clamp(frame.width() * factor, kNarrowestFrame, kWidestFrame);
    const double k = width / frame.width();
    // at = left + u * width before and after.
    return {at.x() - (at.x() - frame.left()) * k, at.y() - (at.y() - frame.top()) * k, width,
            frame.height() * k};
}

QRectF PanFrame(const QRectF& frame, const QPointF& by, const QSizeF& view) {
    QRectF moved = frame.translated(by);
    const double keep = kNarrowestFrame;
    moved.moveLeft(
        std::clamp(moved.left(), keep - moved.width(), std::max(view.width() - keep, keep - moved.width())));
    moved.moveTop(std::clamp(moved.top(), keep - moved.height(),
                             std::max(view.height() - keep, keep - moved.height())));
    return moved;
}

TRect DeviceFrame(const QRectF& frame, double ratio) {
    const auto at = [](double v) {
        return static_cast<int>(std::clamp(std::round(v), -double{1 << 29}, double{1 << 29}));
    };
    return {at(frame.left() * ratio), at(frame.top() * ratio), at(frame.right() * ratio),
            at(frame.bottom() * ratio)};
}

} // namespace plavik
