#include "export/vectorwalk.h"

#include "export/exportstyle.h"
#include "platform/sjis.h"
#include "render/budget.h"
#include "render/jwwpaint.h"
#include "render/textcodes.h"

#include <cmath>
#include <numbers>

namespace plavik {

namespace {

constexpr int kChordsPerTurn = 72;

class Visit {
public:
    Visit(const JwwDocument& doc, VectorSink& sink) : doc_(doc), sink_(sink) {}

    std::int64_t operator()(const JwwEntity& e, const Affine& m) {
        const double* v = e.v;
        switch (e.shape) {
        case JwwShape::Line:
            sink_.Line(m.Apply({v[0], v[1]}), m.Apply({v[2], v[3]}), e.style, e.color);
            break;
        case JwwShape::Arc:
            if (const double sweep = DrawnSweep(v[4], e.extra != 0); sweep != 0)
                sink_.Arc(ArcOf(v[0], v[1], v[2], v[6], v[5], v[3], sweep).Mapped(m), e.style, e.color);
            break;
        case JwwShape::Point:
            sink_.Point(m.Apply({v[0], v[1]}), e.color);
            break;
        case JwwShape::Text:
            Text(e, m);
            break;
        case JwwShape::Solid:
            Solid(e, m);
            break;
        case JwwShape::Block:
            break;
        }
        return 0;
    }

private:
    void Text(const JwwEntity& e, const Affine& m) {
        const std::string_view bytes = doc_.Text(e);
        if (bytes.empty())
            return;
        const double* v = e.v;
        const double degrees = std::fmod(v[5], 360.0);
        const double radians = degrees * std::numbers::pi / 180;
        const DPoint up = m.Turn({-std::sin(radians), std::cos(radians)});
        const DPoint along = m.Turn({std::cos(radians), std::sin(radians)});
        VectorText t;
        t.base = m.Apply({v[0], v[1]});
        const DPoint end = m.Apply({v[2], v[3]});
        t.length = std::hypot(end.x - t.base.x, end.y - t.base.y);
        t.height = std::fabs(v[4]) * std::hypot(up.x, up.y);
        t.angle = std::atan2(along.y, along.x) * 180 / std::numbers::pi;
        if (IsImagePlacement(bytes)) {
            PlacedImage(e, t, up);
            return;
        }
        t.text = DecodeSjis(ShownText(bytes));
        if (e.vertical) {
            const TextLayout layout = LayOutText(bytes, true, t.base, end, up, std::fabs(v[4]));
            t.angle = std::atan2(layout.across.y, layout.across.x) * 180 / std::numbers::pi;
            const double scale = std::hypot(up.x, up.y);
            for (const LaidGlyph& g : layout.glyphs)
                t.glyphs.push_back({g.foot, g.size * scale, DecodeSjis(g.bytes)});
        }
        t.font = DecodeSjis(doc_.Font(e));
        if (t.font.startsWith(QLatin1Char('@'))) // jw_cad's mark of vertical writing, not the font's name
            t.font.remove(0, 1);
        if (std::isfinite(t.base.x) && std::isfinite(t.base.y) && std::isfinite(t.height) && t.height > 0)
            sink_.Text(t);
    }

    // An image placement: its frame and its name, as the pictures show it.
    void PlacedImage(const JwwEntity& e, VectorText t, DPoint up) {
        const DPoint end{t.base.x + t.length * std::cos(t.angle * std::numbers::pi / 180),
                         t.base.y + t.length * std::sin(t.angle * std::numbers::pi / 180)};
        const ImagePlacement image = ReadImagePlacement(doc_.Text(e));
        const ImageFrame frame = ImageFrameOf(image, t.base, end, up, std::fabs(e.v[4]));
        for (std::size_t i = 0; i < frame.corners.size(); ++i)
            sink_.Line(frame.corners[i], frame.corners[(i + 1) % frame.corners.size()], 1, e.color);
        t.base = frame.nameBase;
        t.height = frame.nameHeight * std::hypot(up.x, up.y);
        t.length = 0;
        t.text = DecodeSjis(image.name);
        if (!t.text.isEmpty() && std::isfinite(t.base.x) && std::isfinite(t.base.y) && t.height > 0)
            sink_.Text(t);
    }

    void Solid(const JwwEntity& e, const Affine& m) {
        std::vector<std::vector<DPoint>> rings(1);
        struct Outline {
            std::vector<std::vector<DPoint>>& rings;
            void Corner(DPoint c) { rings.back().push_back(c); }
            void Arc(const EllipseArc& arc) {
                for (const DPoint p : ArcChords(arc))
                    rings.back().push_back(p);
            }
            void EndRing() { rings.emplace_back(); }
        } outline{rings};
        WalkSolidOutline(e, m, outline);
        rings.pop_back();
        sink_.Fill(rings, e.color == kJwwSolidOwnColor ? e.extra : 0);
    }

    const JwwDocument& doc_;
    VectorSink& sink_;
};

} // namespace

std::vector<DPoint> ArcChords(const EllipseArc& arc) {
    const double wanted = std::ceil(kChordsPerTurn * std::fabs(arc.sweep) / kTwoPi);
    const int n = std::isfinite(wanted) ? std::clamp(static_cast<int>(wanted), 2, kChordsPerTurn * 4) : 2;
    std::vector<DPoint> points;
    points.reserve(static_cast<std::size_t>(n) + 1);
    for (int k = 0; k <= n; ++k)
        points.push_back(arc.At(arc.start + arc.sweep * k / n));
    return points;
}

void WalkVectors(EntityStream& stream, VectorSink& sink) {
    JwwDocument& doc = stream.Document();
    Visit visit(doc, sink);
    DrawBudget budget = DrawBudget::Largest();
    EntityWalk<Visit> walk(doc, visit, budget);
    stream.ForEach([&](const JwwEntity& e) {
        if (sink.Full())
            return false;
        if (doc.Shown(e)) {
            sink.Layer(e.group, e.layer);
            walk.One(e, Affine{}, 0);
        }
        return !budget.Spent();
    });
}

Box PageOf(EntityStream& stream) {
    Box page = stream.Sheet();
    if (!page.Empty())
        return page;
    page = StreamExtent(stream);
    if (page.Empty())
        return Box{0, 0, 1, 1};
    // Room for the characters of texts, which stand above their base lines.
    const double margin = std::max({page.maxX - page.minX, page.maxY - page.minY, 1.0}) * 0.05;
    return Box{page.minX - margin, page.minY - margin, page.maxX + margin, page.maxY + margin};
}

} // namespace plavik
