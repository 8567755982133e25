// Drawing .jws and .jww files: blocks, texts, the reference mark and frame, and the entry points by
// bytes and by path.
#include "jwwcases.h"

#include "render/budget.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "render/jwk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

TEST(JwwBlocks, PlacedScaledTurnedAndNested) {
    struct Case {
        const char* name;
        JwwWriter w;
        std::vector<Seg> drawn;
    };
    auto with = [](JwwWriter w) {
        w.BeginDefinition(1).Line(0, 0, 10, 0).EndDefinition();
        w.BeginDefinition(2).Block(0, 10, 1, 1, 0, 1).EndDefinition();
        w.BeginDefinition(3).Line(0, 0, 1, 0).Block(0, 1, 1, 1, 0, 3).EndDefinition();
        return w;
    };
    const Case cases[] = {
        {"scale, then turn, then move", with(Square().Block(5, 5, 2, 1, kPi / 2, 1)), {{{55, 45}, {55, 25}}}},
        {"negative scale mirrors", with(Square().Block(0, 0, -1, 1, 0, 1)), {{{50, 50}, {40, 50}}}},
        {"nested", with(Square().Block(1, 1, 1, 1, 0, 2)), {{{51, 39}, {61, 39}}}},
        {"missing definition", with(Square().Block(0, 0, 1, 1, 0, 9)), {}},
        {"a definition placing itself stops eight deep",
         with(Square().Block(0, 0, 1, 1, 0, 3)),
         {{{50, 50}, {51, 50}},
          {{50, 49}, {51, 49}},
          {{50, 48}, {51, 48}},
          {{50, 47}, {51, 47}},
          {{50, 46}, {51, 46}},
          {{50, 45}, {51, 45}},
          {{50, 44}, {51, 44}},
          {{50, 43}, {51, 43}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        ASSERT_EQ(Draw(canvas, c.w), 0);
        EXPECT_EQ(canvas.DrawnSegments(), c.drawn);
    }
}

// Counts the lines without logging them.
class CountingCanvas : public RecordingCanvas {
public:
    void LineTo(int x, int y) override {
        ++lines;
        SetPenPosition({x, y});
    }
    void MoveTo(int x, int y) override { Canvas::MoveTo(x, y); }
    void SetPen(const Pen& pen) override { Canvas::SetPen(pen); }
    long long lines = 0;
};

TEST(JwwBlocks, ExpansionHasABudget) {
    // Ten references per definition, eight deep: 10^8 lines from a file of a few kilobytes.
    JwwWriter w = Square().Block(0, 0, 1, 1, 0, 7);
    w.BeginDefinition(0);
    for (int i = 0; i < 10; ++i)
        w.Line(-40, i, 40, i);
    w.EndDefinition();
    for (std::uint32_t d = 1; d <= 7; ++d) {
        w.BeginDefinition(d);
        for (int i = 0; i < 10; ++i)
            w.Block(0, 0, 1, 1, 0, d - 1);
        w.EndDefinition();
    }
    CountingCanvas canvas;
    ASSERT_EQ(DrawJwsData(canvas, w.Bytes(), k101, 0), 0);
    // Each line costs its visit and its segment: half the budget of a small picture are drawn.
    EXPECT_GT(canvas.lines, DrawBudget::kMinWork * 9 / 20);
    EXPECT_LE(canvas.lines, DrawBudget::kMinWork / 2);
}

TEST(JwwTexts, StandOnTheirBaseLine) {
    struct Case {
        const char* name;
        JwwWriter w;
        int height, escapement;
        TPoint at;
    };
    auto inBlock = [](JwwWriter w) {
        w.BeginDefinition(1).Text(0, 0, 4, 0, "AB", 4, 0).EndDefinition();
        return w;
    };
    const Case cases[] = {
        {"level: the corner one height up", Square().Text(10, 20, 20, 20, "AB", 5, 0), -5, 0, {60, 25}},
        {"upright: the corner one height left",
         Square().Text(10, 20, 10, 30, "AB", 5, 90),
         -5,
         900,
         {55, 30}},
        {"turning back", Square().Text(10, 20, 0, 20, "AB", 5, -180), -5, -1800, {60, 35}},
        {"angles beyond a turn", Square().Text(10, 20, 20, 20, "AB", 5, 725), -5, 50, {60, 25}},
        {"at least one pixel high", Square().Text(10, 20, 20, 20, "AB", 0.2, 0), -1, 0, {60, 30}},
        {"in a block: scaled and turned", inBlock(Square().Block(0, 0, 2, 2, kPi / 2, 1)), -8, 900, {42, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        ASSERT_EQ(DrawJwsData(canvas, c.w.Bytes(), k101, kJwkText, kColors), 0);
        const auto texts = canvas.Texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].text, "AB");
        EXPECT_EQ(texts[0].font.height, c.height);
        EXPECT_EQ((texts[0].font.escapement - c.escapement) % 3600, 0);
        EXPECT_EQ(texts[0].font.color, kColors[kText]);
        EXPECT_EQ(texts[0].to, c.at);
        EXPECT_EQ(canvas.GetFont(), Font{});
    }
}

TEST(JwwTexts, OptionsAndBaseLines) {
    const JwwWriter figure = Square().Text(10, 20, 20, 20, "AB", 5, 0).Text(60, 0, 70, 0, "far", 5, 0);
    RecordingCanvas canvas;
    Draw(canvas, figure, k101, 0);
    EXPECT_TRUE(canvas.Texts().empty());
    Draw(canvas, figure, k101, kJwkText);
    EXPECT_EQ(canvas.Texts().size(), 1u); // the other starts outside the picture
    // One that starts outside and reaches in is drawn only where the picture is the whole canvas.
    const JwwWriter reaching = Square().Text(-60, 0, -40, 0, "in", 5, 0);
    canvas.ClearLog();
    Draw(canvas, reaching, k101, kJwkText);
    EXPECT_TRUE(canvas.Texts().empty());
    canvas.SetBounds(k101);
    Draw(canvas, reaching, k101, kJwkText);
    EXPECT_EQ(canvas.Texts().size(), 1u);

    const JwwWriter drawing =
        JwwWriter::Drawing().Paper(8).Text(0, 0, 100, 50, "AB", 5, 26.6).Line(0, 0, 1, 1);
    canvas.ClearLog();
    Draw(canvas, drawing, k101, kJwcText | kJwcBaseLines);
    EXPECT_TRUE(canvas.Texts().empty());
    const auto segments = canvas.Segments();
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].from, (TPoint{0, 75}));
    EXPECT_EQ(segments[0].to, (TPoint{100, 25}));
    EXPECT_EQ(segments[0].pen.color, JwcColors[kText]);
    canvas.ClearLog();
    Draw(canvas, drawing, k101, kJwcBaseLines);
    EXPECT_EQ(canvas.Segments().size(), 1u); // base lines are texts: only with the text option
}

// jw_cad's codes inside texts, fonts written top to bottom and image placements, drawn as jw_cad
// shows them: never the codes themselves.
TEST(JwwTexts, CodesVerticalFontsAndImages) {
    struct Drawn {
        std::string text;
        int height, escapement;
        TPoint at;
        bool operator==(const Drawn&) const = default;
    };
    const auto texts = [](const JwwWriter& w) {
        RecordingCanvas canvas;
        Draw(canvas, w, k101, kJwkText);
        std::vector<Drawn> out;
        for (const auto& t : canvas.Texts())
            out.push_back({t.text, t.font.height, t.font.escapement, t.to});
        return out;
    };
    // m, then a half-size 2 whose foot is half a height up; H, then a 2 whose middle is on the base
    // line; a code jw_cad does not have stays as it stands.
    EXPECT_EQ(texts(Square().Text(0, 0, 30, 0, "m^u2", 4)),
              (std::vector<Drawn>{{"m", -4, 0, {50, 46}}, {"2", -2, 0, {70, 46}}}));
    EXPECT_EQ(texts(Square().Text(0, 0, 30, 0, "H^d2", 4)).at(1), (Drawn{"2", -2, 0, {70, 49}}));
    EXPECT_EQ(texts(Square().Text(0, 0, 30, 0, "No.^3", 4)).at(3).text, "^");
    // A font named "@..." writes downwards, each character upright and centred on the base line.
    EXPECT_EQ(texts(Square().Font("@Gothic").Text(0, 0, 0, -20, "AB", 4, -90)),
              (std::vector<Drawn>{{"A", -4, 0, {48, 50}}, {"B", -4, 0, {48, 60}}}));

    // An image placement: its 40 x 20 box on the base line and its name, without its folders.
    RecordingCanvas canvas;
    Draw(canvas, Square().Text(0, 0, 10, 0, "^@BMC:\\img\\photo.bmp,40,20", 4), k101, kJwkText);
    const auto drawn = canvas.Texts();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].text, "photo.bmp");
    std::vector<TPoint> corners;
    for (const auto& segment : canvas.Segments())
        corners.push_back(segment.from);
    EXPECT_EQ(corners, (std::vector<TPoint>{{50, 50}, {90, 50}, {90, 30}, {50, 30}}));
}

