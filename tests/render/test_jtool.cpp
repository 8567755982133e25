#include "render/jtool.h"

#include "render/numbers.h"
#include "support/recordingcanvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace plavik {
namespace {

using test::CallKind;
using test::CanvasCall;
using test::RecordingCanvas;

struct Call {
    CallKind kind;
    TPoint to;
    friend bool operator==(const Call&, const Call&) = default;
};

std::ostream& operator<<(std::ostream& os, const Call& c) {
    return os << (c.kind == CallKind::LineTo ? "L" : "M") << "(" << c.to.x << "," << c.to.y << ")";
}

// The pen moves and lines of the log, in order.
std::vector<Call> PenCalls(const RecordingCanvas& c) {
    std::vector<Call> out;
    for (const CanvasCall& call : c.calls)
        if (call.kind == CallKind::MoveTo || call.kind == CallKind::LineTo)
            out.push_back({call.kind, call.to});
    return out;
}

Call L(int x, int y) {
    return {CallKind::LineTo, {x, y}};
}
Call M(int x, int y) {
    return {CallKind::MoveTo, {x, y}};
}

class JToolTest : public ::testing::Test {
protected:
    void SetUp() override { CurrentLineState() = LineState{}; }

    // A canvas at the given resolution with the line type selected and the pen at (x, y).
    void Start(int dpi, int lineType, int x = 0, int y = 0) {
        canvas.SetDeviceCap(DeviceCap::LogPixelsX, dpi);
        SetLineType(canvas, lineType);
        JMoveTo(canvas, x, y);
        canvas.ClearLog();
    }

    const LineState& State() const { return CurrentLineState(); }

