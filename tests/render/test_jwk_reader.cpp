// Recognition and reading of figure files, from fixtures built by the writer.
#include "support/jwkwriter.h"

#include "render/errors.h"
#include "render/jwk.h"
#include "render/jwkreader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace plavik {
namespace {

using test::JwkWriter;
using Data = std::vector<std::uint8_t>;

Data FromText(const std::string& s) {
    return Data(s.begin(), s.end());
}

// The message of the exception fn throws as E, or "" when it throws nothing.
template <typename E, typename Fn> std::string MessageOf(Fn fn) {
    try {
        fn();
    } catch (const E& e) {
        return e.what();
    }
    return "";
}

TEST(JwkRecognition, ByMagicAndLength) {
    struct Case {
        const char* name;
        Data data;
        bool recognised;
    };
    const std::string magic = JwkWriter::kMagic;
    const std::vector<Case> cases = {
        {"exactly 40 bytes with the magic", FromText(magic + std::string(20, 'x')), true},
        {"39 bytes with the magic", FromText(magic + std::string(19, 'x')), false},
        {"magic running on with more stops", JwkWriter().Bytes(), true},
        {"seven stops then x", FromText("jw_cad(c)sym.......x" + std::string(20, '.')), false},
        {"stops replaced by blanks", FromText("jw_cad(c)sym        " + std::string(20, '.')), false},
        {"upper case", FromText("JW_CAD(c)sym........" + std::string(20, '.')), false},
        {"drawing file magic", FromText("jw_cad(c)ver........" + std::string(20, '.')), false},
        {"empty", Data{}, false},
        {"plain text", FromText(std::string(100, 'a')), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsJwkData(c.data), c.recognised) << c.name;
}

TEST(JwkRecognition, FortyByteFileIsRecognisedThenFailsToRead) {
    const Data data = FromText(std::string(JwkWriter::kMagic) + std::string(20, '.'));
    ASSERT_TRUE(IsJwkData(data));
    EXPECT_EQ(MessageOf<ReadError>([&] { ReadJwkHeader(data); }), ReadError::kMessage);
    EXPECT_EQ(MessageOf<ReadError>([&] { ReadJwk(data); }), ReadError::kMessage);
}

TEST(JwkDescriptor, EndingsOfTheSeventhField) {
    struct Case {
        const char* name;
        std::string descriptor;
        JwkHeader expected;
    };
    const std::vector<Case> cases = {
        {"ended by NUL", "1,0,0,0,50.000000,50.000000,1.000000", {1, 0, 0, 0, 50, 50, 1}},
        {"ended by a comma", "0,0,0,0,10,20,2,7", {0, 0, 0, 0, 10, 20, 2}},
        {"as jw_cad writes it", "22,6,0,0,4.000000,4.000000,0.048889,0,100", {22, 6, 0, 0, 4, 4, 0.048889f}},
        {"comma after the NUL", std::string("3,0,0,0,1,2,0.5\0junk,9", 23), {3, 0, 0, 0, 1, 2, 0.5f}},
        {"blanks around reals, leading blank on a count",
         " 2,0,0,0, 1.5 ,-2.25,1e1",
         {2, 0, 0, 0, 1.5f, -2.25f, 10}},
        {"hexadecimal count", "$10,0,0,0,0,0,1", {16, 0, 0, 0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        // The counts in a descriptor are not checked against the records here.
        const Data data = JwkWriter().Descriptor(c.descriptor).Bytes();
        const JwkHeader h = ReadJwkHeader(data);
        EXPECT_EQ(h.lineCount, c.expected.lineCount) << c.name;
        EXPECT_EQ(h.arcCount, c.expected.arcCount) << c.name;
        EXPECT_EQ(h.pointCount, c.expected.pointCount) << c.name;
        EXPECT_EQ(h.textCount, c.expected.textCount) << c.name;
        EXPECT_EQ(h.originX, c.expected.originX) << c.name;
        EXPECT_EQ(h.originY, c.expected.originY) << c.name;
        EXPECT_EQ(h.scale, c.expected.scale) << c.name;
    }
}

TEST(JwkDescriptor, FieldsThatDoNotConvert) {
    struct Case {
        const char* name;
        std::string descriptor;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"letters in a count", "x1,0,0,0,0,0,1", "'x1' は数値ではありません"},
        {"blank after a count", "1 ,0,0,0,0,0,1", "'1 ' は数値ではありません"},
        {"real as a count", "0,0,1.5,0,0,0,1", "'1.5' は数値ではありません"},
        {"count beyond 32 bits", "0,0,0,4294967296,0,0,1", "'4294967296' は数値ではありません"},
        {"empty count", ",0,0,0,0,0,1", "'' は数値ではありません"},
        {"count without its comma", "1,0,0", "'' は数値ではありません"},
        {"empty descriptor", "", "'' は数値ではありません"},
        {"letters in a real", "0,0,0,0,abc,0,1", "'abc' は浮動小数点数ではありません"},
        {"real without its comma", "0,0,0,0,1", "'' は浮動小数点数ではありません"},
        {"exponent without digits", "0,0,0,0,0,0,1e", "'1e' は浮動小数点数ではありません"},
        {"too large for a 32-bit real", "0,0,0,0,0,0,1e39", "'1e39' は浮動小数点数ではありません"},
        {"too large for any real", "0,0,0,0,0,0,1e400", "'1e400' は浮動小数点数ではありません"},
        {"not printable", "\x82\xa0,0,0,0,0,0,1",
         "'?"
         "?' は数値ではありません"},
        {"seventh field with neither comma nor NUL", "0,0,0,0,0,0," + std::string(88, '1'),
         "'' は浮動小数点数ではありません"},
    };
    for (const Case& c : cases) {
        const Data data = JwkWriter().Descriptor(c.descriptor).Bytes();
        EXPECT_EQ(MessageOf<ConvertError>([&] { ReadJwkHeader(data); }), c.message) << c.name;
    }
}

TEST(JwkReader, RecordFieldsAtTheirOffsets) {
    const Data data = JwkWriter()
                          .Origin(50, 25)
                          .Scale(0.5f)
                          .Line(1.5f, -2, 3, 4.25f, 9, 7)
                          .Arc(10, 20, 30, 45, 270.5, 0.25, -30, 3, 255)
                          .Point(-1, 2, 8)
                          .Text(1, 2, 3, 4, "\x93\xfa\x96\x7b")
                          .Text(5, 6, 7, 8, "B")
                          .Bytes();
    const JwkFigure f = ReadJwk(data);
    ASSERT_EQ(f.lines.size(), 1u);
    EXPECT_EQ(f.lines[0].x1, 1.5f);
    EXPECT_EQ(f.lines[0].y1, -2.0f);
    EXPECT_EQ(f.lines[0].x2, 3.0f);
    EXPECT_EQ(f.lines[0].y2, 4.25f);
    EXPECT_EQ(f.lines[0].lineType, 9);
    EXPECT_EQ(f.lines[0].color, 7);
    ASSERT_EQ(f.arcs.size(), 1u);
    EXPECT_EQ(f.arcs[0].cx, 10.0f);
    EXPECT_EQ(f.arcs[0].cy, 20.0f);
    EXPECT_EQ(f.arcs[0].radius, 30.0f);
    EXPECT_EQ(f.arcs[0].flatness, 2500);
    EXPECT_EQ(f.arcs[0].startAngle, 45 * 65536);
    EXPECT_EQ(f.arcs[0].endAngle, 270 * 65536 + 32768);
    EXPECT_EQ(f.arcs[0].tilt, -30 * 65536);
    EXPECT_EQ(f.arcs[0].lineType, 3);
    EXPECT_EQ(f.arcs[0].color, 255);
    ASSERT_EQ(f.points.size(), 1u);
    EXPECT_EQ(f.points[0].x, -1.0f);
    EXPECT_EQ(f.points[0].y, 2.0f);
    EXPECT_EQ(f.points[0].color, 8);
    ASSERT_EQ(f.texts.size(), 2u);
    EXPECT_EQ(f.texts[1].x1, 5.0f);
    EXPECT_EQ(f.texts[1].y2, 8.0f);
    ASSERT_EQ(f.strings.size(), 2u);
    EXPECT_EQ(f.strings[0], "\x93\xfa\x96\x7b");
    EXPECT_EQ(f.strings[1], "B");
    EXPECT_EQ(f.header.originX, 50.0f);
    EXPECT_EQ(f.header.scale, 0.5f);
}

TEST(JwkReader, TextPoolShapes) {
    struct Case {
        const char* name;
        std::string pool;
        std::vector<std::string> strings;
    };
    const std::vector<Case> cases = {
        {"two strings", std::string("one\0two\0", 8), {"one", "two"}},
        {"empty pool", "", {"", ""}},
        {"one string only", std::string("one\0", 4), {"one", ""}},
        {"last string without its NUL", std::string("one\0tw", 6), {"one", "tw"}},
        {"more strings than texts", std::string("a\0b\0c\0", 6), {"a", "b"}},
        {"empty first string", std::string("\0b\0", 3), {"", "b"}},
    };
    for (const Case& c : cases) {
        const Data data = JwkWriter().Text(0, 0, 1, 0, "x").Text(0, 0, 1, 0, "y").Pool(c.pool).Bytes();
        EXPECT_EQ(ReadJwk(data).strings, c.strings) << c.name;
    }
}

TEST(JwkReader, PoolIsIgnoredWithoutTexts) {
    const Data data = JwkWriter().Line(0, 0, 1, 1).Pool(std::string("stray\0", 6)).Bytes();
    const JwkFigure f = ReadJwk(data);
    EXPECT_EQ(f.lines.size(), 1u);
    EXPECT_TRUE(f.strings.empty());
}

TEST(JwkReader, PoolIsReadUpToItsLimit) {
    // A pool without NUL runs to the end of the largest file read, one byte more is refused.
    Data data = JwkWriter().Text(0, 0, 1, 0, "").Pool("").Bytes();
    const std::size_t head = data.size();
    data.resize(kMaxFileBytes, 'a');
    const JwkFigure f = ReadJwk(data);
    ASSERT_EQ(f.strings.size(), 1u);
    EXPECT_EQ(f.strings[0].size(), std::min(kMaxFileBytes - head, kJwkMaxTextPool));
    data.push_back('a');
    EXPECT_THROW(ReadJwk(data), FileTooLargeError);
}

TEST(JwkReader, MalformedSectionsAreReadErrors) {
    const JwkWriter one = JwkWriter().Line(0, 0, 1, 1).Arc(0, 0, 1).Point(0, 0).Text(0, 0, 1, 0, "t");
    const std::size_t full = 400 + 22 + 32 + 12 + 24;
    struct Case {
        const char* name;
        Data data;
    };
    const std::vector<Case> cases = {
        {"header cut at 399 bytes", one.Cut(399)},
        {"line section cut", one.Cut(400 + 21)},
        {"arc section cut", one.Cut(400 + 22 + 31)},
        {"point section cut", one.Cut(400 + 22 + 32 + 11)},
        {"text section cut", one.Cut(full - 1)},
        {"huge line count", JwkWriter().Counts(0x7FFFFFFF, 0, 0, 0).Line(0, 0, 1, 1).Bytes()},
        {"huge counts everywhere", JwkWriter()
                                       .Counts(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF)
                                       .Pool(std::string(1000, 'x'))
                                       .Bytes()},
        {"counts that fit one by one but not together",
         JwkWriter().Counts(1, 1, 0, 0).Pool(std::string(32, 0)).Bytes()},
        {"negative line count", JwkWriter().Counts(-1, 0, 0, 0).Bytes()},
        {"negative text count with records after it",
         JwkWriter().Counts(1, 0, 0, -2).Line(0, 0, 1, 1).Bytes()},
        {"most negative count", JwkWriter().Descriptor("0,-2147483648,0,0,0,0,1").Bytes()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageOf<ReadError>([&] { ReadJwk(c.data); }), ReadError::kMessage) << c.name;
    // The uncut file reads, with its pool string.
    EXPECT_EQ(ReadJwk(one.Bytes()).strings.at(0), "t");
    // Sections that end exactly at the end of the file leave an empty pool.
    EXPECT_EQ(ReadJwk(JwkWriter(one).Pool("").Bytes()).strings.at(0), "");
}

} // namespace
} // namespace plavik