TEST(JwwMarks, BackgroundFirstReferenceMarkAndFrameLast) {
    RecordingCanvas canvas;
    ASSERT_EQ(Draw(canvas,
                   JwwWriter::Figure().Box(-10, -10, 10, 10).RefPoint(0, 0).Line(-10, 0, 10, 0, {.style = 9}),
                   {0, 0, 21, 21}, kJwkRefPoint | kJwkBorder),
              0);
    EXPECT_EQ(canvas.calls.at(2).kind, CallKind::FillRect);
    EXPECT_EQ(canvas.calls.at(2).brush.color, kColors[kBack]);
    // The hidden auxiliary line leaves no trace: the mark, 12 chords about (10, 10), is solid.
    const auto segments = canvas.Segments();
    ASSERT_EQ(segments.size(), 12u + 4u);
    EXPECT_EQ(segments[0].from, (TPoint{13, 10}));
    EXPECT_EQ(segments[0].pen.color, kColors[kPos]);
    const Pen border{kColors[kBorder], PenStyle::Solid, 0};
    EXPECT_EQ(std::vector<test::Segment>(segments.end() - 4, segments.end()),
              (std::vector<test::Segment>{{{0, 0}, {20, 0}, border},
                                          {{20, 0}, {20, 20}, border},
                                          {{20, 20}, {0, 20}, border},
                                          {{0, 20}, {0, 0}, border}}));
    EXPECT_EQ(canvas.calls.back().kind, CallKind::SetFont);
    EXPECT_EQ(canvas.GetFont(), Font{});

    canvas.ClearLog();
    Draw(canvas, JwwWriter::Drawing().Paper(4), k101, kJwcBorder | 8);
    EXPECT_EQ(canvas.Segments().size(), 4u); // drawings have no mark
}