    RecordingCanvas canvas;
};

struct PatternCase {
    int dpi;
    int type;
    std::vector<int> dash;
};

class PatternTable : public ::testing::TestWithParam<PatternCase> {};

TEST_P(PatternTable, BuildsEntriesCountAndTotal) {
    CurrentLineState() = LineState{};
    const PatternCase& p = GetParam();
    RecordingCanvas canvas;
    canvas.SetDeviceCap(DeviceCap::LogPixelsX, p.dpi);
    CurrentLineState().DashIndex = 2; // the phase must survive
    CurrentLineState().DashOffset = 3;
    SetLineType(canvas, p.type);
    const LineState& s = CurrentLineState();
    EXPECT_EQ(s.LineKind, p.type);
    ASSERT_EQ(s.DashCount, static_cast<int>(p.dash.size()));
    int total = 0;
    for (std::size_t i = 0; i < p.dash.size(); ++i) {
        EXPECT_EQ(s.Dash[i + 1], p.dash[i]) << "entry " << i + 1;
        total += p.dash[i];
    }
    EXPECT_EQ(s.DashTotal, total);
    EXPECT_EQ(s.DashIndex, 2);
    EXPECT_EQ(s.DashOffset, 3);
    EXPECT_TRUE(canvas.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, PatternTable,
    ::testing::Values(PatternCase{72, 2, {2, 2}}, PatternCase{72, 3, {4, 4}}, PatternCase{72, 4, {6, 2}},
                      PatternCase{72, 5, {25, 4, 2, 4}}, PatternCase{72, 6, {50, 8, 4, 8}},
                      PatternCase{72, 7, {25, 2, 2, 2, 2, 2}}, PatternCase{72, 8, {50, 4, 4, 4, 4, 4}},
                      PatternCase{72, 9, {1, 7}}, PatternCase{96, 2, {3, 3}}, PatternCase{96, 3, {5, 5}},
                      PatternCase{96, 4, {8, 3}}, PatternCase{96, 5, {33, 5, 3, 5}},
                      PatternCase{96, 6, {67, 11, 5, 11}}, PatternCase{96, 7, {33, 3, 3, 3, 3, 3}},
                      PatternCase{96, 8, {67, 5, 5, 5, 5, 5}}, PatternCase{96, 9, {1, 9}},
                      PatternCase{600, 2, {17, 17}}, PatternCase{600, 3, {33, 33}},
                      PatternCase{600, 4, {50, 17}}, PatternCase{600, 5, {208, 33, 17, 33}},
                      PatternCase{600, 6, {417, 67, 33, 67}}, PatternCase{600, 7, {208, 17, 17, 17, 17, 17}},
                      PatternCase{600, 8, {417, 33, 33, 33, 33, 33}}, PatternCase{600, 9, {8, 58}}),
    [](const ::testing::TestParamInfo<PatternCase>& info) {
        return "dpi" + std::to_string(info.param.dpi) + "_type" + std::to_string(info.param.type);
    });

TEST_F(JToolTest, OtherTypesKeepThePatternButRecomputeTheTotal) {
    canvas.SetDeviceCap(DeviceCap::LogPixelsX, 96);
    SetLineType(canvas, 5);
    for (int type : {0, 1, 10, -3}) {
        CurrentLineState().Dash[1] = 40; // the total follows the entries on every call
        SetLineType(canvas, type);
        EXPECT_EQ(State().LineKind, type);
        EXPECT_EQ(State().DashCount, 4);
        EXPECT_EQ(State().Dash[2], 5);
        EXPECT_EQ(State().DashTotal, 40 + 5 + 3 + 5);
    }
}

TEST_F(JToolTest, MoveToResetsPhaseAndPen) {
    canvas.SetPen({0x123456, PenStyle::Clear, 7});
    CurrentLineState().DashIndex = 3;
    CurrentLineState().DashOffset = 9;
    JMoveTo(canvas, 5, 6);
    EXPECT_EQ(canvas.PenPos(), (TPoint{5, 6}));
    EXPECT_EQ(canvas.GetPen(), (Pen{0x123456, PenStyle::Solid, 0}));
    EXPECT_EQ(State().DashIndex, 1);
    EXPECT_EQ(State().DashOffset, 1);
}

TEST_F(JToolTest, DashPhaseCarriesFromSegmentToSegment) {
    Start(72, 3);
    JLineTo(canvas, 6, 0);
    EXPECT_EQ(PenCalls(canvas), (std::vector<Call>{L(4, 0), M(6, 0)}));
    EXPECT_EQ(canvas.Segments()[0].from, (TPoint{0, 0}));
    EXPECT_EQ(State().DashIndex, 2);
    EXPECT_EQ(State().DashOffset, 3);

    canvas.ClearLog();
    JLineTo(canvas, 16, 0);
    // The rest of the gap (2 pixels), one whole pattern, then a zero-length start of the next dash.
    EXPECT_EQ(PenCalls(canvas), (std::vector<Call>{M(8, 0), L(12, 0), M(16, 0), L(16, 0)}));
    EXPECT_EQ(State().DashIndex, 1);
    EXPECT_EQ(State().DashOffset, 1);
}

TEST_F(JToolTest, EntryEndingAtTheSegmentEndIsFinished) {
    Start(72, 3);
    JLineTo(canvas, 4, 0); // exactly one dash: the next call starts in the gap
    EXPECT_EQ(PenCalls(canvas), (std::vector<Call>{L(4, 0), M(4, 0)}));
    EXPECT_EQ(State().DashIndex, 2);
    EXPECT_EQ(State().DashOffset, 1);

    canvas.ClearLog();
    JLineTo(canvas, 8, 0); // exactly the gap: resumes it, ends at the start of the pattern
    EXPECT_EQ(PenCalls(canvas), (std::vector<Call>{M(8, 0), L(8, 0)}));
    EXPECT_EQ(State().DashIndex, 1);
    EXPECT_EQ(State().DashOffset, 1);
}

TEST_F(JToolTest, ExactMultiplesOfThePatternEndAtItsStart) {
    struct Case {
        int type;
        int length;
    };
    for (const Case c : {Case{3, 16}, Case{3, 80}, Case{5, 35 * 3}, Case{8, 70 * 2}, Case{9, 8}}) {
        SCOPED_TRACE(c.type);
        Start(72, c.type);
        JLineTo(canvas, c.length, 0);
        EXPECT_EQ(State().DashIndex, 1);
        EXPECT_EQ(State().DashOffset, 1);
        ASSERT_FALSE(canvas.calls.empty());
        EXPECT_EQ(canvas.calls.back().to, (TPoint{c.length, 0}));
        EXPECT_EQ(canvas.PenPos(), (TPoint{c.length, 0}));
    }
}

TEST_F(JToolTest, SlopedWalkRoundsEachPointAndEndsExactly) {
    Start(72, 2);
    JLineTo(canvas, 10, 10); // length 14.14: three patterns of 2 + 2, then part of a dash
    EXPECT_EQ(PenCalls(canvas), (std::vector<Call>{L(1, 1), M(3, 3), L(4, 4), M(6, 6), L(7, 7), M(8, 8),
                                                   L(10, 10), M(10, 10)}));
    EXPECT_EQ(State().DashIndex, 2);
    EXPECT_EQ(State().DashOffset, 1);
}

TEST_F(JToolTest, ZeroLengthSegmentChangesNothing) {
    for (int type : {0, 1, 3, 7}) {
        Start(96, type, 20, 30);
        JLineTo(canvas, 25, 30); // leave the phase inside the pattern
        const LineState before = State();
        canvas.ClearLog();
        JLineTo(canvas, 25, 30);
        if (type >= 2) {
            EXPECT_TRUE(canvas.calls.empty()) << type;
        }
        EXPECT_EQ(State().DashIndex, before.DashIndex);
        EXPECT_EQ(State().DashOffset, before.DashOffset);
    }
}

TEST_F(JToolTest, InvisibleAndSolidTypesKeepThePhase) {
    Start(72, 3);
    JLineTo(canvas, 6, 0); // phase 2 / 3
    canvas.ClearLog();
    SetLineType(canvas, 0);
    JLineTo(canvas, 50, 0);
    SetLineType(canvas, 1);
    JLineTo(canvas, 90, 5);
    EXPECT_EQ(PenCalls(canvas), (std::vector<Call>{M(50, 0), L(90, 5)}));
    EXPECT_EQ(State().DashIndex, 2);
    EXPECT_EQ(State().DashOffset, 3);
}

TEST_F(JToolTest, PatternRoundingToNothingIsDrawnSolid) {
    for (int dpi : {0, 1, -96}) {
        SCOPED_TRACE(dpi);
        Start(dpi, 9);
        JLineTo(canvas, 100, 40);
        EXPECT_EQ(PenCalls(canvas), (std::vector<Call>{L(100, 40)}));
    }
}

TEST_F(JToolTest, PatternChangedWithinAPolylineNeverWalksBackwards) {
    Start(96, 8); // 67, 5, 5, ...
    JLineTo(canvas, 50, 0);
    EXPECT_EQ(State().DashIndex, 1);
    EXPECT_EQ(State().DashOffset, 51);
    SetLineType(canvas, 2); // 3, 3: the offset now lies beyond entry 1
    canvas.ClearLog();
    JLineTo(canvas, 70, 0);
    int x = 50;
    for (const Call& c : PenCalls(canvas)) {
        EXPECT_GE(c.to.x, x) << c;
        x = c.to.x;
    }
    EXPECT_EQ(x, 70);

    // A phase in an entry the new pattern does not have.
    Start(72, 7);
    JLineTo(canvas, 30, 0); // 25 + 2 + 2 + 1: entry 4
    EXPECT_EQ(State().DashIndex, 4);
    SetLineType(canvas, 2);
    canvas.ClearLog();
    JLineTo(canvas, 40, 0);
    EXPECT_EQ(canvas.calls.back().to, (TPoint{40, 0}));
    EXPECT_GE(State().DashIndex, 1);
    EXPECT_LE(State().DashIndex, 2);
}

// Lines drawn with the canvas area limited must show exactly what the same lines show on an
// unlimited canvas: the same dashes where they can be seen, the same phase afterwards.
class ClippedWalk : public JToolTest {
protected:
    static constexpr TRect kView{0, 0, 200, 150};

    static bool Touches(const test::Segment& s) {
        const int x0 = std::min(s.from.x, s.to.x), x1 = std::max(s.from.x, s.to.x);
        const int y0 = std::min(s.from.y, s.to.y), y1 = std::max(s.from.y, s.to.y);
        return x1 >= kView.left && x0 < kView.right && y1 >= kView.top && y0 < kView.bottom;
    }

    struct Result {
        std::vector<test::Segment> visible;
        std::vector<std::pair<int, int>> phases;
        TPoint end;
    };

    Result Run(const std::vector<TPoint>& poly, int type, bool limited) {
        RecordingCanvas c;
        c.SetBounds(limited ? kView : TRect{-10000000, -10000000, 10000000, 10000000});
        c.SetDeviceCap(DeviceCap::LogPixelsX, 96);
        CurrentLineState() = LineState{};
        SetLineType(c, type);
        JMoveTo(c, poly[0].x, poly[0].y);
        Result r;
        for (std::size_t i = 1; i < poly.size(); ++i) {
            JLineTo(c, poly[i].x, poly[i].y);
            r.phases.emplace_back(State().DashIndex, State().DashOffset);
        }
        for (const test::Segment& s : c.Segments())
            if (Touches(s) && !(s.from == s.to))
                r.visible.push_back(s);
        r.end = c.PenPos();
        calls = c.calls.size();
        return r;
    }

    std::size_t calls = 0;
};

TEST_F(ClippedWalk, MatchesTheUnlimitedWalk) {
    const std::vector<std::vector<TPoint>> cases = {
        {{-10000, 70}, {10000, 70}},                    // across
        {{-8000, -6000}, {8013, 6011}},                 // sloped across
        {{-12000, 20}, {100, 75}},                      // from far outside to inside
        {{50, 60}, {11234, -10000}},                    // from inside to far outside
        {{10, 10}, {-11000, 10}, {190, 140}},           // leaves and comes back
        {{-7000, 5000}, {7000, 5000}, {100, 140}},      // misses the view, then enters
        {{0, -10000}, {0, 10000}, {199, -10000}},       // along the edges
        {{-10001, -10001}, {10001, 10001}, {-3, 9999}}, // through a corner and back
    };
    for (int type : {2, 5, 7, 9}) {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "type " << type << " case " << i);
            const Result full = Run(cases[i], type, false);
            const std::size_t fullCalls = calls;
            const Result clipped = Run(cases[i], type, true);
            EXPECT_LT(calls * 5, fullCalls);
            EXPECT_EQ(clipped.visible, full.visible);
            EXPECT_EQ(clipped.phases, full.phases);
            EXPECT_EQ(clipped.end, full.end);
        }
    }
}

