// Plane geometry of the figure and drawing renderer: affine maps for block references, elliptic arcs
// given by their centre and two axis vectors, and boxes.
#pragma once

#include <cmath>
#include <limits>

namespace plavik {

struct DPoint {
    double x = 0, y = 0;
};

// x' = a x + b y + e, y' = c x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    DPoint Apply(DPoint p) const { return {a * p.x + b * p.y + e, c * p.x + d * p.y + f}; }
    // The linear part only, for directions.
    DPoint Turn(DPoint v) const { return {a * v.x + b * v.y, c * v.x + d * v.y}; }
    // This map after inner: p -> this(inner(p)).
    Affine After(const Affine& in) const {
        return {a * in.a + b * in.c, a * in.b + b * in.d,     c * in.a + d * in.c,
                c * in.b + d * in.d, a * in.e + b * in.f + e, c * in.e + d * in.f + f};
    }
    bool Finite() const {
        return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d) &&
               std::isfinite(e) && std::isfinite(f);
    }
};

// A block reference's placement: scale, then rotate (radians), then move.
Affine Placement(double x, double y, double scaleX, double scaleY, double rotation);

// centre + u cos t + w sin t, t from start over sweep (negative: clockwise).
struct EllipseArc {
    DPoint centre, u, w;
    double start = 0, sweep = 0;

    DPoint At(double t) const {
        const double c = std::cos(t), s = std::sin(t);
        return {centre.x + u.x * c + w.x * s, centre.y + u.y * c + w.y * s};
    }
    EllipseArc Mapped(const Affine& m) const { return {m.Apply(centre), m.Turn(u), m.Turn(w), start, sweep}; }
};

inline constexpr double kTwoPi = 6.283185307179586;

// The swept angle drawn: a whole turn (keeping the direction) for the full-circle flag or a sweep
// beyond one turn.
double DrawnSweep(double sweep, bool full);

// The arc of radius r along the axis turned by tilt, r * flatness across it, with parametric angles
// measured from that axis.
EllipseArc ArcOf(double cx, double cy, double r, double flatness, double tilt, double start, double sweep);

struct Box {
    double minX = std::numeric_limits<double>::infinity(), minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity(), maxY = -std::numeric_limits<double>::infinity();

    bool Empty() const { return !(minX <= maxX && minY <= maxY); }
    void Add(DPoint p) {
        minX = std::fmin(minX, p.x);
        minY = std::fmin(minY, p.y);
        maxX = std::fmax(maxX, p.x);
        maxY = std::fmax(maxY, p.y);
    }
    // The exact box of the arc.
    void Add(const EllipseArc& arc);
};

} // namespace plavik
