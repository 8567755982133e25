// Drawing figure files, checked call by call on the recording canvas.
#include "support/jwkwriter.h"
#include "support/recordingcanvas.h"

#include "render/drawsteps.h"
#include "render/errors.h"
#include "render/jwk.h"
#include "render/palette.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace plavik {
namespace {

using test::CallKind;
using test::JwkWriter;
using test::RecordingCanvas;
using Data = std::vector<std::uint8_t>;

constexpr Palette kColors = {0xB0, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19};
constexpr TRect k48{0, 0, 48, 48};
constexpr TRect k100{0, 0, 100, 100};

// Counts SetLineType calls: they are the only ones that ask the device for its resolution.
class CountingCanvas : public RecordingCanvas {
public:
    int GetDeviceCaps(DeviceCap cap) const override {
        if (cap == DeviceCap::LogPixelsX)
            ++lineTypeSelections;
        return RecordingCanvas::GetDeviceCaps(cap);
    }
    mutable int lineTypeSelections = 0;
};

class JwkRender : public ::testing::Test {
protected:
    int Draw(const JwkWriter& w, const TRect& rect = k100, int flags = 0) {
        return DrawJwkData(canvas, w.Bytes(), rect, flags, kColors);
    }
    std::vector<COLORREF> PenColorsOfDrawnSegments() const {
        std::vector<COLORREF> out;
        for (const auto& s : canvas.Segments())
            if (!(s.from == s.to))
                out.push_back(s.pen.color);
        return out;
    }

    CountingCanvas canvas;
};

using Seg = std::pair<TPoint, TPoint>;

TEST_F(JwkRender, NotAFigureDrawsTheCardCentred) {
    const std::string text = "just some text in a .jwk file\n";
    EXPECT_EQ(DrawJwkData(canvas, Data(text.begin(), text.end()), {10, 20, 58, 68}, 15), -1);
    const auto fills = canvas.CallsOf(CallKind::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect, (TRect{10, 20, 58, 68}));
    EXPECT_EQ(fills[0].brush, (Brush{0x00FFFFFF, BrushStyle::Solid}));
    const auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 1u);
    // Twelve characters are 6 x height wide here: the font shrinks from 12 to 8 to fit 48 pixels.
    EXPECT_EQ(texts[0].text, "Not JWK File");
    EXPECT_EQ(texts[0].font.height, 8);
    EXPECT_EQ(texts[0].font.color, 0x000000FFu);
    EXPECT_EQ(texts[0].to, (TPoint{10, 20 + (48 - 8) / 2}));
    EXPECT_EQ(canvas.GetFont(), Font{});
}

TEST_F(JwkRender, LinesMapTheBoxOntoTheRectangle) {
    struct Case {
        const char* name;
        JwkWriter figure;
        TRect rect;
        Seg drawn;
    };
    const std::vector<Case> cases = {
        {"diagonal into 48 x 48", JwkWriter().Line(0, 0, 100, 100), k48, {{0, 48}, {48, 0}}},
        {"offset by 50", JwkWriter().Origin(50, 50).Line(0, 0, 10, 20), k100, {{50, 50}, {60, 30}}},
        {"scale and offset", JwkWriter().Origin(10, 0).Scale(2).Line(1, 1, 5, 2), k100, {{12, 98}, {20, 96}}},
        {"moved, unequal axes", JwkWriter().Line(10, 10, 20, 30), {5, 7, 105, 207}, {{15, 187}, {25, 147}}},
        {"halves round to even", JwkWriter().Line(5, 5, 7, 7), {0, 0, 50, 50}, {{2, 48}, {4, 46}}},
    };
    for (const Case& c : cases) {
        canvas.ClearLog();
        ASSERT_EQ(DrawJwkData(canvas, c.figure.Bytes(), c.rect, 0, kColors), 0) << c.name;
        EXPECT_EQ(canvas.DrawnSegments(), std::vector<Seg>{c.drawn}) << c.name;
    }
}

