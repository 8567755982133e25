#include "render/helpers.h"

#include "render/jtool.h"
#include "render/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace plavik {

namespace {

constexpr double kRadPerDeg = std::numbers::pi / 180.0;
// Arcs with at most this many chords (or two per pixel of the canvas's outline, if more) are drawn
// chord by chord; larger ones only where they can be seen. Kept low so that a file of thousands of
// arcs circling far outside a thumbnail costs no more than a file of arcs that can be seen.
constexpr double kMinChordsDrawnWhole = 512.0;
// Chords left out of a huge dashed arc move the dash phase on as drawing them would: chord by chord
// for runs up to this long, beyond that by the length of a polyline through this many of them.
constexpr std::int64_t kChordsWalkedForPhase = 4096;
// Index ranges whose points all lie this close together (in pixels) are drawn as one chord.
constexpr double kClusterSpread = 0.5;
// ... when they are at least this many, so that ordinary ellipses keep every corner.
constexpr std::int64_t kMinCluster = 8;
// Runs of chords this short are drawn without further testing.
constexpr std::int64_t kChordRun = 64;

// Clears the upper halves of the vector registers. Qt's text and fill routines may leave them dirty,
// and on Intel processors the AVX versions of sin, cos and atan then run several times slower, for
// every chord. No vector register holds a value across a call, so clearing them here loses nothing;
// processors without AVX lack the instruction and skip it.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((noinline)) void ClearUpperVectorHalves() {
    static const bool avx = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    if (avx)
        __asm__ __volatile__("vzeroupper");
}
#else
void ClearUpperVectorHalves() {}
#endif

struct Ellipse {
    float cx, cy, r, flatness, tilt, aspect;
    // For turning points quickly: the tilt's cosine and sine, and how far (radians) the angle that
    // PointAt turns by may lie from the true one through its roundings to 32-bit floats (half a unit
    // in the last place of an angle below 512 degrees, and of the angle less the tilt), doubled.
    double cosTilt = std::cos(tilt * kRadPerDeg);
    double sinTilt = std::sin(tilt * kRadPerDeg);
    double angleError =
        ((0x1p-16 + (512.0 + std::fabs(static_cast<double>(tilt))) * 0x1p-24) * 2 + 1e-12) * kRadPerDeg;
};

// True when v lies farther than error from every half-way point between whole numbers, so that any
// value within error of it rounds to the same whole number.
bool RoundsClear(double v, double error) {
    return std::fabs(v) < 0x1p22 && 0.5 - std::fabs(v - NearbyWhole(v)) > error;
}

// The turned point of PointAt, found by turning (dx, dy) by the tilt directly instead of through the
// distance and angle (an arctangent, a square root and two more sines). PointAt's own dx and dy lie
// within spread of these (0: they are its own). The result is kept only when it is certain to round
// to the same pixels as PointAt's own steps: the error bounds cover every rounding of those steps.
// False otherwise (a few points in a thousand), and PointAt goes on.
bool TurnQuickly(const Ellipse& e, double dx, double dy, double spread, TPoint& point) {
    const double x = e.cx + dx * e.cosTilt + dy * e.sinTilt;
    const double y = e.cy + e.aspect * (dy * e.cosTilt - dx * e.sinTilt);
    // The distance and angle of PointAt are off by at most reach * (2^-23 + angleError); a turn
    // moves the spread of dx and dy by at most sqrt(2) times.
    const double off = (std::fabs(dx) + std::fabs(dy) + 2 * spread) * (e.angleError + 0x1p-22) + 1.5 * spread;
    const double errorX = off + (std::fabs(e.cx) + std::fabs(x)) * 0x1p-22;
    const double errorY =
        off * std::fabs(static_cast<double>(e.aspect)) + (std::fabs(e.cy) + std::fabs(y)) * 0x1p-22;
    if (!RoundsClear(x, errorX) || !RoundsClear(y, errorY))
        return false;
    point = {ToDevice(x), ToDevice(y)};
    return true;
}

