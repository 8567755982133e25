#include "render/jwwgeometry.h"

#include <initializer_list>

namespace plavik {

Affine Placement(double x, double y, double scaleX, double scaleY, double rotation) {
    const double c = std::cos(rotation), s = std::sin(rotation);
    return {c * scaleX, -s * scaleY, s * scaleX, c * scaleY, x, y};
}

double DrawnSweep(double sweep, bool full) {
    if (full || std::fabs(sweep) > kTwoPi)
        return sweep < 0 ? -kTwoPi : kTwoPi;
    return sweep;
}

EllipseArc ArcOf(double cx, double cy, double r, double flatness, double tilt, double start, double sweep) {
    const double c = std::cos(tilt), s = std::sin(tilt);
    const double minor = r * flatness;
    return {{cx, cy}, {r * c, r * s}, {-minor * s, minor * c}, start, sweep};
}

void Box::Add(const EllipseArc& arc) {
    Add(arc.At(arc.start));
    Add(arc.At(arc.start + arc.sweep));
    // Each coordinate is extreme where its derivative vanishes: at these angles and half a turn on.
    const double lo = arc.sweep < 0 ? arc.start + arc.sweep : arc.start;
    const double span = std::fabs(arc.sweep);
    for (const double t0 : {std::atan2(arc.w.x, arc.u.x), std::atan2(arc.w.y, arc.u.y)}) {
        for (const double t : {t0, t0 + kTwoPi / 2}) {
            double d = std::fmod(t - lo, kTwoPi);
            if (d < 0)
                d += kTwoPi;
            if (d <= span)
                Add(arc.At(t));
        }
    }
}

} // namespace plavik
