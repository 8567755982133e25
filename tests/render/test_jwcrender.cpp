// Drawing drawing files, checked call by call on the recording canvas.
#include "render/errors.h"
#include "render/jwc.h"
#include "support/bytewriter.h"
#include "support/jwcwriter.h"
#include "support/recordingcanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

namespace plavik {
namespace {

using test::CallKind;
using test::JwcWriter;
using test::RecordingCanvas;

constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr TRect kThumb{0, 0, 100, 71};
constexpr TRect kSheet{0, 0, 518, 366}; // one device pixel per sheet unit

int Draw(RecordingCanvas& canvas, const JwcWriter& writer, const TRect& rect, int flags, TJwcInfo& info) {
    return DrawJwcData(canvas, writer.Build(), rect, flags, info);
}

int Draw(RecordingCanvas& canvas, const JwcWriter& writer, const TRect& rect, int flags) {
    TJwcInfo info;
    return Draw(canvas, writer, rect, flags, info);
}

std::size_t CountOf(const RecordingCanvas& canvas, CallKind kind) {
    return canvas.CallsOf(kind).size();
}

bool Contains(const std::vector<TPoint>& path, TPoint p) {
    return std::find(path.begin(), path.end(), p) != path.end();
}

TEST(JwcCard, NotADrawingFile) {
    struct Case {
        TRect rect;
        int height; // the font height the words end with
        TPoint at;
    };
    // The recording canvas measures 12 bytes of text as 6 x height pixels.
    for (const Case c : {Case{kThumb, 12, {14, 29}}, Case{{10, 20, 60, 60}, 8, {10 + 1, 20 + 16}},
                         Case{{0, 0, 0, 10}, -1, {-3, 4}}}) {
        RecordingCanvas canvas;
        const Font before = canvas.GetFont();
        TJwcInfo info;
        info.Comment = "stale";
        info.LineCount = 9;
        test::ByteWriter plain;
        plain.Text("This is a plain text file, long enough to pass the size test of forty bytes.");
        EXPECT_EQ(DrawJwcData(canvas, plain.bytes, c.rect, 15, info), -1);
        EXPECT_TRUE(info.Comment.empty());
        EXPECT_EQ(info.LineCount, 0);
        const auto fills = canvas.CallsOf(CallKind::FillRect);
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(fills[0].rect, c.rect);
        EXPECT_EQ(fills[0].brush.color, kWhite);
        const auto texts = canvas.Texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].text, "Not JWC File");
        EXPECT_EQ(texts[0].font.color, 0x000000FFu);
        EXPECT_EQ(texts[0].font.height, c.height);
        EXPECT_EQ(texts[0].to, c.at);
        EXPECT_EQ(canvas.GetFont(), before); // the red font does not stay behind
        EXPECT_EQ(CountOf(canvas, CallKind::LineTo), 0u);
    }
}

TEST(JwcMapping, SheetStretchedOverTheRectangle) {
    struct Case {
        TRect rect;
        TPoint from, to;
    };
    for (const Case c : {Case{kThumb, {0, 71}, {100, 0}}, Case{{10, 20, 110, 91}, {10, 91}, {110, 20}},
                         Case{kSheet, {0, 366}, {518, 0}}}) {
        RecordingCanvas canvas;
        EXPECT_EQ(Draw(canvas, JwcWriter().Line(0, 0, 518, 366), c.rect, 0), 0);
        const auto drawn = canvas.DrawnSegments();
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].first, c.from);
        EXPECT_EQ(drawn[0].second, c.to);
    }
}