// The device point of angle theta (degrees), with the intermediate results held as 32-bit floats.
TPoint PointAt(const Ellipse& e, float theta) {
    const double t = theta * kRadPerDeg;
    // The point on the unturned ellipse.
    const float ex = static_cast<float>(e.cx + static_cast<double>(e.r) * std::cos(t));
    const float ey = static_cast<float>(e.cy - static_cast<double>(e.r) * e.flatness * std::sin(t));
    // Its distance and angle about the centre.
    const double dx = static_cast<double>(ex) - e.cx;
    const double dy = static_cast<double>(ey) - e.cy;
    if (TPoint quick; TurnQuickly(e, dx, dy, 0, quick))
        return quick;
    const float dist = static_cast<float>(std::sqrt(dx * dx + dy * dy));
    float phi = 0;
    if (dx != 0)
        phi = static_cast<float>(std::atan(dy / dx) / kRadPerDeg + (dx < 0 ? 180.0 : 0.0));
    else if (dy > 0)
        phi = 90;
    else if (dy < 0)
        phi = -90;
    // Turned by the tilt, then the device's y direction scaled.
    const float psi = static_cast<float>(static_cast<double>(phi) - e.tilt);
    const float px = static_cast<float>(e.cx + static_cast<double>(dist) * std::cos(psi * kRadPerDeg));
    const float py =
        static_cast<float>(e.cy + static_cast<double>(dist) * e.aspect * std::sin(psi * kRadPerDeg));
    return {ToDevice(px), ToDevice(py)};
}

float StepAngle(float start, std::int64_t q, float s) {
    return static_cast<float>(start + static_cast<double>(q) * s);
}

// The points of the chord angles start + q s for q = 0, 1, 2 ... in turn, as PointAt gives them. The
// unit circle's cosine and sine are turned on by one step at a time instead of computed afresh, and
// TurnQuickly is told how far that may put them from PointAt's own.
class ChordWalk {
public:
    ChordWalk(float start, float s)
        : start_(start), s_(s), cos_(std::cos(start * kRadPerDeg)), sin_(std::sin(start * kRadPerDeg)),
          stepCos_(std::cos(s * kRadPerDeg)), stepSin_(std::sin(s * kRadPerDeg)) {}

    TPoint Next(const Ellipse& e) {
        const float theta = StepAngle(start_, q_, s_);
        const double walked = start_ + static_cast<double>(q_) * s_;
        // Off the exact cosine and sine of theta by theta's rounding to a float, the roundings of
        // every step so far and those of the maths library; doubled.
        const double drift =
            2 * (std::fabs(theta - walked) * kRadPerDeg + (static_cast<double>(q_) + 4) * 0x1p-48 +
                 (std::fabs(walked) + std::fabs(static_cast<double>(s_))) * kRadPerDeg * 0x1p-50);
        const double ex = e.cx + static_cast<double>(e.r) * cos_;
        const double ey = e.cy - static_cast<double>(e.r) * e.flatness * sin_;
        // ... and PointAt rounds its ex and ey to floats.
        const double spread = (std::fabs(static_cast<double>(e.r)) * (1 + std::fabs(e.flatness))) * drift +
                              (std::fabs(ex) + std::fabs(ey)) * 0x1p-23;
        const double c = cos_;
        cos_ = c * stepCos_ - sin_ * stepSin_;
        sin_ = sin_ * stepCos_ + c * stepSin_;
        ++q_;
        TPoint p;
        if (!TurnQuickly(e, ex - e.cx, ey - e.cy, spread, p))
            p = PointAt(e, theta);
        return p;
    }

private:
    float start_, s_;
    double cos_, sin_, stepCos_, stepSin_;
    std::int64_t q_ = 0;
};

// Draws an arc too long to walk chord by chord: the same chords at the same angles, but only where
// they can reach the canvas. The chords of angle index q (0..n, with n + 1 standing for the end angle)
// are found by halving the index range and dropping every part whose bounding disc misses the
// canvas. Between visible parts the pen moves without drawing.
// Moves the dash phase over the chords from index qa to qb, which are not drawn.
template <typename Point>
void SkipChords(const Point& point, std::int64_t qa, std::int64_t qb, DrawBudget& budget) {
    if (CurrentLineState().LineKind <= 1 || qb <= qa)
        return;
    const std::int64_t stride = (qb - qa + kChordsWalkedForPhase - 1) / kChordsWalkedForPhase;
    TPoint p = point(qa);
    double length = 0;
    for (std::int64_t q = qa; q < qb;) {
        q = std::min(q + stride, qb);
        const TPoint next = point(q);
        const double dx = static_cast<double>(next.x) - p.x;
        const double dy = static_cast<double>(next.y) - p.y;
        length += std::sqrt(dx * dx + dy * dy);
        // Chord by chord, the phase rounds at every chord as drawing does.
        if (stride == 1) {
            AdvanceDash(length);
            length = 0;
        }
        p = next;
        budget.ChargeHugeArc(1);
    }
    AdvanceDash(length);
}