TEST_F(ClippedWalk, LineWithinTheViewIsWalkedUnchanged) {
    const std::vector<TPoint> poly = {{3, 4}, {197, 140}, {0, 149}, {150, 0}};
    const Result full = Run(poly, 6, false);
    const std::size_t fullCalls = calls;
    const Result clipped = Run(poly, 6, true);
    EXPECT_EQ(calls, fullCalls);
    EXPECT_EQ(clipped.visible, full.visible);
    EXPECT_EQ(clipped.phases, full.phases);
}

TEST_F(ClippedWalk, HugeLinesFinishAndDrawOnlyWhatCanBeSeen) {
    struct Case {
        TPoint from, to;
    };
    for (const Case c :
         {Case{{-1000000000, 70}, {1000000000, 70}}, Case{{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}},
          Case{{INT_MIN, 100}, {INT_MAX, -50}}, Case{{-kDeviceLimit, 0}, {kDeviceLimit, 149}},
          Case{{INT_MAX, INT_MAX}, {INT_MAX - 1, INT_MIN}}}) {
        RecordingCanvas canvas;
        canvas.SetBounds(kView);
        canvas.SetDeviceCap(DeviceCap::LogPixelsX, 72);
        CurrentLineState() = LineState{};
        SetLineType(canvas, 2);
        JMoveTo(canvas, c.from.x, c.from.y);
        JLineTo(canvas, c.to.x, c.to.y);
        EXPECT_LT(canvas.calls.size(), 2000u);
        EXPECT_EQ(canvas.PenPos(), c.to);
        EXPECT_EQ(canvas.calls.back().to, c.to);
    }
}

