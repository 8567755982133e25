// Reading drawing files: recognition, the header's text fields and flags, both variants, the entity
// blocks, and malformed files with their exact errors.
#include "render/errors.h"
#include "render/jwc.h"
#include "render/formats.h"
#include "support/bytewriter.h"
#include "support/jwcwriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace plavik {
namespace {

using test::JwcWriter;

// Runs fn, expecting the given error type with exactly that message.
template <typename Error, typename Fn> void ExpectError(Fn fn, const std::string& message) {
    try {
        fn();
        ADD_FAILURE() << "no error; expected: " << message;
    } catch (const Error& e) {
        EXPECT_EQ(e.what(), message);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "wrong error type: " << e.what();
    }
}

std::string NotAnIntegerText(const std::string& s) {
    return "'" + s + "' は数値ではありません";
}

TEST(JwcRecognition, NeedsMagicAndFortyBytes) {
    const auto good = JwcWriter().Build();
    EXPECT_FALSE(IsJwcData(std::span(good).first(39)));
    EXPECT_TRUE(IsJwcData(std::span(good).first(40)));
    EXPECT_FALSE(IsJwcData({}));
    EXPECT_FALSE(IsJwcData(JwcWriter().Magic("jw_cad(c)data......,").Build()));
    EXPECT_FALSE(IsJwcData(JwcWriter().Magic("JW_CAD(C)DATA.......").Build()));
}

TEST(JwcRecognition, FilesOnDisk) {
    const auto dir = std::filesystem::temp_directory_path() / "plavik-jwc-recognition";
    std::filesystem::create_directories(dir);
    JwcWriter writer;
    const auto bytes = writer.Build();
    struct Case {
        std::size_t size;
        bool expected;
    };
    for (const Case c :
         {Case{0, false}, Case{20, false}, Case{39, false}, Case{40, true}, Case{bytes.size(), true}}) {
        const auto path = dir / ("f" + std::to_string(c.size) + ".jwc");
        test::ByteWriter w;
        w.bytes.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(c.size));
        w.Save(path);
        EXPECT_EQ(FormatOfContent(path) == FileFormat::Jwc, c.expected) << c.size;
    }
    EXPECT_FALSE(FormatOfContent(dir / "missing.jwc"));
    EXPECT_FALSE(FormatOfContent(dir)); // a folder cannot be read as a file
    std::filesystem::remove_all(dir);
}

TEST(JwcHeader, CommentNulsBecomeSpaces) {
    const std::string tenLetters = "ABCDEFGHIJ";
    const JwcHeader header = ReadJwcHeader(JwcWriter().Comment(tenLetters).Build());
    EXPECT_EQ(header.comment, tenLetters + std::string(54, ' '));

    // Shift-JIS bytes and a NUL in the middle: kept as bytes, not trimmed.
    const std::string sjis = "\x90\x7D\x96\xCA"; // two kanji in code page 932
    const std::string raw = sjis + std::string("\0", 1) + "x";
    const JwcHeader h2 = ReadJwcHeader(JwcWriter().Comment(raw).Build());
    EXPECT_EQ(h2.comment, sjis + " x" + std::string(58, ' '));
    EXPECT_EQ(h2.comment.size(), 64u);
}

struct CountsCase {
    const char* text;
    std::int32_t lines, arcs, texts, points;
};

TEST(JwcHeader, CountListParses) {
    for (const CountsCase c :
         {CountsCase{"3,1,0,2,", 3, 1, 0, 2}, CountsCase{"3,1,0,2,junk after", 3, 1, 0, 2},
          CountsCase{" 12,+4,0,007,", 12, 4, 0, 7}, CountsCase{"0,0,0,0,9", 0, 0, 0, 0},
          CountsCase{"$10,0,0,0,", 16, 0, 0, 0}}) {
        const JwcHeader h = ReadJwcHeader(JwcWriter().CountsText(c.text).Build());
        EXPECT_EQ(h.lineCount, c.lines) << c.text;
        EXPECT_EQ(h.arcCount, c.arcs) << c.text;
        EXPECT_EQ(h.textCount, c.texts) << c.text;
        EXPECT_EQ(h.pointCount, c.points) << c.text;
    }
}