void DrawHugeArc(Canvas& canvas, const Ellipse& e, float start, float end, float s, std::int64_t n,
                 DrawBudget& budget) {
    // The turned ellipse is p(t) = C + M (cos t, sin t); |M| (Frobenius) bounds how far points move.
    const double ct = std::cos(e.tilt * kRadPerDeg);
    const double st = std::sin(e.tilt * kRadPerDeg);
    const double m11 = e.r * ct, m12 = -static_cast<double>(e.r) * e.flatness * st;
    const double m21 = -static_cast<double>(e.aspect) * e.r * st;
    const double m22 = -static_cast<double>(e.aspect) * e.r * e.flatness * ct;
    const double norm = std::sqrt(m11 * m11 + m12 * m12 + m21 * m21 + m22 * m22);
    // The margin covers a chord's length, the rounding to pixels and the error of 32-bit floats.
    const double floatError = (std::fabs(e.cx) + std::fabs(e.cy) + norm) * 0x1p-21;
    const double margin = 64.0 + norm * std::fabs(s * kRadPerDeg) + floatError;
    const TRect b = canvas.Bounds();
    const double lox = b.left - margin, hix = b.right + margin;
    const double loy = b.top - margin, hiy = b.bottom + margin;

    auto angle = [&](std::int64_t q) {
        return q > n ? static_cast<double>(end) : start + static_cast<double>(q) * s;
    };
    // How far the points of an index range lie from the range's middle point at most: the unit
    // circle's cos and sin move by at most |sin m| h + h^2 / 2 and |cos m| h + h^2 / 2 within h of m.
    const double col1 = std::hypot(m11, m21);
    const double col2 = std::hypot(m12, m22);
    auto spread = [&](std::int64_t qa, std::int64_t qb) {
        const double h = std::fabs(angle(qb) - angle(qa)) * kRadPerDeg / 2;
        if (!(h < 1.0))
            return norm * 2.0;
        const double mid = (angle(qa) + angle(qb)) / 2 * kRadPerDeg;
        const double bend = h * h / 2;
        return col1 * (std::fabs(std::sin(mid)) * h + bend) + col2 * (std::fabs(std::cos(mid)) * h + bend);
    };
    auto visible = [&](std::int64_t qa, std::int64_t qb) {
        const double mid = (angle(qa) + angle(qb)) / 2 * kRadPerDeg;
        const double radius = spread(qa, qb) + 2.0;
        const double x = e.cx + m11 * std::cos(mid) + m12 * std::sin(mid);
        const double y = e.cy + m21 * std::cos(mid) + m22 * std::sin(mid);
        return x + radius >= lox && x - radius <= hix && y + radius >= loy && y - radius <= hiy;
    };
    auto point = [&](std::int64_t q) { return PointAt(e, q > n ? end : StepAngle(start, q, s)); };

    const TPoint first = point(0);
    JMoveTo(canvas, first.x, first.y);
    if (!std::isfinite(margin)) {
        // An ellipse beyond every finite size shows nothing.
        const TPoint p = point(n + 1);
        canvas.MoveTo(p.x, p.y);
        return;
    }
    std::int64_t last = -1; // the last index drawn to; the pen stands at index 0 to begin with
    // Moves the pen to index q, over chords that are not drawn.
    auto skipTo = [&](std::int64_t q, const TPoint& p) {
        SkipChords(point, std::max<std::int64_t>(last, 0), q, budget);
        canvas.MoveTo(p.x, p.y);
    };
    std::vector<std::pair<std::int64_t, std::int64_t>> stack{{0, n + 1}};
    while (!stack.empty() && !budget.HugeArcsSpent()) {
        const auto [qa, qb] = stack.back();
        stack.pop_back();
        budget.ChargeHugeArc(1);
        if (!visible(qa, qb))
            continue;
        if (qb - qa >= kMinCluster && spread(qa, qb) < kClusterSpread) {
            // Thousands of chords within a fraction of a pixel (the ends of a very flat ellipse):
            // one chord across them draws the same pixels.
            const std::int64_t from = std::max(qa, last + 1);
            if (from > last + 1)
                skipTo(from, point(from));
            const TPoint p = point(qb);
            budget.ChargeHugeArc(JLineTo(canvas, p.x, p.y));
            last = qb;
            continue;
        }
        // Long runs are halved; so are short runs of chords much finer than a pixel, which then
        // gather into clusters.
        if (qb - qa > kChordRun ||
            (qb - qa > 1 && spread(qa, qb) < kClusterSpread / 4 * static_cast<double>(qb - qa))) {
            const std::int64_t mid = qa + (qb - qa) / 2;
            stack.emplace_back(mid, qb);
            stack.emplace_back(qa, mid);
            continue;
        }
        for (std::int64_t q = std::max(qa, last + 1); q <= qb; ++q) {
            const TPoint p = point(q);
            if (q > last + 1)
                skipTo(q, p);
            else
                budget.ChargeHugeArc(JLineTo(canvas, p.x, p.y));
            last = q;
        }
    }
    if (last != n + 1) {
        const TPoint p = point(n + 1);
        canvas.MoveTo(p.x, p.y);
    }
}

} // namespace

