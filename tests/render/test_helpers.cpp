#include "render/helpers.h"

#include "render/jtool.h"
#include "support/recordingcanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace plavik {
namespace {

using test::CallKind;
using test::RecordingCanvas;

class DrawArcTest : public ::testing::Test {
protected:
    void SetUp() override {
        CurrentLineState() = LineState{};
        SelectLineType(canvas, 1);
    }

    // The points the arc's polyline visits: its start, then every chord's end.
    std::vector<TPoint> Path() const { return canvas.PenPath(); }

    TRect Extent() const {
        const auto path = Path();
        TRect r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (const TPoint& p : path) {
            r.left = std::min(r.left, p.x);
            r.top = std::min(r.top, p.y);
            r.right = std::max(r.right, p.x);
            r.bottom = std::max(r.bottom, p.y);
        }
        return r;
    }

    RecordingCanvas canvas;
};

TEST_F(DrawArcTest, WholeCircleIsARegularPolygonDrawnCounterClockwise) {
    DrawArc(canvas, 50, 50, 10, 0, 0, 1, 0, 1);
    const auto path = Path();
    // JMoveTo to the start, 13 chords (the first of zero length), the closing call to the end angle.
    ASSERT_EQ(path.size(), 15u);
    EXPECT_EQ(canvas.calls.front().kind, CallKind::MoveTo);
    EXPECT_EQ(path.front(), (TPoint{60, 50}));
    EXPECT_EQ(path[1], (TPoint{60, 50}));
    EXPECT_EQ(path[4], (TPoint{50, 40})); // 90 degrees: up on the page
    EXPECT_EQ(path[7], (TPoint{40, 50}));
    EXPECT_EQ(path[10], (TPoint{50, 60}));
    EXPECT_EQ(path[13], (TPoint{60, 50}));
    EXPECT_EQ(path.back(), (TPoint{60, 50}));
    for (std::size_t i = 1; i < path.size(); ++i) {
        const double r = std::hypot(path[i].x - 50.0, path[i].y - 50.0);
        EXPECT_NEAR(r, 10.0, 0.75) << i;
    }
    EXPECT_EQ(canvas.DrawnSegments().size(), 12u);
}

TEST_F(DrawArcTest, ChordCountsFollowTheRadius) {
    struct Case {
        float r;
        int n;
    };
    for (const Case c : {Case{3, 12}, Case{9, 36}, Case{10, 12}, Case{20, 24}, Case{100, 120},
                         Case{9.99f, 39}, Case{0.2f, 0}}) {
        SCOPED_TRACE(c.r);
        canvas.ClearLog();
        DrawArc(canvas, 500, 500, c.r, 0, 360, 1, 0, 1);
        EXPECT_EQ(canvas.CallsOf(CallKind::LineTo).size(), static_cast<std::size_t>(c.n) + 2);
        EXPECT_EQ(canvas.CallsOf(CallKind::MoveTo).size(), 1u);
    }
}

TEST_F(DrawArcTest, EndBeforeStartWrapsRoundThroughZero) {
    DrawArc(canvas, 50, 50, 10, 90, 0, 1, 0, 1); // end becomes 360
    auto path = Path();
    ASSERT_EQ(path.size(), 12u); // 9 whole steps of 30 degrees
    EXPECT_EQ(path.front(), (TPoint{50, 40}));
    EXPECT_EQ(path[4], (TPoint{40, 50}));
    EXPECT_EQ(path[7], (TPoint{50, 60}));
    EXPECT_EQ(path.back(), (TPoint{60, 50}));

    canvas.ClearLog();
    DrawArc(canvas, 50, 50, 10, 300, 60, 1, 0, 1); // end becomes 420
    path = Path();
    ASSERT_EQ(path.size(), 7u); // 4 whole steps
    EXPECT_EQ(path.front(), (TPoint{55, 59}));
    EXPECT_EQ(path[3], (TPoint{60, 50}));
    EXPECT_EQ(path.back(), (TPoint{55, 41}));
    for (const TPoint& p : path)
        EXPECT_GE(p.x, 55);
}

TEST_F(DrawArcTest, EndZeroAndEqualAnglesMeanWholeTurns) {
    struct Case {
        float start, end;
        std::size_t points;
        TPoint first;
    };
    for (const Case c :
         {Case{-90, 0, 18, {50, 60}}, Case{45, 45, 15, {60, 50}}, Case{0, 360, 15, {60, 50}}}) {
        SCOPED_TRACE(c.start);
        canvas.ClearLog();
        DrawArc(canvas, 50, 50, 10, c.start, c.end, 1, 0, 1);
        const auto path = Path();
        ASSERT_EQ(path.size(), c.points);
        EXPECT_EQ(path.front(), c.first);
        EXPECT_EQ(path.back(), (TPoint{60, 50}));
    }
}

TEST_F(DrawArcTest, FlatnessTiltAndAspectShapeTheEllipse) {
    struct Case {
        float r, flatness, tilt, aspect;
        TPoint start;
        TRect extent;
    };
    for (const Case& c : {
             Case{20, 0.5f, 90, 1, {100, 80}, {90, 80, 110, 120}}, // 20 wide, 40 high
             Case{20, 0.5f, 0, 1, {120, 100}, {80, 90, 120, 110}}, // 40 wide, 20 high
             Case{10, 1, 0, 2, {110, 100}, {90, 80, 110, 120}},    // a circle in a box twice as high
             Case{20, 0, 0, 1, {120, 100}, {80, 80, 120, 120}},    // flatness 0 is a circle
             Case{20, -3, 0, 1, {120, 100}, {80, 80, 120, 120}},   // and so is a negative one
             Case{20, 1, 0, -1, {120, 100}, {80, 80, 120, 120}},   // y mirrored: the same circle
         }) {
        SCOPED_TRACE(testing::Message() << c.flatness << " " << c.tilt << " " << c.aspect);
        canvas.ClearLog();
        DrawArc(canvas, 100, 100, c.r, 0, 0, c.flatness, c.tilt, c.aspect);
        EXPECT_EQ(Path().front(), c.start);
        EXPECT_EQ(Extent(), c.extent);
    }
}

TEST_F(DrawArcTest, ZeroRadiusDrawsNothing) {
    canvas.MoveTo(7, 8);
    canvas.ClearLog();
    DrawArc(canvas, 50, 50, 0, 0, 90, 1, 0, 1);
    EXPECT_TRUE(canvas.calls.empty());
    EXPECT_EQ(canvas.PenPos(), (TPoint{7, 8}));
}

TEST_F(DrawArcTest, DashedArcCarriesOnePatternAcrossItsChords) {
    canvas.SetDeviceCap(DeviceCap::LogPixelsX, 72);
    SelectLineType(canvas, 3);
    DrawArc(canvas, 200, 200, 100, 0, 0, 1, 0, 1);
    // One JMoveTo only: the phase is never reset between chords, so gaps of 4 pixels appear along
    // the 628-pixel outline rather than one dash per chord.
    EXPECT_EQ(canvas.CallsOf(CallKind::SetPen).size(), 1u);
    const auto drawn = canvas.DrawnSegments();
    const auto moves = canvas.CallsOf(CallKind::MoveTo);
    EXPECT_GT(moves.size(), 100u);
    EXPECT_LT(moves.size(), 200u);
    EXPECT_GT(drawn.size(), 100u);
}

// Every chord end of an arc is the point of its angle computed step by step in 32-bit floats (the
// point on the unturned ellipse, its distance and angle about the centre, turned by the tilt), to the
// pixel, however the arc computes it. Centres and radii on half pixels, tilts and aspects put many
// points on the very edge between two pixels.
TEST_F(DrawArcTest, ChordEndsAreThePixelsOfTheFloatSteps) {
    constexpr double k = 3.14159265358979323846 / 180.0;
    const auto pointAt = [k](float cx, float cy, float r, float flat, float tilt, float aspect, float theta) {
        const double t = theta * k;
        const float ex = static_cast<float>(cx + static_cast<double>(r) * std::cos(t));
        const float ey = static_cast<float>(cy - static_cast<double>(r) * flat * std::sin(t));
        const double dx = static_cast<double>(ex) - cx, dy = static_cast<double>(ey) - cy;
        const float dist = static_cast<float>(std::sqrt(dx * dx + dy * dy));
        const float phi = dx != 0  ? static_cast<float>(std::atan(dy / dx) / k + (dx < 0 ? 180.0 : 0.0))
                          : dy > 0 ? 90.0f
                          : dy < 0 ? -90.0f
                                   : 0.0f;
        const float psi = static_cast<float>(static_cast<double>(phi) - tilt);
        const float px = static_cast<float>(cx + static_cast<double>(dist) * std::cos(psi * k));
        const float py = static_cast<float>(cy + static_cast<double>(dist) * aspect * std::sin(psi * k));
        return TPoint{static_cast<int>(std::nearbyint(px)), static_cast<int>(std::nearbyint(py))};
    };
    int arcs = 0;
    for (const float r : {0.5f, 7.5f, 12.0f, 40.5f, 333.25f})
        for (const float tilt : {0.0f, 30.0f, -75.5f, 1234567.0f})
            for (const float flat : {1.0f, 0.37f})
                for (const float aspect : {1.0f, 0.75f, 1.41f})
                    for (const float start : {0.0f, 17.3f, 400.0f}) {
                        const float cx = 50.5f + static_cast<float>(arcs % 3), cy = 40.0f;
                        const float end = start + (arcs % 2 ? 360.0f : 123.4f);
                        ++arcs;
                        canvas.ClearLog();
                        DrawArc(canvas, cx, cy, r, start, end, flat, tilt, aspect);
                        const float s = static_cast<float>(360.0 / (r * (r >= 10 ? 1.2 : 4.0)));
                        std::vector<TPoint> expected{pointAt(cx, cy, r, flat, tilt, aspect, start)};
                        for (std::size_t q = 0; expected.size() + 1 < Path().size(); ++q)
                            expected.push_back(
                                pointAt(cx, cy, r, flat, tilt, aspect,
                                        static_cast<float>(start + static_cast<double>(q) * s)));
                        expected.push_back(pointAt(cx, cy, r, flat, tilt, aspect, end));
                        ASSERT_EQ(Path(), expected)
                            << r << " " << tilt << " " << flat << " " << aspect << " " << start;
                    }
}

// Arcs far too large to draw chord by chord.
class HugeArc : public DrawArcTest {
protected:
    static constexpr TRect kView{0, 0, 200, 150};