TEST(JwcMapping, BackgroundFirstThenEverythingInOrder) {
    RecordingCanvas canvas;
    JwcWriter w;
    w.Line(10, 10, 100, 10).Arc(200, 200, 20, 0, 0, 0, 0).Point(300, 300).Text(10, 50, 60, 50, "t");
    EXPECT_EQ(Draw(canvas, w, kSheet, 15), 0);
    const auto& calls = canvas.calls;
    const auto firstOf = [&](CallKind kind) {
        return std::find_if(calls.begin(), calls.end(), [&](const auto& c) { return c.kind == kind; }) -
               calls.begin();
    };
    const auto fill = firstOf(CallKind::FillRect);
    ASSERT_LT(fill, static_cast<std::ptrdiff_t>(calls.size()));
    EXPECT_EQ(calls[static_cast<std::size_t>(fill)].brush.color, kWhite);
    EXPECT_EQ(calls[static_cast<std::size_t>(fill)].rect, kSheet);
    EXPECT_LT(fill, firstOf(CallKind::LineTo));
    EXPECT_LT(firstOf(CallKind::LineTo), firstOf(CallKind::SetPixel));
    // Flags 15 draw base lines rather than characters, and the frame last.
    EXPECT_EQ(CountOf(canvas, CallKind::TextOut), 0u);
    const auto segments = canvas.Segments();
    ASSERT_GE(segments.size(), 4u);
    const std::vector<TPoint> frame = {{517, 0}, {517, 365}, {0, 365}, {0, 0}};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(segments[segments.size() - 4 + i].to, frame[i]);
    EXPECT_EQ(segments[segments.size() - 4].from, (TPoint{0, 0}));
}

TEST(JwcLayers, HiddenLayersDrawNothing) {
    struct Case {
        const char* what;
        int group;
        std::uint8_t groupFlag, layerFlag;
        bool shown;
    };
    for (const Case c :
         {Case{"both 1", 0, 1, 1, true}, Case{"layer 0", 0, 1, 0, false},
          Case{"group 0 over layer 1", 0, 0, 1, false}, Case{"layer 2", 0, 1, 2, false},
          Case{"layer 2 in group 3", 3, 3, 2, false}, Case{"group 5 layer 1", 5, 5, 1, true}}) {
        const std::uint8_t layer = static_cast<std::uint8_t>(c.group * 16 + 4);
        JwcWriter w;
        w.GroupFlag(c.group, c.groupFlag).LayerFlag(layer, c.layerFlag);
        w.Line(10, 10, 100, 100, 1, 1, layer)
            .Arc(200, 200, 30, 0, 0, 0, 0, 1, 1, layer)
            .Point(50, 60, layer, 1);
        w.Text(10, 50, 60, 50, "abc", layer);
        for (int flags : {2, 6}) {
            RecordingCanvas canvas;
            EXPECT_EQ(Draw(canvas, w, kSheet, flags), 0);
            EXPECT_EQ(canvas.DrawnSegments().empty(), !c.shown) << c.what << " flags " << flags;
            EXPECT_EQ(CountOf(canvas, CallKind::SetPixel), c.shown ? 1u : 0u) << c.what;
            EXPECT_EQ(CountOf(canvas, CallKind::TextOut), c.shown && flags == 2 ? 1u : 0u) << c.what;
        }
    }
}

TEST(JwcLines, AuxiliaryLinesOnlyWithFlagEight) {
    for (int flags : {0, 2, 7, 8, 15}) {
        RecordingCanvas canvas;
        EXPECT_EQ(Draw(canvas, JwcWriter().Line(0, 100, 200, 100, 9), kSheet, flags), 0);
        const auto drawn = canvas.DrawnSegments();
        if (flags & 8) {
            // Type 9 at 96 dpi: one pixel drawn, nine skipped.
            ASSERT_EQ(drawn.size(), (flags & 1) ? 24u : 20u) << flags;
            EXPECT_EQ(drawn[0].first, (TPoint{0, 266}));
            EXPECT_EQ(drawn[0].second, (TPoint{1, 266}));
            EXPECT_EQ(drawn[1].first, (TPoint{10, 266}));
        } else {
            const std::size_t frameSides = (flags & 1) ? 4 : 0;
            EXPECT_EQ(drawn.size(), frameSides) << flags;
        }
    }
}

TEST(JwcLines, ColourNumbers) {
    struct Case {
        std::uint8_t color;
        COLORREF pen;
    };
    for (const Case c : {Case{0, kWhite}, Case{1, 0}, Case{2, 0}, Case{7, 0}, Case{8, 0}, Case{255, 0}}) {
        RecordingCanvas canvas;
        canvas.SetPenColor(0x00123456);
        EXPECT_EQ(Draw(canvas, JwcWriter().Line(0, 0, 50, 0, 1, c.color), kSheet, 0), 0);
        const auto segments = canvas.Segments();
        ASSERT_EQ(segments.size(), 1u);
        EXPECT_EQ(segments[0].pen.color, c.pen) << int{c.color};
    }
}