TEST_F(JwkRender, AuxiliaryLinesOnlyWithTheirFlag) {
    const JwkWriter figure =
        JwkWriter().Line(0, 10, 100, 10, 9).Line(0, 20, 100, 20, 9).Line(0, 30, 100, 30, 1);
    Draw(figure, k100, 0);
    EXPECT_EQ(canvas.DrawnSegments(), (std::vector<Seg>{{{0, 70}, {100, 70}}}));
    // Initial solid, type 9, hidden twice, solid again.
    EXPECT_EQ(canvas.lineTypeSelections, 5);

    canvas.ClearLog();
    Draw(figure, k100, kJwkAuxLines);
    const auto drawn = canvas.DrawnSegments();
    // Dots of one pixel every ten pixels at 96 dpi, then the solid line.
    ASSERT_EQ(drawn.size(), 10u + 10u + 1u);
    EXPECT_EQ(drawn[0], (Seg{{0, 90}, {1, 90}}));
    EXPECT_EQ(drawn[1], (Seg{{10, 90}, {11, 90}}));
    EXPECT_EQ(drawn.back(), (Seg{{0, 70}, {100, 70}}));
}

TEST_F(JwkRender, PenAndLineTypeChangeOnlyWhenARecordDiffers) {
    Draw(JwkWriter()
             .Line(0, 0, 10, 0, 3, 3)
             .Line(0, 5, 10, 5, 3, 3)
             .Arc(50, 50, 10, 0, 0, 0, 0, 3, 3)
             .Line(0, 9, 9, 9, 1, 4));
    // Lines come before arcs: initial type 1, then 3, 1 for the last line, 3 for the arc.
    EXPECT_EQ(canvas.lineTypeSelections, 4);
    const auto& calls = canvas.calls;
    int colourChanges = 0;
    for (std::size_t i = 1; i + 1 < calls.size(); ++i)
        if (calls[i].kind == CallKind::SetPen && calls[i].pen.color != calls[i - 1].pen.color)
            ++colourChanges;
    EXPECT_EQ(colourChanges, 5); // background, 2, 3, 4 for the last line, 3 for the arc
}

TEST_F(JwkRender, ColourNumbers) {
    Draw(JwkWriter()
             .Line(0, 10, 50, 10, 1, 0)
             .Line(0, 20, 50, 20, 1, 3)
             .Line(0, 30, 50, 30, 1, 7)
             .Line(0, 40, 50, 40, 1, 8)
             .Line(0, 50, 50, 50, 1, 255)
             .Arc(50, 50, 10, 0, 0, 0, 0, 1, 9));
    const auto colours = PenColorsOfDrawnSegments();
    ASSERT_EQ(colours.size(), 5u + 12u);
    EXPECT_EQ(std::vector<COLORREF>(colours.begin(), colours.begin() + 6),
              (std::vector<COLORREF>{kColors[0], kColors[3], kColors[7], 0, 0, 0}));

    canvas.ClearLog();
    const std::vector<std::pair<int, COLORREF>> points = {{0, kColors[0]}, {1, kColors[1]}, {7, kColors[7]},
                                                          {8, kColors[8]}, {9, kColors[9]}, {10, 0},
                                                          {255, 0}};
    JwkWriter figure;
    for (const auto& p : points)
        figure.Point(static_cast<float>(p.first % 100), 0, p.first);
    Draw(figure);
    const auto pixels = canvas.CallsOf(CallKind::SetPixel);
    ASSERT_EQ(pixels.size(), points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(pixels[i].color, points[i].second) << "colour number " << points[i].first;
        EXPECT_EQ(pixels[i].to, (TPoint{points[i].first % 100, 100}));
    }
}