TEST_F(ClippedWalk, HorizontalLineThroughTheViewIsDashedInside) {
    RecordingCanvas canvas;
    canvas.SetBounds(kView);
    canvas.SetDeviceCap(DeviceCap::LogPixelsX, 72);
    SetLineType(canvas, 3);
    JMoveTo(canvas, -1000000000, 70);
    JLineTo(canvas, 1000000000, 70);
    // The pattern starts at -1e9, a multiple of 8: dashes cover [8k, 8k + 4).
    int inside = 0;
    for (const auto& [from, to] : canvas.DrawnSegments()) {
        if (to.x <= 0 || from.x >= 200)
            continue;
        EXPECT_EQ(from.x % 8, 0);
        EXPECT_EQ(to.x - from.x, 4);
        ++inside;
    }
    EXPECT_EQ(inside, 25);
}

TEST(JTextOut, BuildsTheTurnedFontAndDrawsOnAClearBrush) {
    struct Case {
        int angle;
        int escapement;
        int height = -20;
    };
    for (const Case c :
         {Case{3600, 0}, Case{0, 0, 30}, Case{-50, 3550}, Case{900, 900}, Case{-900, 2700}, Case{3599, 3599},
          Case{7200, 0}, Case{4500, 900}, Case{-3600, 0}, Case{INT_MIN, (INT_MIN % 3600 + 3600) % 3600}}) {
        SCOPED_TRACE(c.angle);
        RecordingCanvas canvas;
        Font f = canvas.GetFont();
        f.name = "ＭＳ ゴシック";
        f.height = -11;
        f.escapement = 450;
        canvas.SetFont(f);
        canvas.SetBrush({0x00FF00, BrushStyle::Solid});
        JTextOut(canvas, 12, 34, "\x93\xfa\x96\x7b", c.height, c.angle, 0x0000FF);
        const auto texts = canvas.Texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].to, (TPoint{12, 34}));
        EXPECT_EQ(texts[0].text, "\x93\xfa\x96\x7b");
        EXPECT_EQ(texts[0].font, (Font{"ＭＳ ゴシック", c.height, 0x0000FF, c.escapement}));
        EXPECT_EQ(texts[0].brush, (Brush{0x00FF00, BrushStyle::Clear}));
        // The canvas keeps the turned font and the clear brush.
        EXPECT_EQ(canvas.GetFont().escapement, c.escapement);
        EXPECT_EQ(canvas.GetBrush().style, BrushStyle::Clear);
    }
}