TEST(JwcLines, ColourZeroAfterAHiddenAuxiliaryLine) {
    JwcWriter w;
    w.Line(0, 0, 10, 0, 9, 3).Line(0, 20, 50, 20, 1, 0);
    {
        // The hidden auxiliary line leaves colour number 0 noted but the pen black.
        RecordingCanvas canvas;
        EXPECT_EQ(Draw(canvas, w, kSheet, 0), 0);
        const auto segments = canvas.Segments();
        ASSERT_FALSE(segments.empty());
        EXPECT_EQ(segments.back().to, (TPoint{50, 346}));
        EXPECT_EQ(segments.back().pen.color, 0u);
    }
    {
        RecordingCanvas canvas;
        EXPECT_EQ(Draw(canvas, w, kSheet, 8), 0);
        EXPECT_EQ(canvas.Segments().back().pen.color, kWhite);
    }
}

TEST(JwcLines, HiddenRecordsStillChangeTheCurrentColour) {
    // An auxiliary line on a hidden layer still notes colour number 0 with a black pen, so the next
    // colour-0 line is drawn black rather than white.
    JwcWriter w;
    w.LayerFlag(1, 0).Line(0, 0, 10, 0, 9, 3, 1).Line(0, 20, 50, 20, 1, 0, 0);
    RecordingCanvas canvas;
    EXPECT_EQ(Draw(canvas, w, kSheet, 8), 0);
    const auto segments = canvas.Segments();
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].from, (TPoint{0, 346}));
    EXPECT_EQ(segments[0].pen.color, kWhite); // with the auxiliary line shown, colour 0 is selected

    RecordingCanvas hidden;
    EXPECT_EQ(Draw(hidden, w, kSheet, 0), 0);
    ASSERT_EQ(hidden.Segments().size(), 1u);
    EXPECT_EQ(hidden.Segments()[0].pen.color, 0u);
}

