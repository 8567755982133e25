// The pieces of the figure and drawing renderer: the map from paper millimetres to device pixels, the
// walk through the entities with block references expanded, and the painter that draws one entity.
#pragma once

#include "render/budget.h"
#include "render/canvas.h"
#include "render/entitystream.h"
#include "render/jwwdocument.h"
#include "render/jwwgeometry.h"
#include "render/numbers.h"
#include "render/palette.h"
#include "render/textcodes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace plavik {

// Block references nest at most this deep; deeper ones are not drawn, so a definition that refers
// to itself ends there.
inline constexpr int kMaxBlockDepth = 8;

// Paper millimetres to device pixels. A point maps to the offset Rel(p) from Origin(), and lies at
// pixel Origin() + round(Rel(p)), each axis rounded half to even.
class DeviceMap {
public:
    // The box's centre at the rectangle's centre, scaled by min((W - 1) / bw, (H - 1) / bh); a side
    // of 0 takes the other's scale, both 0 give 1.
    static DeviceMap Fit(const TRect& rect, const Box& box);
    // The sheet of width x height millimetres centred on the origin stretched over the rectangle.
    static DeviceMap Sheet(const TRect& rect, double width, double height);

    // Offsets beyond +-1e300 (overflows among them) are held there, so that differences of two never
    // overflow; NaN stays NaN.
    DPoint Rel(DPoint p) const {
        return {Hold(addX_ + (p.x + shiftX_) * mulX_ / divX_), Hold(addY_ + (p.y + shiftY_) * mulY_ / divY_)};
    }
    TPoint Pixel(DPoint rel) const { return {Add(origin_.x, Round(rel.x)), Add(origin_.y, Round(rel.y))}; }
    TPoint Origin() const { return origin_; }
    // Device pixels per millimetre along each axis; y is negative, as the device's y grows downward.
    double ScaleX() const { return mulX_ / divX_; }
    double ScaleY() const { return mulY_ / divY_; }

private:
    static double Hold(double v) { return v > 1e300 ? 1e300 : v < -1e300 ? -1e300 : v; }
    // origin + offset, saturated as ToDevice saturates.
    static int Add(int origin, int offset) {
        return static_cast<int>(
            std::clamp<long long>(static_cast<long long>(origin) + offset, -kDeviceLimit, kDeviceLimit));
    }

    TPoint origin_;
    double addX_ = 0, shiftX_ = 0, mulX_ = 1, divX_ = 1;
    double addY_ = 0, shiftY_ = 0, mulY_ = -1, divY_ = 1;
};

// Calls visit(entity, map) for each entity to draw, in file order, block references expanded in place
// with the map from the definition's coordinates to paper. Drawings show the top-level entities of
// shown layers only; a reference's own layer decides for all it places. Stops when budget is spent;
// visit returns what its entity cost beyond the one it is charged for being visited.
template <typename Visit> class EntityWalk {
public:
    EntityWalk(JwwDocument& doc, Visit& visit, DrawBudget& budget)
        : doc_(doc), visit_(visit), budget_(budget) {}

    // Reads the top-level entities again from source, the bytes the document was read from, and
    // visits them.
    void Run(const ByteCursor& source) {
        ForEachJwwEntity(source, doc_, [this](const JwwEntity& e) {
            if (doc_.Shown(e))
                One(e, Affine{}, 0);
            return !budget_.Spent();
        });
    }

    // Visits the stream's top-level entities on shown layers.
    void Run(EntityStream& stream) {
        stream.ForEach([this](const JwwEntity& e) {
            if (doc_.Shown(e))
                One(e, Affine{}, 0);
            return !budget_.Spent();
        });
    }

    // Visits one entity at the depth of block nesting it lies at, a reference with what it places,
    // as long as the budget lasts; for walks that choose their top-level entities themselves.
    void One(const JwwEntity& e, const Affine& m, int depth) {
        budget_.Charge(1);
        if (e.shape != JwwShape::Block) {
            budget_.Charge(visit_(e, m));
            return;
        }
        const JwwBlockDef* def = depth < kMaxBlockDepth ? doc_.Definition(e.extra) : nullptr;
        if (!def)
            return;
        const Affine inner = m.After(Placement(e.v[0], e.v[1], e.v[2], e.v[3], e.v[4]));
        if (!inner.Finite())
            return;
        for (std::uint32_t i = 0; i < def->count && !budget_.Spent(); ++i)
            One(doc_.blockEntities[def->first + i], inner, depth + 1);
    }

private:
    JwwDocument& doc_;
    Visit& visit_;
    DrawBudget& budget_;
};