    static bool Touches(const test::Segment& s) {
        const int x0 = std::min(s.from.x, s.to.x), x1 = std::max(s.from.x, s.to.x);
        const int y0 = std::min(s.from.y, s.to.y), y1 = std::max(s.from.y, s.to.y);
        return x1 >= kView.left && x0 < kView.right && y1 >= kView.top && y0 < kView.bottom;
    }

    std::vector<test::Segment> Visible(const RecordingCanvas& c) const {
        std::vector<test::Segment> out;
        for (const test::Segment& s : c.Segments())
            if (!(s.from == s.to) && Touches(s))
                out.push_back(s);
        return out;
    }
};

TEST_F(HugeArc, DrawsTheSameChordsWhereTheyCanBeSeen) {
    struct Case {
        float cx, cy, r, start, end, flatness, tilt;
    };
    for (const Case& c : {Case{100200, 75, 100000, 0, 0, 1, 0}, Case{100, -99900, 100000, 0, 0, 1, 0},
                          Case{-299900, 60, 300000, 300, 60, 1, 0}, Case{100, 75, 200000, 0, 0, 0.0003f, 30},
                          Case{106100, 106100, 150000, 100, 350, 1, 0}}) {
        SCOPED_TRACE(testing::Message() << c.cx << " " << c.cy << " " << c.r);
        RecordingCanvas whole; // a canvas large enough to be drawn chord by chord
        whole.SetBounds({-5000000, -5000000, 5000000, 5000000});
        CurrentLineState() = LineState{};
        SelectLineType(whole, 1);
        DrawArc(whole, c.cx, c.cy, c.r, c.start, c.end, c.flatness, c.tilt, 1);

        RecordingCanvas view;
        view.SetBounds(kView);
        SelectLineType(view, 1);
        DrawArc(view, c.cx, c.cy, c.r, c.start, c.end, c.flatness, c.tilt, 1);

        EXPECT_LT(view.calls.size() * 20, whole.calls.size());
        EXPECT_EQ(Visible(view), Visible(whole));
        EXPECT_EQ(view.PenPos(), whole.PenPos());
    }
}

TEST_F(HugeArc, DashesLieWhereTheWholeArcPutsThem) {
    // The dash phase moves on over the chords that are not drawn, chord by chord as drawing them would:
    // the dashes in the view are those of the arc drawn whole. Left where the pen left the view, they
    // shifted by a pixel or more.
    struct Case {
        float cx, cy, r, start, end, flatness, tilt;
        int lineType;
    };
    for (const Case& c :
         {Case{100, 2075, 2000, 0, 0, 1, 0, 2}, Case{100, 2075, 2000, 30, 300, 1, 0, 5},
          Case{-2610, 1156, 3000, 0, 0, 0.5f, 30, 7}, Case{1900, 1900, 2600, 90, 270, 1, 0, 3}}) {
        SCOPED_TRACE(testing::Message() << c.cx << " " << c.cy << " " << c.r << " type " << c.lineType);
        RecordingCanvas whole;
        whole.SetBounds({-5000000, -5000000, 5000000, 5000000});
        RecordingCanvas view;
        view.SetBounds(kView);
        for (RecordingCanvas* canvas : {&whole, &view}) {
            canvas->SetDeviceCap(DeviceCap::LogPixelsX, 96);
            CurrentLineState() = LineState{};
            SelectLineType(*canvas, c.lineType);
            DrawArc(*canvas, c.cx, c.cy, c.r, c.start, c.end, c.flatness, c.tilt, 1);
        }
        EXPECT_LT(view.calls.size() * 5, whole.calls.size());
        ASSERT_GT(Visible(whole).size(), 10u);
        EXPECT_EQ(Visible(view), Visible(whole));
    }
}

TEST_F(HugeArc, ChordsShareOneBudgetPerCall) {
    // Arcs winding round 65 times about the view: each could draw tens of thousands of chords there,
    // but all of them together draw no more than the budget's share of such arcs.
    RecordingCanvas view;
    view.SetBounds(kView);
    SelectLineType(view, 2);
    view.SetDeviceCap(DeviceCap::LogPixelsX, 96);
    DrawBudget budget(kView);
    std::size_t calls = 0;
    for (int i = 0; i < 50; ++i) {
        DrawArc(view, 100, 75 + 3e6f, 3e6f, 0, 23296, 1, 0, 1, budget);
        if (i == 0)
            calls = view.calls.size();
    }
    EXPECT_GT(calls, 1000u);
    EXPECT_LT(view.calls.size(), static_cast<std::size_t>(DrawBudget::kMinHugeArcWork + 50 * 200));
}

TEST_F(HugeArc, FlatEllipseTipKeepsItsShape) {
    // A very flat ellipse whose tip lies in the view: there its chords crowd within fractions of a
    // pixel. Every corner drawn must be one of the chord-by-chord corners, and none of those may be
    // more than a pixel from a drawn one.
    RecordingCanvas whole;
    whole.SetBounds({-5000000, -5000000, 5000000, 5000000});
    SelectLineType(whole, 1);
    DrawArc(whole, -99900, 75, 100000, 0, 0, 0.0005f, 0, 1);
    RecordingCanvas view;
    view.SetBounds(kView);
    SelectLineType(view, 1);
    DrawArc(view, -99900, 75, 100000, 0, 0, 0.0005f, 0, 1);

    auto inView = [](const RecordingCanvas& c) {
        std::vector<TPoint> out;
        for (const TPoint& p : c.PenPath())
            if (p.x >= kView.left && p.x < kView.right && p.y >= kView.top && p.y < kView.bottom)
                out.push_back(p);
        return out;
    };
    const auto exact = inView(whole);
    const auto drawn = inView(view);
    ASSERT_GT(exact.size(), 100u);
    ASSERT_FALSE(drawn.empty());
    EXPECT_LT(view.calls.size() * 5, whole.calls.size());
    for (const TPoint& p : drawn)
        EXPECT_NE(std::find(exact.begin(), exact.end(), p), exact.end()) << p.x << "," << p.y;
    for (const TPoint& p : exact) {
        const bool near = std::any_of(drawn.begin(), drawn.end(), [&](const TPoint& d) {
            return std::abs(d.x - p.x) <= 1 && std::abs(d.y - p.y) <= 1;
        });
        EXPECT_TRUE(near) << p.x << "," << p.y;
    }
}

TEST_F(HugeArc, UnsafeValuesFinishQuickly) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float cx, cy, r, start, end, flatness, tilt, aspect;
    };
    for (const Case& c : {Case{100, 75, 1e8f, 0, 0, 1, 0, 1}, Case{0, 0, 1e30f, 0, 0, 1, 0, 1},
                          Case{1e30f, -1e30f, 1e30f, 0, 0, 1, 0, 1}, Case{100, 75, inf, 0, 0, 1, 0, 1},
                          Case{nan, 75, 50, 0, 0, 1, 0, 1}, Case{100, 75, nan, 0, 0, 1, 0, 1},
                          Case{100, 75, 50, nan, inf, nan, nan, nan}, Case{100, 75, 50, -inf, 0, 1, 0, 1},
                          Case{100, 75, 1e8f, 0, 0, 1e-30f, 45, 1e30f}, Case{100, 75, -1e8f, 0, 0, 1, 0, 1},
                          Case{100, 75, -20, 0, 0, 1, 0, 1}, Case{100, 75, 1e8f, 0, 0, 1e30f, 0, 1}}) {
        SCOPED_TRACE(testing::Message() << c.cx << " " << c.r << " " << c.start << " " << c.flatness);
        RecordingCanvas view;
        view.SetBounds(kView);
        SelectLineType(view, 3);
        DrawArc(view, c.cx, c.cy, c.r, c.start, c.end, c.flatness, c.tilt, c.aspect);
        EXPECT_LT(view.calls.size(), 300000u);
    }
}