// With kJwcFitContent the drawing shows what is drawn on its shown layers, in its own proportion:
// lines and arcs make the box, points and texts widen it only near them, setting records never.
TEST(JwcMapping, FitContentLeavesOutStraysSettingRecordsAndHiddenLayers) {
    const int flags = kJwcFitContent | kJwcText | kJwcBaseLines;
    const TRect rect{0, 0, 101, 51};
    using Seg = std::pair<TPoint, TPoint>;
    const auto plan = [] { return JwcWriter().Line(0, 0, 100, 50); };
    struct Case {
        const char* name;
        JwcWriter w;
        Seg first; // the first segment drawn
    };
    const Case cases[] = {
        {"a line fills the picture", plan(), {{0, 50}, {100, 0}}},
        {"a stray point and a stray text",
         plan().Point(5000, 5000).Text(-3000, 0, -2990, 0, "x"),
         {{0, 50}, {100, 0}}},
        {"a point near the lines widens the box", plan().Point(100, -50), {{25, 25}, {75, 0}}},
        {"a setting record within the margin",
         JwcWriter().Line(0, 0, 2000, 1000).Text(0, -1000, 10, -1000, "View_D=1"),
         {{0, 50}, {100, 0}}},
        {"texts alone", JwcWriter().Text(0, 0, 100, 0, "a").Text(0, 50, 100, 50, "b"), {{0, 50}, {100, 50}}},
        {"hidden layers", plan().LayerFlag(3, 0).Line(-900, -900, 900, 900, 1, 1, 3), {{0, 50}, {100, 0}}},
        {"auxiliary lines are not drawn", plan().Line(-900, -900, 900, 900, 9), {{0, 50}, {100, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        ASSERT_EQ(Draw(canvas, c.w, rect, flags), 0);
        const auto drawn = canvas.DrawnSegments();
        ASSERT_FALSE(drawn.empty());
        EXPECT_EQ(drawn.front(), c.first);
    }

    // A circle alone fits by its own box, round in a square picture.
    RecordingCanvas circle;
    ASSERT_EQ(Draw(circle, JwcWriter().Arc(300, 100, 20, 0, 0, 0, 0), {0, 0, 101, 101}, kJwcFitContent), 0);
    const auto path = circle.PenPath();
    ASSERT_FALSE(path.empty());
    const auto [left, right] =
        std::minmax_element(path.begin(), path.end(), [](TPoint a, TPoint b) { return a.x < b.x; });
    const auto [top, bottom] =
        std::minmax_element(path.begin(), path.end(), [](TPoint a, TPoint b) { return a.y < b.y; });
    EXPECT_EQ(left->x, 0);
    EXPECT_EQ(right->x, 100);
    EXPECT_EQ(top->y, 0);
    EXPECT_EQ(bottom->y, 100);

    // Nothing to fit (a lone point, a setting record, a line on a hidden layer): the sheet, as without
    // the flag.
    const JwcWriter lone = JwcWriter()
                               .LayerFlag(3, 0)
                               .Point(10, 10)
                               .Text(0, -1000, 50, -1000, "Printer")
                               .Line(0, 0, 50, 50, 1, 1, 3);
    RecordingCanvas fitted, sheet;
    ASSERT_EQ(Draw(fitted, lone, kSheet, flags), 0);
    ASSERT_EQ(Draw(sheet, lone, kSheet, flags & ~kJwcFitContent), 0);
    ASSERT_EQ(fitted.CallsOf(CallKind::SetPixel).size(), 1u);
    EXPECT_EQ(fitted.CallsOf(CallKind::SetPixel)[0].to, (TPoint{10, 356}));
    EXPECT_EQ(sheet.CallsOf(CallKind::SetPixel)[0].to, (TPoint{10, 356}));
}

TEST(JwcArcs, RadiusOnTheXScaleAndAspect) {
    // Half as wide as the sheet's proportion: sx 0.5, sy 1, so the circle is twice as high as wide.
    RecordingCanvas canvas;
    EXPECT_EQ(Draw(canvas, JwcWriter().Arc(100, 100, 20, 0, 0, 0, 0), {0, 0, 259, 366}, 0), 0);
    const auto path = canvas.PenPath();
    ASSERT_FALSE(path.empty());
    int minX = path[0].x, maxX = minX, minY = path[0].y, maxY = minY;
    for (TPoint p : path) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    EXPECT_EQ(minX, 40);
    EXPECT_EQ(maxX, 60);
    EXPECT_EQ(minY, 246);
    EXPECT_EQ(maxY, 286);
    EXPECT_EQ(path.front(), (TPoint{60, 266}));
}

TEST(JwcArcs, AnglesAndFlatness) {
    RecordingCanvas canvas;
    // A quarter arc from 0 to 90 degrees of radius 10 about (100, 100).
    EXPECT_EQ(Draw(canvas, JwcWriter().Arc(100, 100, 10, 0, 0, 90, 0), kSheet, 0), 0);
    const auto path = canvas.PenPath();
    EXPECT_EQ(path.front(), (TPoint{110, 266}));
    EXPECT_EQ(path.back(), (TPoint{100, 256}));
    EXPECT_FALSE(Contains(path, {90, 266}));

    // Flatness 5000 with tilt 90: 20 wide, 40 high, starting at the top.
    RecordingCanvas tilted;
    EXPECT_EQ(Draw(tilted, JwcWriter().Arc(100, 100, 20, 5000, 0, 0, 90), kSheet, 0), 0);
    EXPECT_EQ(tilted.PenPath().front(), (TPoint{100, 246}));
}

TEST(JwcPoints, ColourByte) {
    struct Case {
        std::uint8_t color;
        COLORREF expected;
    };
    // Colour bytes beyond the ten palette entries draw black.
    for (const Case c : {Case{0, kWhite}, Case{1, 0}, Case{8, 0}, Case{9, 0}, Case{10, 0}, Case{255, 0}}) {
        RecordingCanvas canvas;
        EXPECT_EQ(Draw(canvas, JwcWriter().Point(518, 0, 0, c.color), kThumb, 0), 0);
        const auto pixels = canvas.CallsOf(CallKind::SetPixel);
        ASSERT_EQ(pixels.size(), 1u);
        EXPECT_EQ(pixels[0].to, (TPoint{100, 71}));
        EXPECT_EQ(pixels[0].color, c.expected) << int{c.color};
    }
}

TEST(JwcTexts, EachRecordOwnsItsPoolString) {
    JwcWriter w;
    w.LayerFlag(9, 0).Text(10, 50, 60, 50, "first", 9).Text(10, 100, 60, 100, "second", 0);
    w.Text(10, 150, 60, 150, "third", 0);
    RecordingCanvas canvas;
    EXPECT_EQ(Draw(canvas, w, kSheet, 2), 0);
    const auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "second");
    EXPECT_EQ(texts[0].to, (TPoint{10, 266}));
    EXPECT_EQ(texts[1].text, "third");
}

TEST(JwcTexts, AngleAndFitting) {
    struct Case {
        float x1, y1, x2, y2;
        const char* text;
        int escapement;
        int height; // the JTextOut height: minus the fitted font height
    };
    // The canvas font starts at height -11; the recording canvas measures bytes x |height| / 2.
    for (const Case c : {
             Case{10, 50, 60, 50, "abcdefgh", 0, -11},   // 44 <= 50
             Case{10, 50, 60, 50, "abcdefghij", 0, -10}, // 55 > 50, so 10: 50
             Case{50, 10, 50, 60, "abc", 900, -11},      // straight up
             Case{10, 10, 60, 60, "abc", 450, -11}, Case{60, 50, 10, 50, "abc", 1800, -11}, // leftward
             Case{60, 10, 10, 60, "abc", 1350, -11}, // up and to the left
             Case{10, 50, 10, 50, "abc", 0, 1},      // no room at all: the height goes below 0
         }) {
        RecordingCanvas canvas;
        EXPECT_EQ(Draw(canvas, JwcWriter().Text(c.x1, c.y1, c.x2, c.y2, c.text), kSheet, 2), 0);
        const auto texts = canvas.Texts();
        ASSERT_EQ(texts.size(), 1u) << c.text;
        EXPECT_EQ(texts[0].font.escapement, c.escapement) << c.text;
        EXPECT_EQ(texts[0].font.height, c.height) << c.text;
        EXPECT_EQ(texts[0].to, (TPoint{static_cast<int>(c.x1), 366 - static_cast<int>(c.y1)}));
        EXPECT_EQ(texts[0].font.color, 0u);
        EXPECT_EQ(texts[0].brush.style, BrushStyle::Clear);
    }
}

TEST(JwcTexts, BaseLinesInTheLastLineType) {
    struct Case {
        const char* what;
        JwcWriter writer;
        int flags;
        bool shows;
    };
    const auto base = [] { return JwcWriter().Text(10, 50, 60, 50, "abc"); };
    for (const Case& c : {
             Case{"no records", base(), 6, true},
             Case{"hidden auxiliary arc last", base().Arc(100, 100, 5, 0, 0, 0, 0, 9, 1, 0), 6, false},
             Case{"hidden auxiliary arc on a hidden layer",
                  base().LayerFlag(3, 0).Arc(100, 100, 5, 0, 0, 0, 0, 9, 1, 3), 6, false},
             Case{"auxiliary arc shown", base().Arc(100, 100, 5, 0, 0, 0, 0, 9, 1, 0), 14, true},
             Case{"hidden auxiliary line, no arcs", base().Line(0, 0, 1, 1, 9), 6, false},
             Case{"auxiliary line, then a solid arc",
                  base().Line(0, 0, 1, 1, 9).Arc(100, 100, 5, 0, 0, 0, 0, 1), 6, true},
         }) {
        RecordingCanvas canvas;
        EXPECT_EQ(Draw(canvas, c.writer, kSheet, c.flags), 0);
        EXPECT_EQ(CountOf(canvas, CallKind::TextOut), 0u) << c.what;
        const auto drawn = canvas.DrawnSegments();
        const bool baseLine = std::any_of(drawn.begin(), drawn.end(), [](const auto& s) {
            return s.first.y == 316 && s.second.y == 316 && s.first.x >= 10 && s.second.x <= 60;
        });
        EXPECT_EQ(baseLine, c.shows) << c.what;
    }
}

// Texts shown as characters: one whose record holds no string keeps its base line.
TEST(JwcTexts, ATextWithoutItsStringKeepsItsBaseLine) {
    RecordingCanvas canvas;
    EXPECT_EQ(Draw(canvas, JwcWriter().Text(10, 50, 60, 50, "abc").Text(10, 80, 60, 80, ""), kSheet, 2), 0);
    ASSERT_EQ(canvas.Texts().size(), 1u);
    EXPECT_EQ(canvas.Texts()[0].text, "abc");
    const auto drawn = canvas.DrawnSegments();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].first.y, 366 - 80);
}

