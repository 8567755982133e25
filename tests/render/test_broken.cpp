// The kept malformed inputs of tests/data/broken: every file that once broke a reader or renderer,
// and the hand-made ones beside them, each with the exact outcome it must have, by path and by bytes.
#include "brokenfiles.h"
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/recordingcanvas.h"

#include "render/budget.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "render/jwk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace plavik {
namespace {

using test::CallKind;
using test::RecordingCanvas;

using test::Bytes;
using test::kBroken;
using test::kDrawingRect;
using test::kFigureRect;

enum class Kind { Drawn, Card, ReadError, ConvertError };

// How one call ended, and what it left on the canvas.
struct Ended {
    Kind kind = Kind::Drawn;
    std::string message;
    bool background = false; // the rectangle was filled before the end
    friend bool operator==(const Ended&, const Ended&) = default;
};

std::ostream& operator<<(std::ostream& os, const Ended& e) {
    return os << static_cast<int>(e.kind) << " '" << e.message << "' background " << e.background;
}

template <typename Draw> Ended Outcome(RecordingCanvas& canvas, Draw draw) {
    Ended e;
    try {
        e.kind = draw() == 0 ? Kind::Drawn : Kind::Card;
    } catch (const ReadError& error) {
        e.kind = Kind::ReadError;
        e.message = error.what();
    } catch (const ConvertError& error) {
        e.kind = Kind::ConvertError;
        e.message = error.what();
    }
    e.background = !canvas.CallsOf(CallKind::FillRect).empty();
    return e;
}

struct Case {
    const char* file;
    Ended expected;
};

const std::string kEnd = ReadError::kMessage;

TEST(BrokenFigures, EachEndsAsKept) {
    const Case cases[] = {
        {"magic-only.jwk", {Kind::ReadError, kEnd, false}},
        {"header-cut.jwk", {Kind::ReadError, kEnd, false}},
        {"count-not-a-number.jwk", {Kind::ConvertError, "'1x' は数値ではありません", false}},
        {"origin-not-a-real.jwk", {Kind::ConvertError, "'5e' は浮動小数点数ではありません", false}},
        // The seventh field runs to the end of the descriptor with neither comma nor NUL.
        {"scale-without-end.jwk", {Kind::ConvertError, "'' は浮動小数点数ではありません", false}},
        // Beyond the range of the 32-bit real the figure keeps.
        {"scale-overflows.jwk", {Kind::ConvertError, "'1e39' は浮動小数点数ではありません", false}},
        // Counts the file cannot hold fail after the background, before anything is allocated.
        {"count-huge.jwk", {Kind::ReadError, kEnd, true}},
        {"count-negative.jwk", {Kind::ReadError, kEnd, true}},
        {"sections-cut.jwk", {Kind::ReadError, kEnd, true}},
        {"pool-missing.jwk", {Kind::Drawn, "", true}},
        {"not-a-figure.jwk", {Kind::Card, "", true}},
        {"arcs-circling-thumbnail.jwk", {Kind::Drawn, "", true}},
        {"fuzz-arcs-winding-round.jwk", {Kind::Drawn, "", true}},
        {"arcs-winding-round.jwk", {Kind::Drawn, "", true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto path = kBroken / c.file;
        ASSERT_TRUE(std::filesystem::exists(path));
        RecordingCanvas byPath, byBytes; // the size of a thumbnail, as the listing draws them
        byPath.SetBounds(kFigureRect);
        byBytes.SetBounds(kFigureRect);
        EXPECT_EQ(Outcome(byPath, [&] { return DrawJwk(byPath, path, kFigureRect, 15); }), c.expected);
        const auto bytes = Bytes(path);
        EXPECT_EQ(Outcome(byBytes, [&] { return DrawJwkData(byBytes, bytes, kFigureRect, 15); }), c.expected);
        EXPECT_EQ(byPath.calls.size(), byBytes.calls.size());
    }
}

TEST(BrokenDrawings, EachEndsAsKept) {
    const Case cases[] = {
        {"header-cut.jwc", {Kind::ReadError, kEnd, false}},
        // The header is always read as 2421 bytes, even where the short one ends sooner.
        {"short-header-only.jwc", {Kind::ReadError, kEnd, false}},
        {"counts-without-last-comma.jwc", {Kind::ConvertError, "'' は数値ではありません", false}},
        {"bounds-not-hex.jwc", {Kind::ConvertError, "'$zzzz' は数値ではありません", false}},
        {"bounds-reversed.jwc", {Kind::ReadError, kEnd, false}},
        {"count-negative.jwc", {Kind::ReadError, kEnd, false}},
        {"count-huge.jwc", {Kind::ReadError, kEnd, true}},
        {"entities-cut.jwc", {Kind::ReadError, kEnd, true}},
        {"not-a-drawing.jwc", {Kind::Card, "", true}},
        {"arcs-circling-thumbnail.jwc", {Kind::Drawn, "", true}},
    };
    const std::string comment = "broken" + std::string(58, ' ');
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto path = kBroken / c.file;
        ASSERT_TRUE(std::filesystem::exists(path));
        RecordingCanvas byPath, byBytes;
        byPath.SetBounds(kDrawingRect);
        byBytes.SetBounds(kDrawingRect);
        TJwcInfo infoPath, infoBytes;
        EXPECT_EQ(Outcome(byPath, [&] { return DrawJwc(byPath, path, kDrawingRect, 15, infoPath); }),
                  c.expected);
        const auto bytes = Bytes(path);
        EXPECT_EQ(Outcome(byBytes, [&] { return DrawJwcData(byBytes, bytes, kDrawingRect, 15, infoBytes); }),
                  c.expected);
        EXPECT_EQ(byPath.calls.size(), byBytes.calls.size());
        // The comment is handed on as soon as the header's first field is read.
        const bool commentRead = c.expected.kind != Kind::Card && bytes.size() >= kJwcHeaderSize;
        EXPECT_EQ(infoPath.Comment, commentRead ? comment : "");
        EXPECT_EQ(infoBytes.Comment, infoPath.Comment);
    }
}

// A sparse file of 4 GiB whose valid header claims 190 million lines took 40 s and 7.8 GB for one
// thumbnail. Now a file larger than any reader takes fails at once from its size, before anything is
// read or drawn, by path (checked and drawn) and by bytes alike.
TEST(BrokenFiles, LargerThan64MiBFailsAtOnce) {
#ifndef __linux__
    GTEST_SKIP() << "needs sparse files";
#endif
    const auto dir = std::filesystem::temp_directory_path() / "plavik-broken-too-large";
    std::filesystem::create_directories(dir);
    const Ended tooLarge{Kind::ReadError, FileTooLargeError::kMessage, false};
    for (const bool figure : {true, false}) {
        SCOPED_TRACE(figure ? "jwk" : "jwc");
        std::vector<std::uint8_t> bytes = figure ? test::JwkWriter().Counts(190'000'000, 0, 0, 0).Bytes()
                                                 : test::JwcWriter().CountsText("100000000,0,0,0,").Build();
        const auto path = dir / (figure ? "big.jwk" : "big.jwc");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::filesystem::resize_file(path, std::uintmax_t{4} << 30);
        RecordingCanvas byPath;
        TJwcInfo info;
        EXPECT_EQ(Outcome(byPath,
                          [&] {
                              return figure ? DrawJwk(byPath, path, kFigureRect, 15)
                                            : DrawJwc(byPath, path, kDrawingRect, 15, info);
                          }),
                  tooLarge);
        EXPECT_THROW(figure ? CheckJwk(path) : CheckJwc(path), FileTooLargeError);

        bytes.resize(kMaxFileBytes + 1);
        RecordingCanvas byBytes;
        EXPECT_EQ(Outcome(byBytes,
                          [&] {
                              return figure ? DrawJwkData(byBytes, bytes, kFigureRect, 15)
                                            : DrawJwcData(byBytes, bytes, kDrawingRect, 15, info);
                          }),
                  tooLarge);
        EXPECT_THROW(figure ? (void)ReadJwk(bytes) : (void)ReadJwc(bytes), FileTooLargeError);
    }
    std::filesystem::remove_all(dir);
}

// Arcs that once kept a thumbnail busy. Dashed circles of some 16000 pixels radius about it took
// every one of their ~19000 chords, all outside the picture: a 4 KB file took a third of a second,
// a large one could hang the listing. Huge flat ellipses winding round some 65 times (found by
// fuzzing) drew up to 262144 chords each: 115 of them took 2.4 s, and 9 to 16 s on a printed sheet
// with a budget of chords per arc. Now only what can be seen is walked, within one budget of chords
// per call.
TEST(BrokenFigures, ArcsAboutTheThumbnailCostLittle) {
    struct Far {
        const char* file;
        TRect rect;
        bool figure;
        std::size_t mostCalls;
    };
    // Arcs winding round share one budget of chords per call, however many there are.
    const std::size_t winding = DrawBudget::kMinHugeArcWork + 1000;
    for (const Far& f : {Far{"arcs-circling-thumbnail.jwk", kFigureRect, true, 5000},
                         Far{"arcs-circling-thumbnail.jwc", kDrawingRect, false, 5000},
                         Far{"fuzz-arcs-winding-round.jwk", kFigureRect, true, winding},
                         Far{"arcs-winding-round.jwk", kFigureRect, true, winding}}) {
        SCOPED_TRACE(f.file);
        RecordingCanvas canvas;
        canvas.SetBounds(f.rect);
        TJwcInfo info;
        const auto bytes = Bytes(kBroken / f.file);
        ASSERT_EQ(f.figure ? DrawJwkData(canvas, bytes, f.rect, 15)
                           : DrawJwcData(canvas, bytes, f.rect, 15, info),
                  0);
        EXPECT_LT(canvas.calls.size(), f.mostCalls);
        // Whatever is drawn lies on or near the picture: nothing is walked far away.
        for (const auto& [from, to] : canvas.DrawnSegments()) {
            EXPECT_TRUE(from.x >= -1000 && from.x < 1100 && from.y >= -1000 && from.y < 1100)
                << from.x << "," << from.y;
        }
    }
}

} // namespace
} // namespace plavik