TEST(SelectPenColor, TakesTheFirstEightEntriesElseBlack) {
    const Palette palette = {0xFFFFFF, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99};
    struct Case {
        int number;
        COLORREF color;
    };
    for (const Case c : {Case{0, 0xFFFFFF}, Case{1, 0x11}, Case{6, 0x66}, Case{7, 0x77}, Case{8, 0},
                         Case{9, 0}, Case{255, 0}, Case{-1, 0}, Case{INT32_MIN, 0}}) {
        RecordingCanvas canvas;
        canvas.SetPen({0xABCDEF, PenStyle::Clear, 3});
        SelectPenColor(canvas, palette, c.number);
        EXPECT_EQ(canvas.GetPen(), (Pen{c.color, PenStyle::Clear, 3})) << c.number;
    }
}

TEST(SelectLineType, OutOfRangeSelectsSolid) {
    struct Case {
        int type;
        int kind;
    };
    for (const Case c :
         {Case{0, 0}, Case{1, 1}, Case{5, 5}, Case{9, 9}, Case{10, 1}, Case{255, 1}, Case{-1, 1}}) {
        RecordingCanvas canvas;
        CurrentLineState() = LineState{};
        SelectLineType(canvas, c.type);
        EXPECT_EQ(CurrentLineState().LineKind, c.kind) << c.type;
    }
}

TEST(DrawSegment, StartsEverySegmentsPatternAfresh) {
    RecordingCanvas canvas;
    canvas.SetDeviceCap(DeviceCap::LogPixelsX, 72);
    CurrentLineState() = LineState{};
    SelectLineType(canvas, 3);
    DrawSegment(canvas, 0, 0, 6, 0);
    DrawSegment(canvas, 0, 10, 6, 10);
    const auto drawn = canvas.DrawnSegments();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0], (std::pair<TPoint, TPoint>{{0, 0}, {4, 0}}));
    EXPECT_EQ(drawn[1], (std::pair<TPoint, TPoint>{{0, 10}, {4, 10}}));
}

} // namespace
} // namespace plavik
