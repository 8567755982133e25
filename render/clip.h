// The one line clipper of the renderers and the canvases: coordinates far outside a picture never
// reach a dash walk or a paint engine.
#pragma once

#include <algorithm>
#include <utility>

namespace plavik {

// Narrows [t0, t1] to the part of the line (x, y) + t (dx, dy) that lies in the box from (left, top)
// to (right, bottom), edges included (Liang-Barsky). False when no part does.
inline bool ClipLine(double x, double y, double dx, double dy, double left, double top, double right,
                     double bottom, double& t0, double& t1) {
    const double p[2] = {x, y}, d[2] = {dx, dy}, lo[2] = {left, top}, hi[2] = {right, bottom};
    for (int a = 0; a < 2; ++a) {
        if (d[a] == 0) {
            if (p[a] < lo[a] || p[a] > hi[a])
                return false;
            continue;
        }
        double ta = (lo[a] - p[a]) / d[a], tb = (hi[a] - p[a]) / d[a];
        if (ta > tb)
            std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
    }
    return t0 <= t1;
}

} // namespace plavik
