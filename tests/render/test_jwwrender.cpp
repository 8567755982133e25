// Drawing figure (.jws) and drawing (.jww) files on the recording canvas: the fit to the pixel, line
// types and colours, arcs, points and solids.
#include "jwwcases.h"

#include "render/jtool.h"
#include "render/jwc.h"
#include "render/jwk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace plavik {
namespace {

using test::CallKind;
using test::Draw;
using test::JwwAttr;
using test::JwwWriter;
using test::k101;
using test::RecordingCanvas;
using test::Square;
using Seg = std::pair<TPoint, TPoint>;
using Data = std::vector<std::uint8_t>;

constexpr double kPi = JwwWriter::kPi;
constexpr const Palette& kColors = test::kJwwColors;

// The pixels the canvas filled in that colour (the background aside).
bool Filled(const RecordingCanvas& canvas, COLORREF color, TPoint p) {
    for (const auto& c : canvas.CallsOf(CallKind::FillRect))
        if (c.brush.color == color && p.x >= c.rect.left && p.x < c.rect.right && p.y >= c.rect.top &&
            p.y < c.rect.bottom)
            return true;
    return false;
}

TEST(JwwFit, FiguresFitTheirBoxToThePixel) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        JwwWriter w;
        TRect rect;
        Seg drawn;
    };
    const Case cases[] = {
        {"box fills the rectangle",
         JwwWriter::Figure().Box(0, 0, 100, 50).Line(0, 0, 100, 50),
         {0, 0, 101, 51},
         {{0, 50}, {100, 0}}},
        // (W - 1) / 2 = 49.5 rounds to 50 before the left edge is added: 1 + 50, not round(50.5).
        {"halves to even, then moved",
         JwwWriter::Figure().Box(0, 0, 10, 10).Line(5, 5, 10, 10),
         {1, 0, 101, 100},
         {{51, 50}, {100, 0}}},
        {"the narrow side decides",
         JwwWriter::Figure().Box(0, 0, 100, 10).Line(0, 0, 100, 10),
         {5, 7, 106, 108},
         {{5, 62}, {105, 52}}},
        {"a side of 0 takes the other's scale",
         JwwWriter::Figure().Box(10, 0, 10, 40).Line(10, 0, 10, 40),
         {0, 0, 50, 41},
         {{24, 40}, {24, 0}}},
        {"both sides 0: scale 1",
         JwwWriter::Figure().Box(3, 3, 3, 3).Line(3, 3, 8, 3),
         {0, 0, 21, 21},
         {{10, 10}, {15, 10}}},
        {"an empty box: the drawn extent",
         JwwWriter::Figure().Box(1, 1, 0, 0).Line(0, 0, 10, 20),
         {0, 0, 11, 21},
         {{0, 20}, {10, 0}}},
        {"a box that is not finite: the drawn extent",
         JwwWriter::Figure().Box(0, nan, 1, 1).Line(0, 0, 10, 20),
         {0, 0, 11, 21},
         {{0, 20}, {10, 0}}},
        {"an absurd box: the drawn extent",
         JwwWriter::Figure().Box(-1e300, 0, 1, 1).Line(0, 0, 10, 20),
         {0, 0, 11, 21},
         {{0, 20}, {10, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        ASSERT_EQ(Draw(canvas, c.w, c.rect), 0);
        EXPECT_EQ(canvas.DrawnSegments(), std::vector<Seg>{c.drawn});
    }
}

TEST(JwwFit, TheDrawnExtentCoversArcsBlocksAndTexts) {
    // The box stored is empty; the extent is what would be drawn with every option on.
    JwwWriter w = JwwWriter::Figure().Box(1, 1, 0, 0);
    w.Arc(0, 0, 10, kPi / 2, kPi / 2)
        .Block(20, 0, 1, 1, 0, 1)
        .Text(0, -10, 4, -10, "t")
        .Line(0, 0, 0, 0, {.style = 9});
    w.BeginDefinition(1).Point(5, 10).EndDefinition();
    // Extent: x -10..25, y -10..10, so the quarter arc from (0, 10) to (-10, 0) ...
    RecordingCanvas canvas;
    ASSERT_EQ(Draw(canvas, w, {0, 0, 36, 21}), 0);
    const auto path = canvas.PenPath();
    EXPECT_EQ(path.front(), (TPoint{10, 0}));
    EXPECT_EQ(canvas.CallsOf(CallKind::SetPixel).at(0).to, (TPoint{35, 0}));
}

TEST(JwwFit, DrawingsStretchTheirSheetOrFitTheirShownExtent) {
    struct Case {
        const char* name;
        JwwWriter w;
        TRect rect;
        Seg drawn;
    };
    auto hidden = [](JwwWriter w) {
        return w.LayerState(0, 3, 0)
            .Line(-1000, -1000, 1000, 1000, {.layer = 3})
            .Line(1, 1, 900, 900, {.layer = 0, .group = 2});
    };
    const Case cases[] = {
        // A3 at one pixel per millimetre: y = 50 gives 317 - round(198.5) = 119.
        {"A3, moved",
         JwwWriter::Drawing().Paper(3).Line(-100, 50, 100, -50),
         {10, 20, 430, 317},
         {{120, 119}, {320, 219}}},
        {"A4 thumbnail",
         JwwWriter::Drawing().Paper(4).Line(-100, -50, 10, 10),
         {0, 0, 150, 106},
         {{24, 78}, {80, 48}}},
        {"A0",
         JwwWriter::Drawing().Paper(0).Line(0, 0, 594, 0),
         {0, 0, 1189, 841},
         {{594, 421}, {1188, 421}}},
        {"paper code 8 fits the extent",
         JwwWriter::Drawing().Paper(8).Line(0, 0, 100, 50),
         {0, 0, 101, 51},
         {{0, 50}, {100, 0}}},
        {"hidden layers neither drawn nor fitted",
         hidden(JwwWriter::Drawing().Paper(12).GroupState(2, 0).Line(0, 0, 100, 50)),
         {0, 0, 101, 51},
         {{0, 50}, {100, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        ASSERT_EQ(Draw(canvas, c.w, c.rect), 0);
        EXPECT_EQ(canvas.DrawnSegments(), std::vector<Seg>{c.drawn});
    }
}

// With kJwcFitContent a drawing shows what is drawn on its shown layers: lines, arcs and solids make
// the box, points and texts widen it only near them, jw_cad's setting records never.
TEST(JwwFit, ContentLeavesOutStraysSettingRecordsAndHiddenLayers) {
    const int flags = kJwcFitContent | kJwcText | kJwcBaseLines;
    const TRect rect{0, 0, 101, 51};
    const auto plan = [] { return JwwWriter::Drawing().Paper(3).Line(0, 0, 100, 50); };
    struct Case {
        const char* name;
        JwwWriter w;
        Seg first; // the first segment drawn
    };
    const Case cases[] = {
        {"a line fills the picture", plan(), {{0, 50}, {100, 0}}},
        {"a stray point and a stray text",
         plan().Point(5000, 5000).Text(-3000, 0, -2990, 0, "x"),
         {{0, 50}, {100, 0}}},
        {"a text near the lines widens the box", plan().Text(0, -50, 100, -50, "x"), {{25, 25}, {75, 0}}},
        {"a setting record within the margin",
         JwwWriter::Drawing().Paper(3).Line(0, 0, 2000, 1000).Text(0, -1000, 10, -1000, "View_D=1"),
         {{0, 50}, {100, 0}}},
        {"texts alone",
         JwwWriter::Drawing().Paper(3).Text(0, 0, 100, 0, "a").Text(0, 50, 100, 50, "b"),
         {{0, 50}, {100, 50}}},
        {"hidden layers and groups",
         plan()
             .LayerState(0, 3, 0)
             .GroupState(2, 0)
             .Line(-900, -900, 900, 900, {.layer = 3})
             .Line(-900, 0, 900, 0, {.group = 2}),
         {{0, 50}, {100, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        ASSERT_EQ(Draw(canvas, c.w, rect, flags), 0);
        const auto drawn = canvas.DrawnSegments();
        ASSERT_FALSE(drawn.empty());
        EXPECT_EQ(drawn.front(), c.first);
    }

    // Nothing to fit (a lone point, a setting record, a line on a hidden layer): the sheet, as without
    // the flag.
    const JwwWriter lone = JwwWriter::Drawing()
                               .Paper(3)
                               .LayerState(0, 3, 0)
                               .Point(10, 10)
                               .Text(0, -1000, 50, -1000, "Printer")
                               .Line(0, 0, 50, 50, {.layer = 3});
    RecordingCanvas fitted, sheet;
    ASSERT_EQ(Draw(fitted, lone, {0, 0, 420, 297}, flags), 0);
    ASSERT_EQ(Draw(sheet, lone, {0, 0, 420, 297}, flags & ~kJwcFitContent), 0);
    ASSERT_EQ(fitted.CallsOf(CallKind::SetPixel).size(), 1u);
    EXPECT_EQ(fitted.CallsOf(CallKind::SetPixel)[0].to, sheet.CallsOf(CallKind::SetPixel)[0].to);
}

TEST(JwwFit, NothingIsDrawnOutsideTheRectangle) {
    // The sheet's notes beyond A4, a line far beyond every device range, and points outside.
    JwwWriter w = JwwWriter::Drawing().Paper(4).Line(-200, 0, 200, 0).Line(-1e11, -1e11, 1e11, 1e11);
    w.Point(200, 0).Circle(140, 0, 50).Solid({-1e9, -1e9, 1e9, -1e9, 1e9, 1e9, -1e9, 1e9});
    RecordingCanvas canvas;
    const TRect rect{10, 10, 160, 116};
    ASSERT_EQ(Draw(canvas, w, rect), 0);
    auto inside = [&](TPoint p) { return p.x >= 10 && p.x < 160 && p.y >= 10 && p.y < 116; };
    for (const auto& [from, to] : canvas.DrawnSegments())
        EXPECT_TRUE(inside(from) && inside(to)) << from.x << "," << from.y << " " << to.x << "," << to.y;
    EXPECT_TRUE(canvas.CallsOf(CallKind::SetPixel).empty());
    // The huge solid fills exactly the rectangle, in one call.
    const auto fills = canvas.CallsOf(CallKind::FillRect);
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[1].rect, rect);
    // The line across the sheet and beyond is cut at the picture's edges.
    const auto drawn = canvas.DrawnSegments();
    EXPECT_EQ(drawn[0], (Seg{{10, 63}, {159, 63}}));
}

TEST(JwwFit, AnInvertedRectangleShowsNothing) {
    for (const TRect rect : {TRect{60, 60, 20, 20}, TRect{0, 0, 0, 50}, TRect{5, 5, 6, 6}}) {
        RecordingCanvas canvas;
        ASSERT_EQ(Draw(canvas,
                       Square().Line(-50, -50, 50, 50).Circle(0, 0, 30).Point(0, 0).Text(0, 0, 9, 0, "t"),
                       rect, kJwkText | kJwkRefPoint),
                  0);
        const bool onePixel = rect.Width() == 1;
        EXPECT_EQ(canvas.DrawnSegments().empty(), true);
        EXPECT_EQ(canvas.CallsOf(CallKind::SetPixel).size(), onePixel ? 1u : 0u);
        EXPECT_EQ(canvas.CallsOf(CallKind::FillRect).size(), 1u);
    }
}

TEST(JwwFit, NothingEscapesAnAbsurdMagnification) {
    // A box of 1e-300 mm: offsets overflow the doubles, yet nothing leaves the picture or turns NaN.
    JwwWriter w =
        JwwWriter::Figure().Box(0, 0, 1e-300, 1e-300).RefPoint(0, 0).Line(-1, -1, 1, 1).Circle(0, 0, 1);
    w.Solid({-1, -1, 1, -1, 1, 1, -1, 1}, {.color = 2}).Solid({0, 0, 2, 1, 0, 0, 3, 100}, {.style = 101});
    w.Point(1e-301, 0).Text(0, 0, 1, 0, "t", 1e-301);
    RecordingCanvas canvas;
    const TRect rect{3, 4, 40, 30};
    ASSERT_EQ(Draw(canvas, w, rect, kJwkText | kJwkRefPoint), 0);
    auto inside = [&](TPoint p) { return p.x >= 3 && p.x < 40 && p.y >= 4 && p.y < 30; };
    for (const auto& [from, to] : canvas.DrawnSegments())
        EXPECT_TRUE(inside(from) && inside(to)) << from.x << "," << from.y << " " << to.x << "," << to.y;
    for (const auto& c : canvas.calls) {
        if (c.kind == CallKind::SetPixel || c.kind == CallKind::TextOut) {
            EXPECT_TRUE(inside(c.to));
        } else if (c.kind == CallKind::FillRect && !(c.rect == rect)) {
            EXPECT_TRUE(inside({c.rect.left, c.rect.top}) && inside({c.rect.right - 1, c.rect.bottom - 1}));
        }
    }
}

TEST(JwwLines, TypesAndAuxiliaryLines) {
    struct Case {
        int style;
        int lineKind; // the line type selected last
        bool dashed;
    };
    const Case cases[] = {{1, 1, false},  {0, 1, false},  {2, 2, true},   {5, 5, true},   {8, 8, true},
                          {11, 1, false}, {16, 1, false}, {30, 1, false}, {255, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        RecordingCanvas canvas;
        Draw(canvas, Square().Line(-50, 0, 50, 0, {.style = static_cast<std::uint8_t>(c.style)}));
        EXPECT_EQ(CurrentLineState().LineKind, c.lineKind);
        EXPECT_EQ(canvas.DrawnSegments().size() > 1, c.dashed);
    }
    // Type 9 only with the option, in figures (4) and drawings (8) alike.
    for (const bool figure : {true, false}) {
        JwwWriter w = figure ? Square() : JwwWriter::Drawing().Paper(8);
        w.Line(-50, 0, 50, 0, {.style = 9}).Circle(0, 0, 20, {.style = 9}).Line(-50, 10, 50, 10);
        for (const int aux : {0, figure ? int{kJwkAuxLines} : int{kJwcAuxLines}}) {
            RecordingCanvas canvas;
            Draw(canvas, w, k101, aux);
            EXPECT_EQ(canvas.DrawnSegments().size() > 1, aux != 0) << figure;
        }
    }
}

TEST(JwwColours, PaletteNumbersAndTheDrawingsBlack) {
    JwwWriter figure = Square();
    for (const int color : {0, 1, 7, 8, 9, 100, 356})
        figure.Line(-50, color / 10.0, 50, color / 10.0, {.color = static_cast<std::uint16_t>(color)});
    RecordingCanvas canvas;
    Draw(canvas, figure);
    std::vector<COLORREF> pens;
    for (const auto& s : canvas.Segments())
        pens.push_back(s.pen.color);
    EXPECT_EQ(pens, (std::vector<COLORREF>{kColors[0], kColors[1], kColors[7], 0, 0, 0, 0}));
    EXPECT_EQ(canvas.CallsOf(CallKind::FillRect).at(0).brush.color, kColors[kBack]);

    JwwWriter drawing =
        JwwWriter::Drawing().Paper(4).Line(0, 0, 10, 0, {.color = 3}).Point(1, 1, 0, {.color = 5});
    drawing.Text(0, 0, 10, 0, "x");
    canvas.ClearLog();
    Draw(canvas, drawing, k101, kJwcText);
    EXPECT_EQ(canvas.CallsOf(CallKind::FillRect).at(0).brush.color, 0x00FFFFFFu);
    EXPECT_EQ(canvas.Segments().at(0).pen.color, 0u);
    EXPECT_EQ(canvas.CallsOf(CallKind::SetPixel).at(0).color, 0u);
    EXPECT_EQ(canvas.Texts().at(0).font.color, 0u);

    // In its own pens' colours: the screen's or the printer's, texts in their pen's too.
    drawing.Pen(3, 0x0000FF00, 0x00FF0000, 30).Text(0, 5, 10, 5, "y", 3, 0, {.color = 3});
    for (const auto& [pens, color] :
         {std::pair{kJwcScreenPens, 0x0000FF00u}, {kJwcPrinterPens, 0x00FF0000u}}) {
        canvas.ClearLog();
        Draw(canvas, drawing, k101, kJwcText | pens);
        EXPECT_EQ(canvas.Segments().at(0).pen.color, color);
        EXPECT_EQ(canvas.Texts().at(1).font.color, color);
    }
}

TEST(JwwArcs, EndsOfArcsAndEllipses) {
    struct Case {
        const char* name;
        double r, start, sweep, tilt, flatness;
        std::uint32_t full;
        TPoint first, last;
    };
    // Centre (0, 0) is pixel (50, 50).
    const Case cases[] = {
        {"quarter", 20, 0, kPi / 2, 0, 1, 0, {70, 50}, {50, 30}},
        {"clockwise", 20, 0, -kPi / 2, 0, 1, 0, {70, 50}, {50, 70}},
        {"start measured from the tilted axis", 20, 0, kPi / 2, kPi / 2, 1, 0, {50, 30}, {30, 50}},
        {"flatness above 1, parametric", 10, kPi / 2, kPi / 2, 0, 2, 0, {50, 30}, {40, 50}},
        {"tilted ellipse", 10, 0, kPi, kPi / 4, 0.5, 0, {57, 43}, {43, 57}},
        {"full-circle flag over a half sweep", 20, kPi / 2, kPi, 0, 1, 1, {50, 30}, {50, 30}},
        {"sweep beyond a turn", 20, 0, 7, 0, 1, 0, {70, 50}, {70, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        Draw(canvas, Square().Arc(0, 0, c.r, c.start, c.sweep, c.tilt, c.flatness, c.full));
        const auto path = canvas.PenPath();
        ASSERT_GE(path.size(), 3u);
        EXPECT_EQ(path.front(), c.first);
        EXPECT_EQ(path.back(), c.last);
    }
    // A whole circle passes through the far side; no sweep draws nothing.
    RecordingCanvas canvas;
    Draw(canvas, Square().Circle(0, 0, 20).Arc(0, 0, 20, 1, 0));
    const auto path = canvas.PenPath();
    EXPECT_EQ(std::min_element(path.begin(), path.end(), [](TPoint a, TPoint b) { return a.x < b.x; })->x,
              30);
    EXPECT_EQ(path.front(), path.back());
}

TEST(JwwArcs, ChordsGrowWithTheRadiusWithinThePictureSize) {
    std::size_t previous = 0;
    for (const double r : {1.0, 10.0, 50.0, 1e4, 1e11}) {
        RecordingCanvas canvas;
        Draw(canvas, Square().Arc(0, 0, r, 0, kPi / 4));
        const std::size_t chords = canvas.CallsOf(CallKind::LineTo).size();
        if (r <= 50) {
            EXPECT_GT(chords, previous) << r;
        }
        EXPECT_LE(chords, (2 * (101 + 101) + 16) / 8 + 1) << r; // an eighth of the chords of a turn at most
        previous = chords;
    }
}

TEST(JwwPoints, TemporaryOnesAreNotDrawn) {
    RecordingCanvas canvas;
    Draw(canvas,
         Square().Point(1, 2, 0, {.color = 2}).Point(3, 4, 1).Point(5, 6, 0, {.style = 100}).Point(60, 0));
    const auto pixels = canvas.CallsOf(CallKind::SetPixel);
    ASSERT_EQ(pixels.size(), 2u);
    EXPECT_EQ(pixels[0].to, (TPoint{51, 48}));
    EXPECT_EQ(pixels[0].color, kColors[2]);
    EXPECT_EQ(pixels[1].to, (TPoint{55, 44}));
}

TEST(JwwSolids, QuadrilateralsFillTheirPixels) {
    RecordingCanvas canvas;
    // A square of pixels 50..54 x 46..50: rows 46..49 are filled (the bottom edge belongs to the
    // next row), the outline in the same colour covers the rest.
    Draw(canvas, Square().Solid({0, 0, 4, 0, 4, 4, 0, 4}, {.color = 3}));
    auto fills = canvas.CallsOf(CallKind::FillRect);
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[1].rect, (TRect{50, 46, 55, 50}));
    EXPECT_EQ(fills[1].brush, (Brush{kColors[3], BrushStyle::Solid}));
    EXPECT_EQ(canvas.DrawnSegments().size(), 4u);
    EXPECT_EQ(canvas.Segments().at(0).pen.color, kColors[3]);

    // Colour 10 brings its own; stream order p0 p1 p2 p3 makes a square, not a bow-tie.
    canvas.ClearLog();
    Draw(canvas, Square().Solid({0, 0, 10, 0, 10, 10, 0, 10}, {.color = 10}, 0x00336699));
    EXPECT_TRUE(Filled(canvas, 0x00336699, {55, 45}));
    EXPECT_TRUE(Filled(canvas, 0x00336699, {51, 41}));

    // A triangle repeats a point; a self-crossing one fills both lobes, even-odd.
    canvas.ClearLog();
    Draw(canvas, Square()
                     .Solid({0, 0, 20, 0, 0, 20, 0, 20}, {.color = 2})
                     .Solid({0, -20, 20, -40, 20, -20, 0, -40}, {.color = 4}));
    EXPECT_TRUE(Filled(canvas, kColors[2], {52, 47}));
    EXPECT_FALSE(Filled(canvas, kColors[2], {68, 33}));
    EXPECT_TRUE(Filled(canvas, kColors[4], {52, 80}));
    EXPECT_TRUE(Filled(canvas, kColors[4], {68, 80}));
    EXPECT_FALSE(Filled(canvas, kColors[4], {60, 75}));
}

TEST(JwwSolids, RoundShapes) {
    struct Probe {
        double x, y;
        bool filled;
    };
    struct Case {
        const char* name;
        int style;
        double start, sweep, last; // last: the kind, or the inner radius
        std::vector<Probe> probes;
    };
    // Radius 30 about the origin; the probes are in millimetres.
    const Case cases[] = {
        {"disc", 101, 0, 0, 100, {{0, 0, true}, {-20, -20, true}, {25, -25, false}}},
        {"sector", 101, 0, kPi / 2, 0, {{5, 5, true}, {25, 5, true}, {-5, 5, false}, {5, -5, false}}},
        {"segment", 101, 0, kPi, 5, {{0, 5, true}, {0, 28, true}, {0, -5, false}}},
        {"between the arc and its tangents",
         101,
         0,
         kPi / 2,
         -1,
         {{28, 28, true}, {29, 10, true}, {10, 10, false}, {32, 32, false}}},
        {"ring", 105, 0, 0, 10, {{0, 0, false}, {0, 20, true}, {0, -20, true}, {0, 35, false}}},
        {"band", 111, 0, kPi / 2, 10, {{5, 5, false}, {15, 15, true}, {-15, 15, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        Draw(canvas, Square().Solid({0, 0, 30, 1, 0, c.start, c.sweep, c.last},
                                    {.style = static_cast<std::uint8_t>(c.style), .color = 5}));
        for (const Probe& p : c.probes)
            EXPECT_EQ(Filled(canvas, kColors[5], {50 + static_cast<int>(p.x), 50 - static_cast<int>(p.y)}),
                      p.filled)
                << p.x << "," << p.y;
    }
}

} // namespace
} // namespace plavik