TEST(JwcInfo, FilledForADrawnFile) {
    RecordingCanvas canvas;
    TJwcInfo info;
    JwcWriter w;
    w.Comment("ABCDEFGHIJ").Line(0, 0, 1, 1).Line(0, 0, 2, 2).Arc(5, 5, 1, 0, 0, 0, 0).Point(1, 1);
    EXPECT_EQ(Draw(canvas, w, kThumb, 0, info), 0);
    EXPECT_EQ(info.Comment, "ABCDEFGHIJ" + std::string(54, ' '));
    EXPECT_EQ(info.LineCount, 2);
    EXPECT_EQ(info.ArcCount, 1);
    EXPECT_EQ(info.TextCount, 0);
    EXPECT_EQ(info.PointCount, 1);
}

TEST(JwcFailures, HeaderErrorsLeaveTheCanvasUntouched) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::string message;
        bool comment; // whether Info holds the comment afterwards
    };
    const std::string readError = ReadError::kMessage;
    for (const Case& c : {
             Case{"40 bytes", JwcWriter().Comment("c").Build(40), readError, false},
             Case{"2420 bytes", JwcWriter().Comment("c").Build(2420), readError, false},
             Case{"short variant of 2389 bytes", JwcWriter(false).Comment("c").Build(), readError, false},
             Case{"last comma missing", JwcWriter().Comment("c").CountsText("3,1,0,2").Build(),
                  "'' は数値ではありません", true},
             Case{"bound not hexadecimal", JwcWriter().Comment("c").BoundsText("abcdeWXYZ,abcde0001").Build(),
                  "'$WXYZ' は数値ではありません", true},
             Case{"negative count", JwcWriter().Comment("c").CountsText("0,-3,0,0,").Build(), readError,
                  true},
             Case{"pool end below start", JwcWriter().Comment("c").BoundsText("abcde0002,abcde0001").Build(),
                  readError, true},
         }) {
        RecordingCanvas canvas;
        const Font before = canvas.GetFont();
        TJwcInfo info;
        try {
            DrawJwcData(canvas, c.bytes, kThumb, 15, info);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(e.what(), c.message) << c.what;
            EXPECT_EQ(dynamic_cast<const ReadError*>(&e) != nullptr, c.message == readError) << c.what;
        }
        EXPECT_EQ(info.Comment.empty(), !c.comment) << c.what;
        EXPECT_EQ(info.LineCount + info.ArcCount, 0) << c.what;
        EXPECT_EQ(CountOf(canvas, CallKind::FillRect), 0u) << c.what;
        EXPECT_EQ(CountOf(canvas, CallKind::LineTo), 0u) << c.what;
        EXPECT_EQ(canvas.GetFont(), before) << c.what;
    }
}