TEST(JTextOut, FaceNameIsCutToWhatAFontHolds) {
    struct Case {
        std::string name;
        std::string expected;
    };
    const std::string ascii40(40, 'a');
    std::string wide20;
    for (int i = 0; i < 20; ++i)
        wide20 += "ゴ"; // two bytes each in code page 932
    std::string wide15;
    for (int i = 0; i < 15; ++i)
        wide15 += "ゴ";
    std::string halfWidth31;
    for (int i = 0; i < 31; ++i)
        halfWidth31 += "ｺ"; // one byte each
    for (const Case& c : {Case{"ＭＳ Ｐゴシック", "ＭＳ Ｐゴシック"}, Case{ascii40, std::string(31, 'a')},
                          Case{wide20, wide15}, Case{halfWidth31 + "x", halfWidth31},
                          Case{std::string(30, 'a') + "ゴ", std::string(30, 'a')}}) {
        RecordingCanvas canvas;
        Font f = canvas.GetFont();
        f.name = c.name;
        canvas.SetFont(f);
        JTextOut(canvas, 0, 0, "A", -12, 0, 0);
        ASSERT_EQ(canvas.Texts().size(), 1u);
        EXPECT_EQ(canvas.Texts()[0].font.name, c.expected);
    }
}

TEST(JTextOut, ErrorsAreDropped) {
    RecordingCanvas canvas;
    canvas.throwOnTextOut = true;
    EXPECT_NO_THROW(JTextOut(canvas, 1, 2, "abc", -12, 0, 0));
    EXPECT_TRUE(canvas.Texts().empty());

    RecordingCanvas noFont;
    noFont.throwOnSetFont = true;
    EXPECT_NO_THROW(JTextOut(noFont, 1, 2, "abc", -12, 900, 0));
    EXPECT_TRUE(noFont.Texts().empty());
}

} // namespace
} // namespace plavik