struct BadFieldCase {
    const char* text;
    const char* named; // the text the error message names
};

TEST(JwcHeader, MalformedCountListIsANumberError) {
    // Without a comma the item is empty: that is what the message names.
    for (const BadFieldCase c :
         {BadFieldCase{"3,1,0,2", ""}, BadFieldCase{"", ""}, BadFieldCase{"3,x,0,2,", "x"},
          BadFieldCase{"3 ,1,0,2,", "3 "}, BadFieldCase{"3,1,,2,", ""},
          BadFieldCase{"2147483648,0,0,0,", "2147483648"}, BadFieldCase{"1.5,0,0,0,", "1.5"}}) {
        const auto bytes = JwcWriter().CountsText(c.text).Build();
        ExpectError<ConvertError>([&] { ReadJwcHeader(bytes); }, NotAnIntegerText(c.named));
    }
}

TEST(JwcHeader, NegativeCountsAreRefusedBeforeTheCountsReachInfo) {
    for (const char* text : {"-1,0,0,0,", "0,-1,0,0,", "0,0,-2147483648,0,", "0,0,0,-5,"}) {
        TJwcInfo info;
        const auto bytes = JwcWriter().Comment("c").CountsText(text).Build();
        ExpectError<ReadError>([&] { ReadJwcHeader(bytes, info); }, ReadError::kMessage);
        EXPECT_EQ(info.Comment.substr(0, 1), "c") << text;
        EXPECT_EQ(info.LineCount + info.ArcCount + info.TextCount + info.PointCount, 0) << text;
    }
}

struct BoundsCase {
    std::string text;
    std::int32_t start, end;
};

TEST(JwcHeader, PoolBoundsReadCharactersSixToNine) {
    for (const BoundsCase& c : {
             BoundsCase{"abcde1A2B,fghij1A3F", 0x1A2B, 0x1A3F},
             BoundsCase{"abcde1A2B,fghij1A3F,more", 0x1A2B, 0x1A3F},
             BoundsCase{"abcde1a2b,fghij1a3fZZZZ,", 0x1A2B, 0x1A3F}, // only four characters count
             BoundsCase{"abcde12,abcde1234", 0x12, 0x1234},          // a shorter item gives fewer digits
             BoundsCase{"abcde0000,fghijFFFF", 0, 0xFFFF},
         }) {
        const JwcHeader h = ReadJwcHeader(JwcWriter().BoundsText(c.text).Build());
        EXPECT_EQ(h.textStart, c.start) << c.text;
        EXPECT_EQ(h.textEnd, c.end) << c.text;
    }
}

TEST(JwcHeader, MalformedPoolBoundsAreANumberError) {
    // The message names what the hexadecimal conversion was given, "$" first.
    for (const BadFieldCase c :
         {BadFieldCase{",abcde0001", "$"}, BadFieldCase{"abcde,abcde0001", "$"},
          BadFieldCase{"abcde0001", "$"}, BadFieldCase{"abcde1A2G,abcde1A3F", "$1A2G"},
          BadFieldCase{"abcde0001,abcde", "$"}, BadFieldCase{"abcde0001,", "$"},
          BadFieldCase{"abcde-001,abcde0002", "$-001"}, BadFieldCase{"abcde 001,abcde0002", "$ 001"}}) {
        const auto bytes = JwcWriter().BoundsText(c.text).Build();
        ExpectError<ConvertError>([&] { ReadJwcHeader(bytes); }, NotAnIntegerText(c.named));
    }
}