TEST(JwcFailures, EntityErrorsAfterTheBackground) {
    JwcWriter w;
    w.Line(0, 0, 518, 366).Point(1, 1);
    const auto whole = w.Build();
    for (const auto& bytes : {w.Build(whole.size() - 1), JwcWriter().CountsText("5,0,0,0,").Build(),
                              JwcWriter().CountsText("0,0,0,2147483647,").Build()}) {
        RecordingCanvas canvas;
        canvas.SetFontHeight(-17);
        TJwcInfo info;
        EXPECT_THROW(DrawJwcData(canvas, bytes, kThumb, 2, info), ReadError);
        EXPECT_EQ(CountOf(canvas, CallKind::FillRect), 1u);
        EXPECT_EQ(CountOf(canvas, CallKind::LineTo), 0u);
        EXPECT_EQ(info.Comment.size(), 64u);
        EXPECT_EQ(canvas.GetFont().height, -17);
    }
}

TEST(JwcFailures, DamagedFilesFailCleanly) {
    // Random damage to the text fields, flags and records of a good file, and random cuts: every
    // outcome is a drawing or one of the two reader errors, never anything else.
    JwcWriter w;
    w.Line(0, 0, 518, 366, 2, 3, 1)
        .Arc(100, 100, 50, 3000, 10, 200, 30, 9, 4, 2)
        .Text(10, 50, 60, 50, "ab", 3);
    w.Text(20, 20, 80, 80, "cd", 1).Point(5, 5, 1, 200);
    const auto good = w.Build();
    std::mt19937 random(20240601);
    const std::size_t fields[] = {200, 600, 2133, 2421};
    for (int round = 0; round < 3000; ++round) {
        auto bytes = good;
        const int damage = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < damage; ++k) {
            const std::size_t at = fields[random() % 4] + random() % 120;
            if (at < bytes.size())
                bytes[at] = static_cast<std::uint8_t>("0123456789,-$ABCDEF\xff"[random() % 20]);
        }
        if (random() % 4 == 0)
            bytes.resize(40 + random() % (bytes.size() - 40));
        RecordingCanvas canvas;
        TJwcInfo info;
        try {
            EXPECT_EQ(DrawJwcData(canvas, bytes, kThumb, static_cast<int>(random() % 16), info), 0);
        } catch (const ReadError&) {
        } catch (const ConvertError&) {
        }
    }
}