TEST_F(JwkRender, ArcsUseTheMappedCentreRadiusAndAspect) {
    // A circle of radius 10 in a box twice as high as wide: 20 pixels wide, 40 high, 12 chords.
    Draw(JwkWriter().Arc(50, 50, 10), {0, 0, 100, 200});
    const auto path = canvas.PenPath();
    ASSERT_EQ(path.size(), 1u + 13u + 1u);
    EXPECT_EQ(path.front(), (TPoint{60, 100}));
    EXPECT_EQ(path[4], (TPoint{50, 80}));
    EXPECT_EQ(path[7], (TPoint{40, 100}));
    EXPECT_EQ(path[10], (TPoint{50, 120}));
    EXPECT_EQ(path.back(), (TPoint{60, 100}));

    // Scale applies to the radius; fixed-point angles become degrees: a quarter from the top leftwards.
    canvas.ClearLog();
    Draw(JwkWriter().Origin(50, 50).Scale(2).Arc(0, 0, 10, 90, 180), k100);
    const auto quarter = canvas.PenPath();
    EXPECT_EQ(quarter.front(), (TPoint{50, 30}));
    EXPECT_EQ(quarter.back(), (TPoint{30, 50}));
}

TEST_F(JwkRender, TextAnglesAndFitting) {
    struct Case {
        const char* name;
        float x1, y1, x2, y2;
        std::string text;
        int escapement, height;
        TPoint at;
    };
    // Widths here are bytes x height / 2; the caller's font has height -11.
    const std::vector<Case> cases = {
        {"horizontal", 10, 50, 60, 50, "ABCD", 0, -11, {10, 50}},
        {"upward", 50, 10, 50, 60, "ABCD", 900, -11, {50, 90}},
        {"downward passes -900", 50, 60, 50, 10, "ABCD", 2700, -11, {50, 40}},
        {"angle truncated toward zero", 0, 10, 50, 5, "A", 3600 - 57, -11, {0, 90}},
        {"shrunk to the base line", 10, 50, 60, 50, "ABCDEFGHIJ", 0, -10, {10, 50}},
        {"zero-length base line", 10, 50, 10, 50, "AB", 0, 1, {10, 50}},
        {"empty text keeps the height", 10, 50, 10, 50, "", 0, -11, {10, 50}},
    };
    for (const Case& c : cases) {
        canvas.ClearLog();
        Draw(JwkWriter().Text(c.x1, c.y1, c.x2, c.y2, c.text), k100, kJwkText);
        const auto texts = canvas.Texts();
        ASSERT_EQ(texts.size(), 1u) << c.name;
        EXPECT_EQ(texts[0].text, c.text) << c.name;
        EXPECT_EQ(texts[0].font.escapement, c.escapement) << c.name;
        EXPECT_EQ(texts[0].font.height, c.height) << c.name;
        EXPECT_EQ(texts[0].font.color, kColors[kText]) << c.name;
        EXPECT_EQ(texts[0].brush.style, BrushStyle::Clear) << c.name;
        EXPECT_EQ(texts[0].to, c.at) << c.name;
        EXPECT_EQ(canvas.GetFont(), Font{}) << c.name;
    }
}

// Shrinking the font one pixel at a time measured a text once per pixel of height: a printer font of
// 5000 points took thousands of measurements per text, a base line of length 0 all of them.
TEST(FittedTextHeight, TakesFewMeasurements) {
    class MeasureCounter : public RecordingCanvas {
    public:
        int TextWidth(std::string_view text) override {
            ++measured;
            return RecordingCanvas::TextWidth(text);
        }
        int measured = 0;
    };
    struct Case {
        const char* name;
        int h0;
        double length;
        int height;
        int mostMeasured;
    };
    // Widths are 10 bytes x height / 2.
    for (const Case& c :
         {Case{"fits at once", -11, 60, 11, 1}, Case{"base line of length 0", -41667, 0, -1, 1},
          Case{"huge printer font", -41667, 50, 10, 4}, Case{"no height at all", INT_MIN, 50, 10, 34},
          Case{"only 0 is left", -11, 3, -1, 8}}) {
        MeasureCounter canvas;
        EXPECT_EQ(FittedTextHeight(canvas, "ABCDEFGHIJ", c.h0, c.length), c.height) << c.name;
        EXPECT_LE(canvas.measured, c.mostMeasured) << c.name;
    }
}

