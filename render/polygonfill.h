// Filling polygons on a canvas that has no polygon call: rows of FillRect.
#pragma once

#include "render/canvas.h"
#include "render/jwwgeometry.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace plavik {

// Fills the closed rings (ring k ends before ringEnds[k]) with the canvas brush, even-odd: every pixel
// of clip whose centre lies inside. Points are in device pixels relative to origin: the point p lies
// at pixel origin + round(p), so the centre of pixel q lies at q - origin. Rows whose spans repeat
// are merged into one rectangle. The points must be finite and within 1e300 of the origin. Costs one pass
// over the edges per row of clip that the rings cross; scratch holds the crossings between calls. Returns its
// work in short lines' worth: one for each rectangle filled, one for every eight edges tested against a row.
std::int64_t FillPolygon(Canvas& canvas, std::span<const DPoint> points,
                         std::span<const std::size_t> ringEnds, TPoint origin, const TRect& clip,
                         std::vector<double>& scratch);

} // namespace plavik