TEST(JwcHeader, TwentyBytePoolFromTheBounds) {
    // Two text records whose strings take exactly 20 bytes with their NULs.
    const auto bytes = JwcWriter()
                           .Text(0, 0, 1, 0, "first str")
                           .Text(0, 0, 1, 0, "secondstr")
                           .BoundsText("abcde1A2B,fghij1A3F")
                           .Point(5, 6)
                           .Build();
    const JwcDrawing d = ReadJwc(bytes);
    EXPECT_EQ(d.header.textEnd - d.header.textStart, 20);
    ASSERT_EQ(d.strings.size(), 2u);
    EXPECT_EQ(d.strings[0], "first str");
    EXPECT_EQ(d.strings[1], "secondstr");
    ASSERT_EQ(d.points.size(), 1u); // the points start right after the 20 bytes
    EXPECT_EQ(d.points[0].x, 5.0f);
    EXPECT_EQ(d.points[0].y, 6.0f);
}

TEST(JwcHeader, VariantMarkChoosesTheLayout) {
    struct Case {
        std::uint8_t mark;
        JwcVariant variant;
        std::size_t entities;
    };
    for (const Case c : {Case{'f', JwcVariant::Long, 2421}, Case{'e', JwcVariant::Short, 2389},
                         Case{'F', JwcVariant::Short, 2389}, Case{0, JwcVariant::Short, 2389}}) {
        JwcWriter w;
        w.VariantMark(c.mark).LayerFlag(3, 0).GroupFlag(15, 0).Line(1, 2, 3, 4, 5, 6, 7).Trailer(40);
        ASSERT_EQ(w.EntityOffset(), c.entities);
        const JwcDrawing d = ReadJwc(w.Build());
        EXPECT_EQ(d.header.variant, c.variant);
        EXPECT_EQ(d.header.layerFlags[2], 1);
        EXPECT_EQ(d.header.layerFlags[3], 0);
        EXPECT_EQ(d.header.layerFlags[239], 1);
        EXPECT_EQ(d.header.layerFlags[240], 0);
        ASSERT_EQ(d.lines.size(), 1u);
        EXPECT_EQ(d.lines[0].x1, 1.0f);
        EXPECT_EQ(d.lines[0].y2, 4.0f);
        EXPECT_EQ(d.lines[0].layer, 7);
    }
}

TEST(JwcHeader, GroupFlagZeroHidesItsLayers) {
    JwcWriter w;
    w.GroupFlag(0, 0).LayerFlag(1, 1);      // hidden by its group
    w.GroupFlag(1, 1).LayerFlag(16 + 2, 2); // flag 2: hidden whatever the group
    w.GroupFlag(2, 7).LayerFlag(32 + 4, 1); // any non-zero group flag keeps the layer's own flag
    w.GroupFlag(3, 0).LayerFlag(48 + 5, 2);
    const JwcHeader h = ReadJwcHeader(w.Build());
    EXPECT_EQ(h.layerFlags[1], 0);
    EXPECT_EQ(h.layerFlags[15], 0);
    EXPECT_EQ(h.layerFlags[18], 2);
    EXPECT_EQ(h.layerFlags[17], 1);
    EXPECT_EQ(h.layerFlags[36], 1);
    EXPECT_EQ(h.layerFlags[53], 0);
    EXPECT_EQ(h.layerFlags[64], 1);
}

