// Drawing one entity of a figure or drawing: lines and arcs in their line types, points, texts and
// filled solids, everything clipped to the picture.
#include "render/clip.h"
#include "render/codepage.h"
#include "render/helpers.h"
#include "render/jtool.h"
#include "render/jwwpaint.h"
#include "render/polygonfill.h"
#include "render/textcodes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace plavik {

namespace {

// A text taller than this many times the picture's larger side shows nothing that can be read.
constexpr double kMostTextHeight = 4.0;
// Chords per turn of an arc: about 5 sqrt(r) keeps each chord within a quarter pixel of the curve
// for a radius of r pixels.
constexpr double kChordsPerRootPixel = 5.0;
constexpr double kMinChordsPerTurn = 8.0;

// Line types 2..9 draw their patterns; every other style, solid.
int LineTypeOf(std::uint8_t style) {
    return style >= 2 && style <= 9 ? style : 1;
}

bool Finite(DPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The part [t0, t1] of from + t (to - from), 0 <= t <= 1, inside [lo, hi]; false when none is.
bool ClipSegment(DPoint from, DPoint to, DPoint lo, DPoint hi, double& t0, double& t1) {
    t0 = 0;
    t1 = 1;
    return ClipLine(from.x, from.y, to.x - from.x, to.y - from.y, lo.x, lo.y, hi.x, hi.y, t0, t1);
}

DPoint Lerp(DPoint a, DPoint b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

} // namespace

JwwPainter::JwwPainter(Canvas& canvas, const JwwDocument& doc, const DeviceMap& map, const TRect& clip,
                       const PaintOptions& options)
    : canvas_(canvas), doc_(doc), map_(map), clip_(clip), options_(options) {
    const double sides =
        std::fabs(static_cast<double>(clip.Width())) + std::fabs(static_cast<double>(clip.Height()));
    maxChords_ = static_cast<int>(std::min(2.0 * sides + 16.0, 1e6));
    SelectLineType(canvas_, lineType_);
    points_.reserve(static_cast<std::size_t>(maxChords_) + 2); // one arc's points, or a quadrilateral's
}

std::int64_t JwwPainter::operator()(const JwwEntity& e, const Affine& m) {
    const std::int64_t callsBefore = lineCalls_;
    std::int64_t cost = 0;
    switch (e.shape) {
    case JwwShape::Line:
        cost = Line(e, m);
        break;
    case JwwShape::Arc:
        cost = Arc(e, m);
        break;
    case JwwShape::Point:
        cost = Point(e, m);
        break;
    case JwwShape::Text:
        cost = Text(e, m);
        break;
    case JwwShape::Solid:
        cost = Solid(e, m);
        break;
    case JwwShape::Block:
        break;
    }
    // A dashed line costs its dashes: thousands of long dashed lines must not outlast the budget.
    return std::max(cost, lineCalls_ - callsBefore);
}

void JwwPainter::Mark(DPoint p, COLORREF color) {
    const DPoint c = map_.Rel(p);
    if (!Finite(c))
        return;
    UsePen(color, 1);
    for (int k = 0; k <= 12; ++k) {
        const double t = kTwoPi * k / 12;
        const DPoint q{c.x + 3 * std::cos(t), c.y - 3 * std::sin(t)};
        if (k == 0)
            StartAt(q);
        else
            PolyTo(q);
    }
}

COLORREF JwwPainter::ColorOf(std::uint16_t number) const {
    if (!options_.pens)
        return PenColorOf(*options_.palette, number);
    if (number >= 1 && number <= 9)
        return (*options_.pens)[number].color & 0x00FFFFFFu;
    if (number >= 100 && options_.sxfPens && number - 100u < options_.sxfPens->size())
        return (*options_.sxfPens)[number - 100u] & 0x00FFFFFFu;
    return 0;
}

void JwwPainter::UsePen(COLORREF color, int lineType) {
    if (canvas_.GetPen().color != color)
        canvas_.SetPenColor(color);
    if (lineType != lineType_) {
        SelectLineType(canvas_, lineType);
        lineType_ = lineType;
    }
}

bool JwwPainter::Inside(TPoint p) const {
    return p.x >= clip_.left && p.x < clip_.right && p.y >= clip_.top && p.y < clip_.bottom;
}

TPoint JwwPainter::Clamped(TPoint p) const {
    if (clip_.right <= clip_.left || clip_.bottom <= clip_.top)
        return p;
    return {std::clamp(p.x, clip_.left, clip_.right - 1), std::clamp(p.y, clip_.top, clip_.bottom - 1)};
}

void JwwPainter::StartAt(DPoint rel) {
    last_ = rel;
    lastPixel_ = map_.Pixel(rel);
    const TPoint p = Clamped(lastPixel_);
    JMoveTo(canvas_, p.x, p.y);
}

void JwwPainter::PolyTo(DPoint to) {
    const DPoint from = last_;
    const TPoint a = lastPixel_, b = map_.Pixel(to);
    last_ = to;
    lastPixel_ = b;
    if (clip_.right <= clip_.left || clip_.bottom <= clip_.top)
        return; // an empty or inverted picture shows nothing
    if (Inside(a) && Inside(b)) {
        lineCalls_ += JLineTo(canvas_, b.x, b.y);
        return;
    }
    // The part within the clip's pixels, reaching half a pixel beyond their centres.
    const TPoint o = map_.Origin();
    const DPoint lo{clip_.left - 0.5 - o.x, clip_.top - 0.5 - o.y};
    const DPoint hi{clip_.right - 0.5 - o.x, clip_.bottom - 0.5 - o.y};
    double t0 = 0, t1 = 0;
    if (!ClipSegment(from, to, lo, hi, t0, t1))
        return;
    const TPoint s = t0 > 0 ? Clamped(map_.Pixel(Lerp(from, to, t0))) : Clamped(a);
    const TPoint e = t1 < 1 ? Clamped(map_.Pixel(Lerp(from, to, t1))) : Clamped(b);
    if (!(canvas_.PenPos() == s))
        canvas_.MoveTo(s.x, s.y);
    lineCalls_ += JLineTo(canvas_, e.x, e.y);
}

std::int64_t JwwPainter::Line(const JwwEntity& e, const Affine& m) {
    if (e.style == kJwwAuxLineType && !options_.auxLines)
        return 0;
    const DPoint a = map_.Rel(m.Apply({e.v[0], e.v[1]}));
    const DPoint b = map_.Rel(m.Apply({e.v[2], e.v[3]}));
    if (!Finite(a) || !Finite(b))
        return 0;
    UsePen(ColorOf(e.color), LineTypeOf(e.style));
    StartAt(a);
    PolyTo(b);
    return 1;
}

void JwwPainter::ArcPoints(const EllipseArc& arc, bool keep) {
    if (!keep)
        points_.clear();
    // The device's semi-axes are at most this long.
    const double kx = map_.ScaleX(), ky = map_.ScaleY();
    const double radius = std::sqrt(std::pow(arc.u.x * kx, 2) + std::pow(arc.u.y * ky, 2) +
                                    std::pow(arc.w.x * kx, 2) + std::pow(arc.w.y * ky, 2));
    const double perTurn = std::clamp(std::ceil(kChordsPerRootPixel * std::sqrt(radius)), kMinChordsPerTurn,
                                      static_cast<double>(maxChords_));
    // NaN (a radius beyond every size) gives one chord.
    const double wanted = std::ceil(perTurn * std::fabs(arc.sweep) / kTwoPi);
    const int n = wanted >= 1 ? static_cast<int>(std::min(wanted, static_cast<double>(maxChords_))) : 1;
    // The angles step by turning (cos, sin) rather than by calling both for each point; the last
    // point is the arc's exact end.
    const double step = arc.sweep / n;
    const double cs = std::cos(step), ss = std::sin(step);
    double c = std::cos(arc.start), s = std::sin(arc.start);
    for (int k = 0; k < n; ++k) {
        points_.push_back(
            map_.Rel({arc.centre.x + arc.u.x * c + arc.w.x * s, arc.centre.y + arc.u.y * c + arc.w.y * s}));
        const double next = c * cs - s * ss;
        s = s * cs + c * ss;
        c = next;
    }
    points_.push_back(map_.Rel(arc.At(arc.start + arc.sweep)));
}

std::int64_t JwwPainter::Arc(const JwwEntity& e, const Affine& m) {
    if (e.style == kJwwAuxLineType && !options_.auxLines)
        return 0;
    const double* v = e.v;
    const double sweep = DrawnSweep(v[4], e.extra != 0);
    if (sweep == 0)
        return 0;
    const EllipseArc arc = ArcOf(v[0], v[1], v[2], v[6], v[5], v[3], sweep).Mapped(m);
    // Arcs whose whole ellipse misses the clip are not walked.
    const DPoint c = map_.Rel(arc.centre);
    const double ex = std::hypot(arc.u.x, arc.w.x) * std::fabs(map_.ScaleX());
    const double ey = std::hypot(arc.u.y, arc.w.y) * std::fabs(map_.ScaleY());
    const TPoint o = map_.Origin();
    if (!Finite(c) || !std::isfinite(ex) || !std::isfinite(ey) || c.x + ex < clip_.left - 1.0 - o.x ||
        c.x - ex > clip_.right + 0.0 - o.x || c.y + ey < clip_.top - 1.0 - o.y ||
        c.y - ey > clip_.bottom + 0.0 - o.y)
        return 0;
    UsePen(ColorOf(e.color), LineTypeOf(e.style));
    ArcPoints(arc);
    StartAt(points_[0]);
    for (std::size_t k = 1; k < points_.size(); ++k)
        PolyTo(points_[k]);
    return static_cast<std::int64_t>(points_.size());
}

std::int64_t JwwPainter::Point(const JwwEntity& e, const Affine& m) {
    const DPoint rel = map_.Rel(m.Apply({e.v[0], e.v[1]}));
    if (!Finite(rel))
        return 0;
    const TPoint p = map_.Pixel(rel);
    if (!Inside(p))
        return 0;
    canvas_.SetPixel(p.x, p.y, ColorOf(e.color));
    return DrawBudget::kPointWork;
}

std::int64_t JwwPainter::Text(const JwwEntity& e, const Affine& m) {
    if (!options_.texts)
        return 0;
    const COLORREF color = options_.pens ? ColorOf(e.color) : (*options_.palette)[kText];
    const DPoint base = m.Apply({e.v[0], e.v[1]});
    const DPoint start = map_.Rel(base);
    if (!Finite(start))
        return 0;
    if (options_.baseLines) {
        const DPoint end = map_.Rel(m.Apply({e.v[2], e.v[3]}));
        if (!Finite(end))
            return 0;
        UsePen(color, 1);
        StartAt(start);
        PolyTo(end);
        return 1;
    }
    const std::string_view text = doc_.Text(e);
    if (text.empty())
        return 0;
    // The characters stand on the base line: the font's cell, as tall as the text, has its top-left
    // corner one height above the base line's start, turned with the text.
    const double degrees = std::fmod(e.v[5], 360.0);
    const double radians = degrees * std::numbers::pi / 180.0;
    const DPoint up = m.Turn({-std::sin(radians), std::cos(radians)});
    const double height = std::fabs(e.v[4]);
    // A text is drawn when it starts in the picture. Where the picture is the whole canvas (a view
    // of part of a drawing), one that starts outside and reaches in is drawn too: the canvas ends
    // what would spill.
    if (!Inside(map_.Pixel(start)) &&
        !(clip_ == canvas_.Bounds() && Reaches(base, m.Apply({e.v[2], e.v[3]}), up, height)))
        return 0;
    const double pixels = std::hypot(up.x * map_.ScaleX(), up.y * map_.ScaleY()) * height;
    const double side = std::max(std::abs(clip_.Width()), std::abs(clip_.Height()));
    if (!(pixels <= kMostTextHeight * side))
        return 0;
    int tenths = Round(degrees * 10.0);
    if (m.a != 1 || m.b != 0 || m.c != 0 || m.d != 1) {
        const DPoint along = m.Turn({std::cos(radians), std::sin(radians)});
        tenths = Round(std::atan2(along.y, along.x) * 1800.0 / std::numbers::pi);
    }
    const TextFrame frame{base, m.Apply({e.v[2], e.v[3]}), up, height, pixels, tenths};
    if (IsImagePlacement(text))
        return PlacedImage(frame, ReadImagePlacement(text), color);
    if (e.vertical || text.find('^') != std::string_view::npos)
        return LaidOutText(frame, text, e.vertical, color);
    const DPoint corner = map_.Rel({base.x + up.x * height, base.y + up.y * height});
    if (!Finite(corner))
        return 0;
    const TPoint at = map_.Pixel(corner);
    JTextOut(canvas_, at.x, at.y, text, -std::max(1, Round(pixels)), tenths, color);
    return DrawBudget::kTextWork;
}

bool JwwPainter::Reaches(DPoint base, DPoint end, DPoint up, double height) const {
    const DPoint top{up.x * height, up.y * height};
    double left = INFINITY, right = -INFINITY, low = INFINITY, high = -INFINITY;
    for (const DPoint p :
         {base, end, DPoint{base.x + top.x, base.y + top.y}, DPoint{end.x + top.x, end.y + top.y}}) {
        const DPoint rel = map_.Rel(p);
        const TPoint o = map_.Origin();
        left = std::min(left, o.x + rel.x);
        right = std::max(right, o.x + rel.x);
        low = std::min(low, o.y + rel.y);
        high = std::max(high, o.y + rel.y);
    }
    return right >= clip_.left && left < clip_.right && high >= clip_.top && low < clip_.bottom;
}

void JwwPainter::TextAt(DPoint corner, std::string_view text, double pixels, int tenths, COLORREF color) {
    const DPoint rel = map_.Rel(corner);
    if (!Finite(rel))
        return;
    const TPoint at = map_.Pixel(rel);
    JTextOut(canvas_, at.x, at.y, text, -std::max(1, Round(pixels)), tenths, color);
}

std::int64_t JwwPainter::LaidOutText(const TextFrame& f, std::string_view text, bool vertical,
                                     COLORREF color) {
    const TextLayout layout = LayOutText(text, vertical, f.base, f.end, f.up, f.height);
    const int uprightTenths = Round(std::atan2(layout.across.y, layout.across.x) * 1800.0 / std::numbers::pi);
    for (const LaidGlyph& g : layout.glyphs)
        TextAt(g.corner, g.bytes, g.small ? f.pixels / 2 : f.pixels, vertical ? uprightTenths : f.tenths, color);
    return static_cast<std::int64_t>(layout.glyphs.size()) * DrawBudget::kTextWork;
}

std::int64_t JwwPainter::PlacedImage(const TextFrame& f, const ImagePlacement& image, COLORREF color) {
    const ImageFrame frame = ImageFrameOf(image, f.base, f.end, f.up, f.height);
    UsePen(color, 1);
    StartAt(map_.Rel(frame.corners[0]));
    for (int i = 1; i <= 4; ++i)
        PolyTo(map_.Rel(frame.corners[i % 4]));
    if (!image.name.empty() && f.height > 0) {
        const double top = frame.nameHeight;
        TextAt({frame.nameBase.x + f.up.x * top, frame.nameBase.y + f.up.y * top}, image.name,
               f.pixels * frame.nameHeight / f.height, f.tenths, color);
    }
    return 4 + DrawBudget::kTextWork;
}

std::int64_t JwwPainter::Solid(const JwwEntity& e, const Affine& m) {
    points_.clear();
    rings_.clear();
    struct Outline {
        JwwPainter& p;
        void Corner(DPoint c) { p.points_.push_back(p.map_.Rel(c)); }
        void Arc(const EllipseArc& arc) { p.ArcPoints(arc, true); }
        void EndRing() { p.rings_.push_back(p.points_.size()); }
    } outline{*this};
    WalkSolidOutline(e, m, outline);
    if (!std::all_of(points_.begin(), points_.end(), Finite))
        return 0;
    return FillAndOutline(e.color == 10 ? e.extra : ColorOf(e.color));
}

std::int64_t JwwPainter::FillAndOutline(COLORREF color) {
    const Brush brush{color, BrushStyle::Solid};
    if (!(canvas_.GetBrush() == brush))
        canvas_.SetBrush(brush);
    const std::int64_t work = FillPolygon(canvas_, points_, rings_, map_.Origin(), clip_, crossings_);
    // The outline too, as a polygon's pen draws it: thin solids keep at least their edges.
    UsePen(color, 1);
    std::size_t begin = 0;
    for (const std::size_t end : rings_) {
        StartAt(points_[begin]);
        for (std::size_t i = begin + 1; i < end; ++i)
            PolyTo(points_[i]);
        PolyTo(points_[begin]);
        begin = end;
    }
    return work + static_cast<std::int64_t>(points_.size());
}

} // namespace plavik