TEST_F(JwkRender, TextsTakeThePoolInOrderAndTheCallersHeight) {
    Font caller;
    caller.height = -20;
    canvas.SetFont(caller);
    const JwkWriter figure = JwkWriter()
                                 .Text(0, 50, 100, 50, "x")
                                 .Text(0, 40, 100, 40, "y")
                                 .Text(0, 30, 100, 30, "z")
                                 .Pool(std::string("first\0second\0", 13));
    for (int call = 0; call < 2; ++call) {
        canvas.ClearLog();
        Draw(figure, k100, kJwkText);
        const auto texts = canvas.Texts();
        ASSERT_EQ(texts.size(), 3u);
        EXPECT_EQ(texts[0].text, "first");
        EXPECT_EQ(texts[1].text, "second");
        EXPECT_EQ(texts[2].text, ""); // the pool holds no third string
        for (const auto& t : texts)
            EXPECT_EQ(t.font.height, -20) << "call " << call;
        EXPECT_EQ(canvas.GetFont(), caller);
    }
    canvas.ClearLog();
    Draw(figure, k100, 0);
    EXPECT_TRUE(canvas.Texts().empty());
}

TEST_F(JwkRender, ReferenceMarkAndFrame) {
    Draw(JwkWriter().Origin(50, 50), k48, kJwkRefPoint | kJwkBorder);
    const auto segments = canvas.Segments();
    // A 12-chord circle of radius 3 about (24, 24), then the four sides of the frame.
    ASSERT_EQ(segments.size(), 13u + 1u + 4u);
    EXPECT_EQ(segments[0].from, (TPoint{27, 24}));
    EXPECT_EQ(segments[0].pen.color, kColors[kPos]);
    const std::vector<test::Segment> frame(segments.end() - 4, segments.end());
    const Pen border{kColors[kBorder], PenStyle::Solid, 0};
    EXPECT_EQ(frame, (std::vector<test::Segment>{{{0, 0}, {47, 0}, border},
                                                 {{47, 0}, {47, 47}, border},
                                                 {{47, 47}, {0, 47}, border},
                                                 {{0, 47}, {0, 0}, border}}));

    // After a hidden auxiliary line the mark is drawn in line type 0: pen moves only.
    canvas.ClearLog();
    Draw(JwkWriter().Origin(50, 50).Line(0, 0, 10, 0, 9), k48, kJwkRefPoint);
    EXPECT_TRUE(canvas.DrawnSegments().empty());
}

TEST_F(JwkRender, FlagsZeroAndFifteen) {
    const JwkWriter figure = JwkWriter()
                                 .Line(0, 0, 50, 50)
                                 .Line(0, 50, 50, 50, 9)
                                 .Arc(50, 50, 20)
                                 .Point(5, 5, 1)
                                 .Text(10, 10, 90, 10, "T");
    auto kinds = [&] {
        std::vector<CallKind> out;
        for (const auto& c : canvas.calls)
            if (c.kind == CallKind::FillRect || c.kind == CallKind::SetPixel || c.kind == CallKind::TextOut)
                out.push_back(c.kind);
        return out;
    };
    Draw(figure, k100, 0);
    EXPECT_EQ(kinds(), (std::vector<CallKind>{CallKind::FillRect, CallKind::SetPixel}));
    EXPECT_EQ(canvas.DrawnSegments().size(), 1u + 24u);
    EXPECT_EQ(canvas.calls.front().kind, CallKind::SetBrush);
    EXPECT_EQ(canvas.CallsOf(CallKind::FillRect)[0].brush, (Brush{kColors[kBack], BrushStyle::Solid}));

    canvas.ClearLog();
    Draw(figure, k100, 15);
    EXPECT_EQ(kinds(), (std::vector<CallKind>{CallKind::FillRect, CallKind::SetPixel, CallKind::TextOut}));
    // Line, dotted auxiliary line, arc, mark, frame; the frame comes last.
    const auto colours = PenColorsOfDrawnSegments();
    EXPECT_EQ(colours.size(), 1u + 5u + 24u + 12u + 4u);
    EXPECT_EQ(colours.back(), kColors[kBorder]);
    EXPECT_EQ(canvas.calls.back().kind, CallKind::SetFont); // the caller's font back
}