TEST(JwcEntities, RecordsRoundTrip) {
    const auto bytes = JwcWriter(false)
                           .Line(-1.5f, 2.25f, 518, 366, 9, 3, 200)
                           .Arc(100, 50, 20, -3, 90, 0, 45.5, 2, 4, 17)
                           .Text(10, 50, 60, 50, "\x95\xB6\x8E\x9A", 33)
                           .Point(7, 8, 34, 12)
                           .Build();
    const JwcDrawing d = ReadJwc(bytes);
    ASSERT_EQ(d.lines.size(), 1u);
    EXPECT_EQ(d.lines[0].x1, -1.5f);
    EXPECT_EQ(d.lines[0].y1, 2.25f);
    EXPECT_EQ(d.lines[0].x2, 518.0f);
    EXPECT_EQ(d.lines[0].lineType, 9);
    EXPECT_EQ(d.lines[0].color, 3);
    EXPECT_EQ(d.lines[0].layer, 200);
    ASSERT_EQ(d.arcs.size(), 1u);
    EXPECT_EQ(d.arcs[0].radius, 20.0f);
    EXPECT_EQ(d.arcs[0].flatness, -3);
    EXPECT_EQ(d.arcs[0].startAngle, 90 * 65536);
    EXPECT_EQ(d.arcs[0].endAngle, 0);
    EXPECT_EQ(d.arcs[0].tilt, static_cast<std::int32_t>(45.5 * 65536));
    EXPECT_EQ(d.arcs[0].lineType, 2);
    EXPECT_EQ(d.arcs[0].color, 4);
    EXPECT_EQ(d.arcs[0].layer, 17);
    ASSERT_EQ(d.texts.size(), 1u);
    EXPECT_EQ(d.texts[0].x2, 60.0f);
    EXPECT_EQ(d.texts[0].layer, 33);
    EXPECT_EQ(d.strings[0], "\x95\xB6\x8E\x9A");
    ASSERT_EQ(d.points.size(), 1u);
    EXPECT_EQ(d.points[0].layer, 34); // layer before colour in a point
    EXPECT_EQ(d.points[0].color, 12);
}

TEST(JwcEntities, PoolStringsPerRecord) {
    struct Case {
        std::string pool;
        int texts;
        std::vector<std::string> strings;
    };
    const std::string nul(1, '\0');
    for (const Case& c : {
             Case{"a" + nul + "bc" + nul, 2, {"a", "bc"}},
             Case{"a" + nul + "bc", 2, {"a", "bc"}},            // the last string ends at the pool's end
             Case{"a" + nul, 3, {"a", "", ""}},                 // records beyond the strings get empty ones
             Case{"", 2, {"", ""}},                             // an empty pool
             Case{nul + nul + "x" + nul, 3, {"", "", "x"}},     // empty strings still take their place
             Case{"a" + nul + "b" + nul + "c" + nul, 1, {"a"}}, // spare strings are ignored
         }) {
        JwcWriter w;
        for (int i = 0; i < c.texts; ++i)
            w.Text(0, 0, 1, 0, "ignored");
        w.Pool(c.pool).Trailer(50);
        const JwcDrawing d = ReadJwc(w.Build());
        EXPECT_EQ(d.strings, c.strings);
    }
}

TEST(JwcEntities, BlocksPastTheEndAreAReadError) {
    JwcWriter w;
    w.Line(0, 0, 1, 1).Arc(1, 1, 1, 0, 0, 0, 0).Text(0, 0, 1, 0, "abc").Point(1, 1);
    const auto whole = w.Build();
    EXPECT_NO_THROW(ReadJwc(whole));
    for (std::size_t cut : {std::size_t{1}, std::size_t{12}, std::size_t{16}, std::size_t{40}})
        ExpectError<ReadError>([&] { ReadJwc(std::span(whole).first(whole.size() - cut)); },
                               ReadError::kMessage);

    // Counts and bounds that claim far more than the file holds fail before anything is allocated.
    for (const char* counts :
         {"2147483647,0,0,0,", "0,2147483647,0,0,", "0,0,2147483647,0,", "0,0,0,2147483647,",
          "2147483647,2147483647,2147483647,2147483647,", "100,0,0,0,"}) {
        const auto bytes = JwcWriter().CountsText(counts).Trailer(100).Build();
        ExpectError<ReadError>([&] { ReadJwc(bytes); }, ReadError::kMessage);
    }
    const auto bigPool = JwcWriter().BoundsText("abcde0000,abcdeFFFF").Trailer(1000).Build();
    ExpectError<ReadError>([&] { ReadJwc(bigPool); }, ReadError::kMessage);
}

} // namespace
} // namespace plavik