// A solid's outline as jw_cad fills it, mapped by m, for every use of it (the painter, the extent):
// rings of corners and arcs in drawing order. The visitor takes Corner(DPoint), Arc(const EllipseArc&)
// and EndRing() after each ring. Styles below 101 are four corners; the round ones hold centre, radius,
// flatness, tilt, start, sweep and their kind or inner radius.
template <typename Visitor> void WalkSolidOutline(const JwwEntity& e, const Affine& m, Visitor& visit) {
    const double* v = e.v;
    if (e.style < 101) {
        for (int i = 0; i < 4; ++i)
            visit.Corner(m.Apply({v[2 * i], v[2 * i + 1]}));
        visit.EndRing();
        return;
    }
    const auto arc = [&](double radius, double start, double sweep) {
        return ArcOf(v[0], v[1], radius, v[3], v[4], start, sweep).Mapped(m);
    };
    if (e.style == 105 || e.style == 106) { // ring
        visit.Arc(arc(v[2], v[5], kTwoPi));
        visit.EndRing();
        visit.Arc(arc(v[7], v[5], kTwoPi));
        visit.EndRing();
    } else if (e.style == 111) { // band between two arcs
        const double sweep = DrawnSweep(v[6], false);
        visit.Arc(arc(v[2], v[5], sweep));
        visit.Arc(arc(v[7], v[5] + sweep, -sweep));
        visit.EndRing();
    } else {
        const double kind = v[7];
        const EllipseArc outer = arc(v[2], v[5], DrawnSweep(v[6], kind == 100));
        visit.Arc(outer);
        const double half = outer.sweep / 2;
        if (kind == 0) { // sector
            visit.Corner(outer.centre);
        } else if (kind == -1 && std::cos(half) > 1e-9) {
            // The corner where the tangents at both ends meet.
            const DPoint mid = outer.At(outer.start + half);
            const double k = 1.0 / std::cos(half);
            const DPoint c = outer.centre;
            visit.Corner({c.x + (mid.x - c.x) * k, c.y + (mid.y - c.y) * k});
        }
        // Kind 5, a disc, and anything else (kind -1 over half a turn, whose tangents do not meet,
        // too): the arc closed by its chord.
        visit.EndRing();
    }
}

// The box of everything a walk visits, every option on: lines (auxiliary ones too), arcs, points,
// solids and texts' base lines. Empty when there is nothing.
Box JwwExtent(const ByteCursor& source, JwwDocument& doc);
// The same for a stream of any format, on its shown layers.
Box StreamExtent(EntityStream& stream);

// The line type of auxiliary (construction) lines.
inline constexpr int kJwwAuxLineType = 9;

// What the painter draws and with which colours.
struct PaintOptions {
    const Palette* palette = nullptr;
    bool texts = false;     // texts drawn at all
    bool baseLines = false; // texts drawn as their base lines
    bool auxLines = false;  // line type 9 drawn
    // A drawing's own pens, when it is drawn in their colours: 1..9 and the SXF colours from 100 on.
    const std::array<JwwPen, 10>* pens = nullptr;
    const std::vector<COLORREF>* sxfPens = nullptr;
};

// The box a drawing fits when it shows its drawn content: what the walk visits on the shown layers as
// the options draw it, under ContentExtent's rule. Empty when nothing counts.
Box JwwContent(const ByteCursor& source, JwwDocument& doc, const PaintOptions& options);

// Draws one entity at a time on the canvas, within clip. Returns the primitives it emitted.
class JwwPainter {
public:
    JwwPainter(Canvas& canvas, const JwwDocument& doc, const DeviceMap& map, const TRect& clip,
               const PaintOptions& options);

    std::int64_t operator()(const JwwEntity& e, const Affine& m);
    // A circle of 3 pixels about the point (paper millimetres), in 12 chords.
    void Mark(DPoint p, COLORREF color);

private:
    // Where a text stands, in paper millimetres: its base line, its up, its height; and on the device,
    // its height in pixels and its angle in tenths of a degree.
    struct TextFrame {
        DPoint base, end, up;
        double height, pixels;
        int tenths;
    };

    std::int64_t Line(const JwwEntity& e, const Affine& m);
    std::int64_t Arc(const JwwEntity& e, const Affine& m);
    std::int64_t Point(const JwwEntity& e, const Affine& m);
    std::int64_t Text(const JwwEntity& e, const Affine& m);
    std::int64_t Solid(const JwwEntity& e, const Affine& m);
    // A text with codes inside, or one written top to bottom, character by character along its base
    // line.
    std::int64_t LaidOutText(const TextFrame& f, std::string_view text, bool vertical, COLORREF color);
    // An image placement: its box and its name.
    std::int64_t PlacedImage(const TextFrame& f, const ImagePlacement& image, COLORREF color);
    // True when the box of a text (its base line and its height above) meets the clip.
    bool Reaches(DPoint base, DPoint end, DPoint up, double height) const;
    // One run of characters with its cell's top-left corner at corner.
    void TextAt(DPoint corner, std::string_view text, double pixels, int tenths, COLORREF color);

    // The colour of a pen number: the palette's, or the drawing's own pens'.
    COLORREF ColorOf(std::uint16_t number) const;
    void UsePen(COLORREF color, int lineType);
    bool Inside(TPoint p) const;
    TPoint Clamped(TPoint p) const;
    // Starts a polyline at rel; continues it from the last point to the next. Only what lies in the
    // clip is drawn.
    void StartAt(DPoint rel);
    void PolyTo(DPoint rel);
    // Chords of the arc (already in device offsets) into points_, as many as its size on the device
    // needs and the picture's size allows; appended when keep is true.
    void ArcPoints(const EllipseArc& arc, bool keep = false);
    // Closes and strokes the rings in points_ / rings_, after filling them.
    std::int64_t FillAndOutline(COLORREF color);

    Canvas& canvas_;
    const JwwDocument& doc_;
    const DeviceMap& map_;
    TRect clip_;
    PaintOptions options_;
    int lineType_ = 1;
    DPoint last_;      // the polyline's last point
    TPoint lastPixel_; // and its pixel
    int maxChords_;
    std::int64_t lineCalls_ = 0; // canvas calls of the lines drawn so far, dashes counted one by one
    std::vector<DPoint> points_;
    std::vector<std::size_t> rings_;
    std::vector<double> crossings_;
};

} // namespace plavik