TEST_F(JwkRender, SameCallGivesTheSameCallsWhateverCameBefore) {
    const JwkWriter figure = JwkWriter()
                                 .Line(0, 0, 70, 30, 5, 2)
                                 .Arc(40, 40, 30, 10, 300, 0.5, 20, 7, 4)
                                 .Point(3, 4, 8)
                                 .Text(10, 10, 90, 10, "text");
    for (int flags : {kJwkBorder | kJwkAuxLines | kJwkRefPoint, 15}) {
        Draw(JwkWriter().Line(0, 0, 33, 33, 6, 1).Text(0, 0, 1, 0, "long text"), k48, 15);
        canvas.ClearLog();
        Draw(figure, k48, flags);
        const auto first = canvas.calls;
        Draw(JwkWriter().Arc(10, 10, 5, 0, 45, 0, 0, 2, 5), k48, 15);
        canvas.ClearLog();
        Draw(figure, k48, flags);
        ASSERT_EQ(canvas.calls.size(), first.size()) << flags;
        for (std::size_t i = 0; i < first.size(); ++i) {
            EXPECT_EQ(canvas.calls[i].kind, first[i].kind) << flags << " call " << i;
            EXPECT_EQ(canvas.calls[i].to, first[i].to) << flags << " call " << i;
            EXPECT_EQ(canvas.calls[i].pen, first[i].pen) << flags << " call " << i;
            EXPECT_EQ(canvas.calls[i].font, first[i].font) << flags << " call " << i;
        }
    }
}

TEST_F(JwkRender, MalformedFiles) {
    const JwkWriter one = JwkWriter().Line(0, 0, 1, 1);
    struct Case {
        const char* name;
        Data data;
        bool beforeCanvas; // the header fails: nothing may reach the canvas
        std::string message;
    };
    const std::vector<Case> cases = {
        {"40 bytes with the magic", JwkWriter().Cut(40), true, ReadError::kMessage},
        {"header cut", JwkWriter().Cut(399), true, ReadError::kMessage},
        {"count not a number", JwkWriter().Descriptor("one,0,0,0,0,0,1").Bytes(), true,
         "'one' は数値ではありません"},
        {"scale not a real", JwkWriter().Descriptor("0,0,0,0,0,0,x").Bytes(), true,
         "'x' は浮動小数点数ではありません"},
        {"line section cut", one.Cut(400 + 21), false, ReadError::kMessage},
        {"huge count", JwkWriter(one).Counts(0x7FFFFFFF, 0, 0, 0).Bytes(), false, ReadError::kMessage},
        {"negative count", JwkWriter(one).Counts(1, -1, 0, 0).Bytes(), false, ReadError::kMessage},
    };
    for (const Case& c : cases) {
        canvas.ClearLog();
        std::string message;
        try {
            DrawJwkData(canvas, c.data, k48, 15, kColors);
        } catch (const std::runtime_error& e) {
            message = e.what();
            const bool isRead = dynamic_cast<const ReadError*>(&e) != nullptr;
            EXPECT_EQ(isRead, c.message == ReadError::kMessage) << c.name;
        }
        EXPECT_EQ(message, c.message) << c.name;
        if (c.beforeCanvas) {
            EXPECT_TRUE(canvas.calls.empty()) << c.name;
        } else {
            EXPECT_EQ(canvas.CallsOf(CallKind::FillRect).size(), 1u) << c.name;
            EXPECT_TRUE(canvas.CallsOf(CallKind::LineTo).empty()) << c.name;
            EXPECT_EQ(canvas.calls.back().kind, CallKind::SetFont) << c.name;
        }
        EXPECT_EQ(canvas.GetFont(), Font{}) << c.name;
    }
}