TEST(JwwEntry, CardsAndHeaderFailures) {
    const std::string text = "just some text in a .jws or .jww file, long enough for the magic\n";
    const Data plain(text.begin(), text.end());
    for (const bool figure : {true, false}) {
        RecordingCanvas canvas;
        JwwInfo info;
        info.lines = 9;
        const int result = figure ? DrawJwsData(canvas, plain, {10, 20, 58, 68}, 15, kColors, &info)
                                  : DrawJwwData(canvas, plain, {10, 20, 58, 68}, 15, &info);
        EXPECT_EQ(result, -1);
        EXPECT_EQ(info.lines, 0);
        EXPECT_EQ(info.kind, figure ? JwwKind::Figure : JwwKind::Drawing);
        EXPECT_EQ(canvas.Texts().at(0).text, figure ? "Not JWS File" : "Not JWW File");
        EXPECT_EQ(canvas.GetFont(), Font{});
    }
    for (const Data& cut : {JwwWriter::Figure().Cut(451), JwwWriter::Drawing().Cut(5000)}) {
        RecordingCanvas canvas;
        JwwInfo info;
        const bool figure = IsJwsData(cut);
        EXPECT_THROW(figure ? DrawJwsData(canvas, cut, k101, 15, kColors, &info)
                            : DrawJwwData(canvas, cut, k101, 15, &info),
                     ReadError);
        EXPECT_TRUE(canvas.calls.empty());
        EXPECT_EQ(info.version, 600u);
    }
}

class JwwFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("plavik-jww-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path Save(const std::string& name, const Data& data) {
        const auto path = dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        return path;
    }
    std::filesystem::path dir;
};

