// Where the viewer puts a file's picture: the frame, a rectangle in the view's pixels over which the
// renderer stretches the file's sheet (or its drawn content). Zooming and panning move the frame;
// what lies outside the view is not drawn.
#pragma once

#include "render/canvas.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace plavik {

// The frame is never narrower than this, nor wider than kWidestFrame, so that its device
// coordinates stay far within what the renderers take.
inline constexpr double kNarrowestFrame = 16;
inline constexpr double kWidestFrame = 1 << 26;

// The largest frame of proportion (width / height) that fits view with margin pixels on each side,
// centred on it.
QRectF FitFrame(double proportion, const QSizeF& view, double margin);

// The frame zoomed by factor about the view point at: the drawing's point under at stays under it.
// The factor is limited so that the frame's width stays within its bounds.
QRectF ZoomFrame(const QRectF& frame, const QPointF& at, double factor);

// The frame moved by as much of by as keeps at least kNarrowestFrame pixels of it in the view, so that
// panning never loses the drawing.
QRectF PanFrame(const QRectF& frame, const QPointF& by, const QSizeF& view);

// The frame in device pixels (view pixels times ratio), rounded outward to whole pixels.
TRect DeviceFrame(const QRectF& frame, double ratio);

} // namespace plavik