COLORREF PenColorOf(const Palette& palette, int colorNumber) {
    return colorNumber >= 0 && colorNumber <= 7 ? palette[static_cast<std::size_t>(colorNumber)] : 0;
}

void SelectPenColor(Canvas& canvas, const Palette& palette, int colorNumber) {
    canvas.SetPenColor(PenColorOf(palette, colorNumber));
}

void SelectLineType(Canvas& canvas, int lineType) {
    SetLineType(canvas, lineType >= 0 && lineType <= 9 ? lineType : 1);
}

int DrawSegment(Canvas& canvas, int x1, int y1, int x2, int y2) {
    const LineRun run(canvas); // a dashed segment is many lines
    JMoveTo(canvas, x1, y1);
    return 1 + JLineTo(canvas, x2, y2);
}

void DrawArc(Canvas& canvas, float cx, float cy, float r, float startAngle, float endAngle, float flatness,
             float tilt, float aspect) {
    DrawBudget budget(canvas.Bounds());
    DrawArc(canvas, cx, cy, r, startAngle, endAngle, flatness, tilt, aspect, budget);
}

void DrawArc(Canvas& canvas, float cx, float cy, float r, float startAngle, float endAngle, float flatness,
             float tilt, float aspect, DrawBudget& budget) {
    if (r == 0)
        return;
    const LineRun run(canvas);
    ClearUpperVectorHalves();
    // Small circles get more chords per pixel of radius.
    const double f = r >= 10 ? 1.2 : 4.0;
    if (endAngle == 0)
        endAngle = 360;
    if (endAngle < startAngle)
        endAngle += 360;
    if (endAngle == startAngle) {
        startAngle = 0;
        endAngle = 360;
    }
    if (!(flatness > 0))
        flatness = 1;
    const Ellipse e{cx, cy, r, flatness, tilt, aspect};
    const double chords = r * f * (static_cast<double>(endAngle) - startAngle) / 360.0;
    const float s = static_cast<float>(360.0 / (r * f));

    const TRect b = canvas.Bounds();
    const double outline =
        4.0 * (static_cast<double>(b.right) - b.left + static_cast<double>(b.bottom) - b.top);
    if (chords > std::max(kMinChordsDrawnWhole, outline)) {
        // Once their share of the budget is spent, such arcs are not even begun.
        if (budget.HugeArcsSpent())
            return;
        // Beyond 2^53 whole steps the angles no longer differ anyway.
        DrawHugeArc(canvas, e, startAngle, endAngle, s, static_cast<std::int64_t>(std::min(chords, 0x1p53)),
                    budget);
        return;
    }

    const int n = Trunc(chords); // NaN gives 0, a negative radius no whole steps
    const TPoint p0 = PointAt(e, startAngle);
    JMoveTo(canvas, p0.x, p0.y);
    std::int64_t work = 1;
    ChordWalk walk(startAngle, s);
    for (int q = 0; q <= n; ++q) {
        const TPoint p = walk.Next(e);
        work += JLineTo(canvas, p.x, p.y);
    }
    const TPoint pe = PointAt(e, endAngle);
    work += JLineTo(canvas, pe.x, pe.y);
    budget.Charge(work);
}

} // namespace plavik