TEST(JwcFont, CallerFontComesBack) {
    JwcWriter w;
    w.Text(10, 50, 60, 50, "abcdefghijkl").Text(50, 10, 50, 200, "up");
    RecordingCanvas canvas;
    Font custom;
    custom.name = "IPAGothic";
    custom.height = -14;
    custom.color = 0x00345678;
    canvas.SetFont(custom);
    for (int round = 0; round < 2; ++round) {
        canvas.ClearLog();
        EXPECT_EQ(Draw(canvas, w, kSheet, 2), 0);
        EXPECT_EQ(canvas.GetFont(), custom) << round;
        // Each call starts from the caller's height, not from what the last text left.
        const auto texts = canvas.Texts();
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0].font.height, -8) << round; // 12 bytes fit 50 pixels at height 8
        EXPECT_EQ(texts[1].font.height, -14) << round;
        EXPECT_EQ(texts[1].font.escapement, 900) << round;
        EXPECT_EQ(texts[1].font.name, "IPAGothic");
    }
}

TEST(JwcFiles, ReadFromDiskInBothVariants) {
    const auto dir = std::filesystem::temp_directory_path() / "plavik-jwc-files";
    std::filesystem::create_directories(dir);
    for (bool longHeader : {true, false}) {
        JwcWriter w(longHeader);
        w.Comment("disk").Line(0, 0, 518, 366).Text(10, 50, 60, 50, "abc").Point(259, 183).Trailer(5000);
        const auto path = dir / (longHeader ? "long.jwc" : "short.jwc");
        w.Save(path);
        RecordingCanvas canvas;
        TJwcInfo info;
        EXPECT_EQ(DrawJwc(canvas, path, kThumb, 2, info), 0);
        EXPECT_EQ(info.Comment.substr(0, 4), "disk");
        EXPECT_EQ(info.LineCount, 1);
        const auto drawn = canvas.DrawnSegments();
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].first, (TPoint{0, 71}));
        ASSERT_EQ(canvas.Texts().size(), 1u);
        EXPECT_EQ(canvas.Texts()[0].text, "abc");
        ASSERT_EQ(CountOf(canvas, CallKind::SetPixel), 1u);

        // The same file cut inside its point record: the error comes after the background.
        test::ByteWriter cut;
        const auto bytes =
            JwcWriter(longHeader).Line(0, 0, 1, 1).Line(0, 0, 2, 2).Line(0, 0, 3, 3).Point(1, 1).Build();
        cut.bytes.assign(bytes.begin(), bytes.end() - 3);
        cut.Save(path);
        RecordingCanvas failing;
        EXPECT_THROW(DrawJwc(failing, path, kThumb, 0, info), ReadError);
        EXPECT_EQ(CountOf(failing, CallKind::FillRect), 1u);
    }
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace plavik
