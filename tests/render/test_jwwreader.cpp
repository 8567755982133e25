// Reading figure (.jws) and drawing (.jww) files: recognition, headers of every version, strings in
// every form, the object stream and where a damaged stream stops.
#include "support/jwwwriter.h"
#include "support/recordingcanvas.h"

#include "render/errors.h"
#include "render/jww.h"
#include "render/jwwdocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace plavik {
namespace {

using test::CStringForm;
using test::JwwAttr;
using test::JwwWriter;
using Data = std::vector<std::uint8_t>;

constexpr double kPi = JwwWriter::kPi;
constexpr TRect kRect{0, 0, 64, 64};

JwwInfo InfoOf(const Data& bytes, JwwKind kind) {
    test::RecordingCanvas canvas;
    JwwInfo info;
    if (kind == JwwKind::Figure)
        EXPECT_EQ(DrawJwsData(canvas, bytes, kRect, 15, kDefaultJwkColors, &info), 0);
    else
        EXPECT_EQ(DrawJwwData(canvas, bytes, kRect, 15, &info), 0);
    return info;
}

JwwInfo InfoOf(const JwwWriter& w, JwwKind kind) {
    return InfoOf(w.Bytes(), kind);
}

// One object of every class and a definition, as a file of that kind and version holds them.
JwwWriter Everything(JwwWriter w) {
    w.Line(0, 0, 10, 10)
        .Arc(5, 5, 3, 0, kPi)
        .Point(1, 1)
        .Point(2, 2, 1)
        .Point(3, 3, 0, {.style = 100})
        .Text(0, 0, 8, 0, "\x8c\x9a\x95\xa8", 3, 0) // 建物
        .Solid({0, 0, 1, 0, 1, 1, 0, 1}, {.color = 10}, 0x123456)
        .Block(5, 5, 1, 1, 0, 7)
        .Dimension(0, -5, 10, -5, "10")
        .Text(0, 20, 4, 20, "A\r\nB");
    w.BeginDefinition(7, "door@@SfigorgFlag@@4").Line(0, 0, 1, 1).Circle(0, 0, 1).EndDefinition();
    return w;
}

TEST(JwwRecognition, MagicAndPlausibleVersion) {
    auto with = [](Data d, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            d[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        return d;
    };
    const Data jws = JwwWriter::Figure().Bytes(), jww = JwwWriter::Drawing().Bytes();
    EXPECT_TRUE(IsJwsData(jws));
    EXPECT_TRUE(IsJwwData(jww));
    EXPECT_FALSE(IsJwsData(jww));
    EXPECT_FALSE(IsJwwData(jws));
    for (const auto& [version, good] : std::vector<std::pair<std::uint32_t, bool>>{
             {199, false}, {200, true}, {351, true}, {1000, true}, {1001, false}, {0x80000258, false}}) {
        EXPECT_EQ(IsJwsData(with(jws, 200, version)), good) << version;
        EXPECT_EQ(IsJwwData(with(jww, 8, version)), good) << version;
    }
    // Only the first bytes are needed.
    EXPECT_TRUE(IsJwsData(std::span(jws).first(kJwsRecognitionBytes)));
    EXPECT_FALSE(IsJwsData(std::span(jws).first(kJwsRecognitionBytes - 1)));
    EXPECT_TRUE(IsJwwData(std::span(jww).first(kJwwRecognitionBytes)));
    EXPECT_FALSE(IsJwwData(std::span(jww).first(kJwwRecognitionBytes - 1)));
    Data lower = jww;
    lower[0] = 'j';
    EXPECT_FALSE(IsJwwData(lower));
}

TEST(JwwHeader, SizesOfTheFixedParts) {
    EXPECT_EQ(JwwWriter::Figure().StreamOffset(), kJwsHeaderSize);
    // 13,532 bytes of fixed fields and 563 strings; the writer names the SXF pens "pen" and their
    // line types "type".
    EXPECT_EQ(JwwWriter::Drawing(600).StreamOffset(), 13532u + 563u + 257u * 3u + 33u * 4u);
    EXPECT_EQ(JwwWriter::Drawing(700).StreamOffset(), JwwWriter::Drawing(600).StreamOffset());
}

TEST(JwwHeader, EveryVersionReadsTheSameObjects) {
    // Each version on either side of a change of layout.
    for (const std::uint32_t v : {200u, 222u, 223u, 224u, 225u, 229u, 230u, 251u, 252u, 299u, 300u, 350u,
                                  351u, 419u, 420u, 600u, 700u}) {
        SCOPED_TRACE(v);
        for (const bool figure : {true, false}) {
            JwwWriter w = Everything(figure ? JwwWriter::Figure(v) : JwwWriter::Drawing(v));
            const JwwInfo info = InfoOf(w, figure ? JwwKind::Figure : JwwKind::Drawing);
            EXPECT_EQ(info.version, v);
            EXPECT_TRUE(info.complete);
            EXPECT_EQ(info.lines, 1);
            EXPECT_EQ(info.arcs, 1);
            EXPECT_EQ(info.points, 3); // the temporary point counts, though it is never drawn
            EXPECT_EQ(info.texts, 2);
            EXPECT_EQ(info.solids, 1);
            EXPECT_EQ(info.blocks, 1);
            EXPECT_EQ(info.dimensions, 1);
            EXPECT_EQ(info.blockDefinitions, 1);
            // The dimension's text is not one of the top-level texts.
            EXPECT_EQ(info.textStrings, (std::vector<std::string>{"\x8c\x9a\x95\xa8", "A\r\nB"}));
        }
    }
}

TEST(JwwHeader, DrawingFields) {
    JwwWriter w = JwwWriter::Drawing(700).Memo("\x90\x7d\x96\xca\r\n2F").Paper(2);
    // Group 1 hidden: its 16 layers do not count; in group 0 three layers are hidden, one in group 15.
    w.GroupState(1, 0).LayerState(0, 0, 0).LayerState(0, 5, 0).LayerState(0, 15, 0).LayerState(15, 3, 0);
    w.LayerState(0, 1, 1).LayerState(0, 2, 3).LayerName(0, 1, "\x95\xc7"); // states 1..3 all show
    w.LayerState(1, 4, 0).GroupName(1, "\x88\xea\x8a\x4b").LayerName(15, 15, "X");
    w.Pen(1, 0x00FFFFFF, 0x00000000, 25).Pen(9, 0x0000FF00, 0x00FF0000, 70);
    const JwwInfo info = InfoOf(w, JwwKind::Drawing);
    EXPECT_EQ(info.kind, JwwKind::Drawing);
    EXPECT_EQ(info.memo, "\x90\x7d\x96\xca\r\n2F");
    EXPECT_EQ(info.paper, 2u);
    EXPECT_EQ(info.shownLayers, 256 - 16 - 3 - 1);
    // A hidden group keeps its layers' own states.
    EXPECT_EQ(info.layers.groupOn, 0xFFFD);
    EXPECT_EQ(info.layers.layerOn[0], 0x7FDE);
    EXPECT_EQ(info.layers.layerOn[1], 0xFFEF);
    EXPECT_EQ(info.layers.layerNames[0][1], "\x95\xc7");
    EXPECT_EQ(info.layers.layerNames[15][15], "X");
    EXPECT_EQ(info.layers.groupNames[1], "\x88\xea\x8a\x4b");
    EXPECT_EQ(info.layers.groupNames[0], "");
    EXPECT_EQ(info.pens.screen[1].color, 0x00FFFFFFu);
    EXPECT_EQ(info.pens.printer[9].color, 0x00FF0000u);
    EXPECT_EQ(info.pens.printer[9].width, 70u);
    EXPECT_EQ(info.pens.sxf.size(), 257u);
    EXPECT_EQ(info.extent[0], 0.0);
    EXPECT_TRUE(info.complete);
}

// jw_cad's own settings, kept as texts at (0, -1000), are not the drawing's: neither counted nor
// listed. The same text anywhere else is.
TEST(JwwHeader, SettingRecordsAreNotTheDrawings) {
    JwwWriter w = JwwWriter::Drawing(700);
    w.Text(0, -1000, 60, -1000, "Printer_Orientation = 0").Text(0, -1000.5, 60, -1000, "View_D = 1");
    w.Text(0, -1000, 60, -1000, "Draw_B = 1").Text(1, 2, 3, 2, "A");
    const JwwInfo info = InfoOf(w, JwwKind::Drawing);
    EXPECT_EQ(info.texts, 2);
    EXPECT_EQ(info.textStrings, (std::vector<std::string>{"View_D = 1", "A"}));
}

// The scales of the groups that show something: each once, in group order; an empty group, a hidden
// group or layer, and a scale that is no positive number are left out.
TEST(JwwHeader, ScalesOfTheGroupsThatShowSomething) {
    JwwWriter w = JwwWriter::Drawing(600);
    w.GroupScale(0, 50).GroupScale(1, 100).GroupScale(2, 50).GroupScale(3, 30).GroupScale(4, 0.5);
    w.GroupScale(5, 0).GroupScale(6, std::nan("")).GroupScale(7, 200).GroupScale(8, 500);
    w.GroupState(3, 0).LayerState(7, 2, 0); // group 3 hidden; group 7's only layer in use hidden
    for (const std::uint16_t g : {2, 1, 0, 3, 4, 5, 6, 7})
        w.Line(0, 0, 10, 10, JwwAttr{.layer = static_cast<std::uint16_t>(g == 7 ? 2 : 0), .group = g});
    // group 8 holds nothing
    EXPECT_EQ(InfoOf(w, JwwKind::Drawing).scales, (std::vector<double>{50, 100, 0.5}));
    EXPECT_TRUE(InfoOf(JwwWriter::Figure(600).Line(0, 0, 1, 1), JwwKind::Figure).scales.empty());
}

TEST(JwwHeader, PaperNames) {
    const std::pair<std::uint32_t, std::string_view> cases[] = {
        {0, "A0"},  {3, "A3"},   {4, "A4"},    {5, ""},  {7, ""},         {8, "2A"},
        {11, "5A"}, {12, "10m"}, {14, "100m"}, {15, ""}, {0xFFFFFFFF, ""}};
    for (const auto& [code, name] : cases)
        EXPECT_EQ(JwwPaperName(code), name) << code;
}

TEST(JwwHeader, FigureFields) {
    const JwwInfo info =
        InfoOf(JwwWriter::Figure(351).RefPoint(1, 2).Box(-5.5, -1, 20, 7.25), JwwKind::Figure);
    EXPECT_EQ(info.kind, JwwKind::Figure);
    EXPECT_EQ(info.version, 351u);
    EXPECT_EQ(std::vector<double>(info.extent, info.extent + 4), (std::vector<double>{-5.5, -1, 20, 7.25}));
    EXPECT_TRUE(info.memo.empty());
    EXPECT_EQ(info.shownLayers, 0);
}

TEST(JwwStrings, EveryLengthFormAndUtf16) {
    const std::string s300(300, 'x');
    struct Case {
        const char* name;
        CStringForm form;
        std::string given, read;
    };
    const Case cases[] = {
        {"one-byte length", CStringForm::Natural, "abc", "abc"},
        {"254 bytes still one byte", CStringForm::Natural, std::string(254, 'y'), std::string(254, 'y')},
        {"300 bytes: 0xFF and a WORD", CStringForm::Natural, s300, s300},
        {"forced WORD", CStringForm::Word, "abc", "abc"},
        {"forced DWORD", CStringForm::DWord, "abc", "abc"},
        {"empty in DWORD form", CStringForm::DWord, "", ""},
        // ASCII stays, half-width katakana become their bytes, anything else one '?', a surrogate pair too.
        {"UTF-16", CStringForm::Utf16, "A\xEF\xBD\xB1\xE3\x82\xA2\xF0\x9F\x98\x80z", "A\xB1??z"},
        {"UTF-16, 300 units", CStringForm::Utf16, s300, s300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JwwWriter jww = JwwWriter::Drawing().Strings(c.form).Memo(c.given).Text(0, 0, 1, 0, c.given);
        const JwwInfo info = InfoOf(jww, JwwKind::Drawing);
        EXPECT_EQ(info.memo, c.read);
        EXPECT_EQ(info.textStrings, std::vector<std::string>{c.read});
        EXPECT_TRUE(info.complete);
        EXPECT_EQ(InfoOf(JwwWriter::Figure().Strings(c.form).Text(0, 0, 1, 0, c.given), JwwKind::Figure)
                      .textStrings,
                  std::vector<std::string>{c.read});
    }
}

TEST(JwwStrings, LongerThan64KiBIsRefused) {
    const std::string most(64 * 1024, 'm');
    EXPECT_EQ(InfoOf(JwwWriter::Drawing().Memo(most), JwwKind::Drawing).memo, most);
    EXPECT_EQ(InfoOf(JwwWriter::Drawing().Strings(CStringForm::Utf16).Memo(std::string(32 * 1024, 'u')),
                     JwwKind::Drawing)
                  .memo.size(),
              32u * 1024u);
    // In the header the file cannot be read; in the stream it stops there.
    test::RecordingCanvas canvas;
    EXPECT_THROW(DrawJwwData(canvas, JwwWriter::Drawing().Memo(most + "m").Bytes(), kRect, 0), ReadError);
    EXPECT_TRUE(canvas.calls.empty());
    EXPECT_THROW(
        DrawJwwData(
            canvas,
            JwwWriter::Drawing().Strings(CStringForm::Utf16).Memo(std::string(32 * 1024 + 1, 'u')).Bytes(),
            kRect, 0),
        ReadError);
    const JwwInfo info = InfoOf(
        JwwWriter::Figure().Line(0, 0, 1, 1).Text(0, 0, 1, 0, most + "m").Line(0, 0, 2, 2), JwwKind::Figure);
    EXPECT_FALSE(info.complete);
    EXPECT_EQ(info.lines, 1);
    EXPECT_EQ(info.texts, 0);
}

// Each case spoils one stream; what was read before the fault stays.
TEST(JwwStream, WhereADamagedStreamStops) {
    const JwwAttr plain{};
    const std::vector<std::uint8_t> lineBody = [&] {
        // A line's body after its tag: prefix (version 600) and four doubles.
        test::ByteWriter w;
        w.U32(0).U8(1).U16(1).U16(0).U16(0).U16(0).U16(0).F64(0).F64(0).F64(1).F64(1);
        return w.bytes;
    }();
    auto tagged = [&](std::vector<std::uint8_t> tag) {
        tag.insert(tag.end(), lineBody.begin(), lineBody.end());
        return tag;
    };
    auto two = [&] { return JwwWriter::Figure().Line(0, 0, 1, 1, plain).Line(0, 0, 2, 2); };
    struct Case {
        const char* name;
        JwwWriter w;
        int lines;
        bool complete;
    };
    const std::vector<Case> cases = {
        {"sound", two().Line(0, 0, 3, 3), 3, true},
        {"big class tags", two().BigClassTags().Line(0, 0, 3, 3), 3, true},
        {"big tag of class 1", two().Raw(tagged({0xFF, 0x7F, 0x01, 0x00, 0x00, 0x80})), 3, true},
        {"class tag naming an object", two().Raw(tagged({0x02, 0x80})), 2, false},
        {"class tag naming no id yet", two().Raw(tagged({0x09, 0x80})), 2, false},
        {"class tag 0x8000", two().Raw(tagged({0x00, 0x80})), 2, false},
        {"null object", two().Raw({0x00, 0x00}), 2, false},
        {"back-reference", two().Raw({0x02, 0x00}), 2, false},
        {"big back-reference", two().Raw({0xFF, 0x7F, 0x02, 0x00, 0x00, 0x00}), 2, false},
        {"big tag naming an object", two().Raw({0xFF, 0x7F, 0x02, 0x00, 0x00, 0x80}), 2, false},
        {"unknown class", two().Object("CDataFoo", lineBody).Line(0, 0, 3, 3), 2, false},
        {"class name of 64 bytes", two().Object(std::string(64, 'C'), lineBody), 2, false},
        {"definition among the entities", two().Object("CDataList", lineBody), 2, false},
        {"entity among the definitions", two().ToDefinitionList().Line(0, 0, 3, 3), 2, false},
        {"entity count beyond the bytes", two().EntityCount(0xFFFFFFFF), 0, false},
        {"entity count in the QWORD form", two().EntityCount(std::uint64_t{1} << 40), 0, false},
        {"one entity more than there are", two().EntityCount(3), 2, false},
        {"one entity fewer: the third is read as the definition list", two().EntityCount(1), 1, false},
        {"trailing bytes", two().Trailer({1, 2, 3}), 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JwwInfo info = InfoOf(c.w, JwwKind::Figure);
        EXPECT_EQ(info.lines, c.lines);
        EXPECT_EQ(info.complete, c.complete);
    }
}

TEST(JwwStream, DefinitionsCutOrCorruptKeepWhatWasRead) {
    auto read = [](const JwwWriter& w) {
        const Data bytes = w.Bytes();
        return ReadJwwDocument(bytes, JwwKind::Figure);
    };
    JwwWriter w = JwwWriter::Figure().Block(0, 0, 1, 1, 0, 4);
    w.BeginDefinition(4).Line(0, 0, 1, 0).Line(0, 0, 0, 1).Raw({0x02, 0x00}).EndDefinition();
    JwwDocument doc = read(w);
    EXPECT_FALSE(doc.complete);
    ASSERT_EQ(doc.blocks.size(), 1u);
    EXPECT_EQ(doc.blocks[0].count, 2u);
    EXPECT_EQ(doc.definitions, 0); // the cut definition is drawn but not counted

    JwwWriter huge = JwwWriter::Figure();
    huge.BeginDefinition(4).Line(0, 0, 1, 0).MemberCount(60000).EndDefinition();
    doc = read(huge);
    EXPECT_FALSE(doc.complete);
    EXPECT_EQ(doc.blocks.size(), 1u);
    EXPECT_EQ(doc.blocks[0].count, 0u);

    // Numbers need not run 0..n-1; the first of two equal numbers is found.
    JwwWriter numbered = JwwWriter::Figure();
    numbered.BeginDefinition(90).Line(0, 0, 1, 0).EndDefinition();
    numbered.BeginDefinition(3).EndDefinition();
    numbered.BeginDefinition(90).Line(0, 0, 1, 0).Line(0, 0, 1, 0).EndDefinition();
    doc = read(numbered);
    EXPECT_TRUE(doc.complete);
    EXPECT_EQ(doc.definitions, 3);
    ASSERT_NE(doc.Definition(90), nullptr);
    EXPECT_EQ(doc.Definition(90)->count, 1u);
    EXPECT_EQ(doc.Definition(3)->count, 0u);
    EXPECT_EQ(doc.Definition(4), nullptr);
}

TEST(JwwStream, ManyObjectsUseBigTagsAndLongCounts) {
    // 70,000 lines: the count takes its DWORD form, and the arc class, declared after id 0x7FFF, is
    // named by big tags.
    JwwWriter w = JwwWriter::Drawing();
    for (int i = 0; i < 70000; ++i)
        w.Line(i, 0, i, 1);
    w.Arc(0, 0, 1, 0, 1).Arc(0, 0, 2, 0, 1);
    const Data bytes = w.Bytes();
    // Ids: 1 the line class, 2..70001 the lines, 70002 the arc class, which the second arc names.
    const std::uint8_t bigTag[] = {0xFF, 0x7F, 0x72, 0x11, 0x01, 0x80};
    ASSERT_NE(std::search(bytes.begin(), bytes.end(), std::begin(bigTag), std::end(bigTag)), bytes.end());
    const JwwDocument doc = ReadJwwDocument(bytes, JwwKind::Drawing);
    EXPECT_EQ(doc.lines, 70000);
    EXPECT_EQ(doc.arcs, 2);
    EXPECT_TRUE(doc.complete);
}

TEST(JwwStream, ImagesOfVersion700) {
    struct Case {
        const char* name;
        Data bytes;
        bool complete;
    };
    const JwwWriter one = JwwWriter::Drawing(700).Line(0, 0, 1, 1);
    const Case cases[] = {
        {"no images", one.Bytes(), true},
        {"images are not read", JwwWriter(one).Images(2).Trailer({0x78, 0x9C, 0, 0}).Bytes(), true},
        {"image count cut", one.Cut(one.Bytes().size() - 1), false},
        {"version 600 has no count", JwwWriter::Drawing(600).Line(0, 0, 1, 1).Bytes(), true},
        {"figures of 700 have none", JwwWriter::Figure(700).Line(0, 0, 1, 1).Bytes(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JwwKind kind = IsJwsData(c.bytes) ? JwwKind::Figure : JwwKind::Drawing;
        const JwwInfo info = InfoOf(c.bytes, kind);
        EXPECT_EQ(info.complete, c.complete);
        EXPECT_EQ(info.lines, 1);
    }
}

TEST(JwwStream, NumbersBeyondReasonAreLeftOut) {
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    JwwWriter w = JwwWriter::Figure();
    w.Line(0, 0, 1, 1).Line(nan, 0, 1, 1).Line(0, inf, 1, 1).Line(0, 0, 1e13, 1).Line(0, 0, -1e12, 1);
    w.Arc(0, 0, 1, 0, nan)
        .Arc(0, 0, 1, 0, 1, 0, 2e12)
        .Text(0, 0, 1, 0, "t", nan)
        .Solid({0, 0, 0, 0, 0, 0, 0, inf});
    w.Block(0, 0, 1e13, 1, 0, 1).Point(nan, 0);
    const Data bytes = w.Bytes();
    JwwDocument doc = ReadJwwDocument(bytes, JwwKind::Figure, {.topTexts = true});
    EXPECT_TRUE(doc.complete);
    EXPECT_EQ(doc.lines, 5); // counted as read, drawn only when sane
    int drawn = 0;
    ForEachJwwEntity(ByteCursor(bytes), doc, [&](const JwwEntity&) { return ++drawn; });
    EXPECT_EQ(drawn, 2);
    EXPECT_EQ(doc.topTexts.size(), 1u);
}

// A file cut anywhere: within the header it cannot be read; after it, it draws what came before the
// cut, and the counts only grow as the cut moves on.
TEST(JwwStream, CutAnywhere) {
    for (const bool figure : {true, false}) {
        SCOPED_TRACE(figure ? "figure" : "drawing");
        const JwwWriter w = Everything(figure ? JwwWriter::Figure(600) : JwwWriter::Drawing(700));
        const Data whole = w.Bytes();
        const std::size_t stream = w.StreamOffset();
        const JwwKind kind = figure ? JwwKind::Figure : JwwKind::Drawing;
        int last = 0;
        for (std::size_t size = figure ? kJwsRecognitionBytes : kJwwRecognitionBytes; size <= whole.size();
             size += size < stream ? 97 : 1) {
            const Data cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
            if (size < stream) {
                EXPECT_THROW(ReadJwwDocument(cut, kind), ReadError) << size;
                continue;
            }
            const JwwDocument doc = ReadJwwDocument(cut, kind);
            EXPECT_EQ(doc.complete, size == whole.size()) << size;
            const int objects = doc.lines + doc.arcs + doc.points + doc.texts + doc.solids + doc.references +
                                doc.dimensions + doc.definitions;
            EXPECT_GE(objects, last) << size;
            last = objects;
        }
        EXPECT_EQ(last, 11);
    }
}

} // namespace
} // namespace plavik