class JwkRenderFile : public JwkRender {
protected:
    void SetUp() override {
        JwkRender::SetUp();
        dir = std::filesystem::temp_directory_path() /
              ("plavik-jwk-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        JwkRender::TearDown();
    }
    std::filesystem::path Save(const std::string& name, const Data& data) {
        const auto path = dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        return path;
    }
    std::filesystem::path dir;
};

TEST_F(JwkRenderFile, ByPathAsByBytes) {
    const JwkWriter figure = JwkWriter().Line(0, 0, 100, 100).Text(10, 10, 90, 10, "abc").Point(1, 1, 9);
    EXPECT_EQ(DrawJwk(canvas, Save("a.jwk", figure.Bytes()), k48, 15, kColors), 0);
    const auto byPath = canvas.PenPath();
    EXPECT_EQ(canvas.Texts().at(0).text, "abc");
    canvas.ClearLog();
    Draw(figure, k48, 15);
    EXPECT_EQ(canvas.PenPath(), byPath);

    canvas.ClearLog();
    EXPECT_EQ(DrawJwk(canvas, dir / "missing.jwk", k48, 0), -1);
    EXPECT_EQ(canvas.Texts().at(0).text, "Not JWK File");
    canvas.ClearLog();
    EXPECT_THROW(DrawJwk(canvas, Save("short.jwk", figure.Cut(40)), k48, 0), ReadError);
    EXPECT_TRUE(canvas.calls.empty());
    EXPECT_THROW(DrawJwk(canvas, Save("cut.jwk", figure.Cut(410)), k48, 0), ReadError);
    EXPECT_EQ(canvas.CallsOf(CallKind::FillRect).size(), 1u);
}

TEST_F(JwkRenderFile, LongPoolStringsCostWhatTheyShow) {
    // A string of 300 KB without its NUL is drawn as far as the canvas can show it (two bytes per
    // pixel of its width and height, and 1024), and the next string is still found after it, by path
    // (read a block at a time) and by bytes alike. One text whose 64 MB pool had no NUL took 26 s.
    const std::string pool = std::string(300'000, 'a') + '\0' + "b" + '\0';
    const JwkWriter figure = JwkWriter().Text(0, 50, 100, 50, "").Text(0, 20, 100, 20, "").Pool(pool);
    const auto path = Save("pool.jwk", figure.Bytes());
    const std::size_t shown = 2 * (20000 + 20000) + 1024;
    for (const bool byPath : {true, false}) {
        canvas.ClearLog();
        if (byPath)
            EXPECT_EQ(DrawJwk(canvas, path, k100, kJwkText, kColors), 0);
        else
            Draw(figure, k100, kJwkText);
        const auto texts = canvas.Texts();
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0].text, std::string(shown, 'a'));
        EXPECT_EQ(texts[1].text, "b");
    }
}

TEST_F(JwkRenderFile, HugeFileWithSmallCountsIsNotReadWhole) {
#ifndef __linux__
    GTEST_SKIP() << "needs sparse files";
#endif
    // Sparse files as large as any file read: only the sections (and, with texts, the pool) are read.
    for (const JwkWriter& figure :
         {JwkWriter().Line(0, 0, 100, 100), JwkWriter().Line(0, 0, 100, 100).Text(0, 0, 9, 0, "t")}) {
        const auto path = Save("huge.jwk", figure.Bytes());
        std::filesystem::resize_file(path, kMaxFileBytes);
        canvas.ClearLog();
        EXPECT_EQ(DrawJwk(canvas, path, k48, kJwkText, kColors), 0);
        EXPECT_EQ(canvas.DrawnSegments(), (std::vector<Seg>{{{0, 48}, {48, 0}}}));
    }
}

} // namespace
} // namespace plavik