TEST_F(JwwFiles, ByPathAsByBytesAndChecked) {
    JwwWriter figure = Square().Line(0, 0, 10, 10).Circle(0, 0, 5).Text(0, 0, 5, 0, "abc").RefPoint(1, 1);
    JwwWriter drawing = JwwWriter::Drawing(700).Memo("m").Paper(4).Line(0, 0, 10, 10).Text(0, 0, 5, 0, "abc");
    // A file read in several windows, with strings across their edges, and a block placed after them.
    for (JwwWriter* w : {&figure, &drawing}) {
        for (int i = 0; i < 700; ++i)
            w->Text(i % 50, i % 40, 50, i % 40, std::string(1000, static_cast<char>('a' + i % 26)));
        w->Block(5, 5, 1, 1, 0, 3).BeginDefinition(3).Circle(0, 0, 2).EndDefinition();
    }
    for (const bool isFigure : {true, false}) {
        const Data bytes = isFigure ? figure.Bytes() : drawing.Bytes();
        const auto path = Save(isFigure ? "a.jws" : "a.jww", bytes);
        RecordingCanvas byPath, byBytes;
        JwwInfo pathInfo, bytesInfo, checkInfo;
        FileStamp stamp;
        if (isFigure) {
            EXPECT_EQ(DrawJws(byPath, path, k101, 15, kColors, &pathInfo), 0);
            EXPECT_EQ(DrawJwsData(byBytes, bytes, k101, 15, kColors, &bytesInfo), 0);
            EXPECT_EQ(CheckJws(path, &stamp, &checkInfo), 0);
            EXPECT_EQ(CheckJww(path), -1);
        } else {
            EXPECT_EQ(DrawJww(byPath, path, k101, 15, &pathInfo), 0);
            EXPECT_EQ(DrawJwwData(byBytes, bytes, k101, 15, &bytesInfo), 0);
            EXPECT_EQ(CheckJww(path, &stamp, &checkInfo), 0);
            EXPECT_EQ(CheckJws(path), -1);
        }
        ASSERT_GT(bytes.size(), std::size_t{600'000});
        EXPECT_EQ(byPath.PenPath(), byBytes.PenPath());
        EXPECT_EQ(byPath.calls.size(), byBytes.calls.size());
        const auto pathTexts = byPath.Texts(), bytesTexts = byBytes.Texts();
        ASSERT_EQ(pathTexts.size(), bytesTexts.size());
        for (std::size_t i = 0; i < pathTexts.size(); ++i)
            EXPECT_EQ(pathTexts[i].text, bytesTexts[i].text) << i;
        for (const JwwInfo* info : {&pathInfo, &checkInfo}) {
            EXPECT_EQ(info->textStrings, bytesInfo.textStrings);
            EXPECT_EQ(info->memo, bytesInfo.memo);
            EXPECT_EQ(info->lines, 1);
        }
        EXPECT_EQ(stamp.size, bytes.size());
    }
    RecordingCanvas canvas;
    EXPECT_EQ(DrawJws(canvas, dir / "missing.jws", k101, 0), -1);
    EXPECT_EQ(canvas.Texts().at(0).text, "Not JWS File");
    EXPECT_EQ(CheckJww(dir), -1); // a folder is not a file
    EXPECT_THROW(CheckJws(Save("cut.jws", figure.Cut(300))), ReadError);
}

TEST_F(JwwFiles, LargerThan64MiBIsRefused) {
#ifndef __linux__
    GTEST_SKIP() << "needs sparse files";
#endif
    for (const bool figure : {true, false}) {
        const Data bytes = figure ? Square().Line(0, 0, 1, 1).Bytes() : JwwWriter::Drawing().Bytes();
        const auto path = Save("big", bytes);
        if (figure) { // the largest file read
            std::filesystem::resize_file(path, kMaxJwwFileBytes);
            EXPECT_EQ(CheckJws(path), 0);
        }
        std::filesystem::resize_file(path, kMaxJwwFileBytes + 1);
        RecordingCanvas canvas;
        try {
            figure ? DrawJws(canvas, path, k101, 0) : DrawJww(canvas, path, k101, 0);
            ADD_FAILURE() << "drawn";
        } catch (const ReadError& e) {
            EXPECT_STREQ(e.what(), FileTooLargeError::kMessage);
        }
        EXPECT_TRUE(canvas.calls.empty());
        EXPECT_THROW(figure ? CheckJws(path) : CheckJww(path), FileTooLargeError);
    }
}

} // namespace
} // namespace plavik
