// Writes the starting corpora of the fuzz targets: small figure and drawing files built from their
// layouts, covering every record kind, line type, header variant and flag table, and a few broken
// ones. Usage: fuzz_seeds <jwk folder> <jwc folder> <jws folder> <jww folder>
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using plavik::test::CStringForm;
using plavik::test::JwcWriter;
using plavik::test::JwkWriter;
using plavik::test::JwwAttr;
using plavik::test::JwwWriter;

namespace {

void Save(const std::filesystem::path& dir, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// "図形" and "ﾃｷｽﾄ" in code page 932: double- and single-byte characters.
const std::string kKanji = "\x90\x7d\x8c\x60";
const std::string kKana = "\xC3\xB7\xBD\xC4";

void FigureSeeds(const std::filesystem::path& dir) {
    Save(dir, "empty.jwk", JwkWriter().Origin(50, 50).Bytes());
    Save(dir, "trailing-comma.jwk", JwkWriter().Origin(50, 50).DescriptorEndsWithComma().Bytes());

    JwkWriter lines;
    lines.Origin(50, 50).Scale(1);
    for (int type = 0; type <= 10; ++type)
        lines.Line(-40, -40 + 8 * type, 40, -30 + 8 * type, type, type);
    Save(dir, "line-types.jwk", lines.Bytes());

    JwkWriter arcs;
    arcs.Origin(50, 50).Scale(2);
    arcs.Arc(0, 0, 20);
    arcs.Arc(0, 0, 15, 30, 300, 0, 0, 2, 3);
    arcs.Arc(5, 5, 10, 0, 0, 0.5, 30, 9, 4);
    arcs.Arc(-5, 5, 8, 270, 90, 0.25, -45, 5, 9);
    Save(dir, "arcs.jwk", arcs.Bytes());

    JwkWriter points;
    points.Origin(10, 10).Scale(0.5f);
    for (int c = 0; c <= 11; ++c)
        points.Point(static_cast<float>(10 * c), static_cast<float>(5 * c), c);
    Save(dir, "points.jwk", points.Bytes());

    JwkWriter texts;
    texts.Origin(0, 0).Scale(1);
    texts.Text(10, 50, 60, 50, "ABC");
    texts.Text(50, 10, 50, 60, kKanji);
    texts.Text(50, 60, 50, 10, kKana);
    texts.Line(0, 0, 100, 100, 9, 2);
    Save(dir, "texts.jwk", texts.Bytes());

    JwkWriter mixed;
    mixed.Origin(50, 50).Scale(1.5f);
    mixed.Line(-10, 0, 10, 0).Arc(0, 0, 12, 0, 180).Point(0, 0, 8).Text(-10, -10, 10, -10, "W1");
    Save(dir, "mixed.jwk", mixed.Bytes());
    Save(dir, "mixed-cut.jwk", mixed.Cut(mixed.Bytes().size() - 30));

    Save(dir, "pool-short.jwk", JwkWriter().Text(0, 0, 10, 0, "a").Text(0, 5, 10, 5, "b").Pool("a").Bytes());
    Save(dir, "bad-count.jwk", JwkWriter().Descriptor("1x,0,0,0,50.0,50.0,1.0").Bytes());
    Save(dir, "bad-real.jwk", JwkWriter().Descriptor("0,0,0,0,5e,50.0,1.0").Bytes());
    Save(dir, "huge-count.jwk", JwkWriter().Counts(2147483647, 0, 0, 0).Bytes());
    Save(dir, "negative-count.jwk", JwkWriter().Counts(0, -1, 0, 0).Bytes());
    Save(dir, "magic-only.jwk", JwkWriter().Cut(40));
}

void DrawingSeeds(const std::filesystem::path& dir) {
    for (const bool longHeader : {true, false}) {
        const std::string v = longHeader ? "long" : "short";
        Save(dir, "empty-" + v + ".jwc", JwcWriter(longHeader).Comment("comment").Build());

        JwcWriter lines(longHeader);
        for (std::uint8_t type = 0; type <= 10; ++type)
            lines.Line(10, 10.0f + 30 * type, 500, 20.0f + 30 * type, type, type, type);
        Save(dir, "line-types-" + v + ".jwc", lines.Build());

        JwcWriter arcs(longHeader);
        arcs.Arc(259, 183, 100, 0, 0, 0, 0);
        arcs.Arc(259, 183, 80, 5000, 45, 315, 20, 2, 3, 1);
        arcs.Arc(100, 100, 50, -1, 270, 90, 0, 9, 0, 2);
        Save(dir, "arcs-" + v + ".jwc", arcs.Build());

        JwcWriter texts(longHeader);
        texts.Text(10, 50, 60, 50, "ABC").Text(50, 10, 50, 60, kKanji, 3).Text(60, 60, 10, 10, kKana);
        texts.Point(1, 1, 0, 0).Point(2, 2, 0, 9).Point(3, 3, 0, 12);
        Save(dir, "texts-points-" + v + ".jwc", texts.Build());
    }

    JwcWriter layers;
    layers.GroupFlag(1, 0).LayerFlag(2, 0).LayerFlag(3, 2);
    for (std::uint8_t layer = 0; layer < 40; layer += 3)
        layers.Line(0, layer, 518, layer, 1, 1, layer);
    Save(dir, "layers.jwc", layers.Build());

    JwcWriter mixed;
    mixed.Comment("\x90\x7d\x96\xca").Line(0, 0, 518, 366, 9, 3).Line(0, 366, 518, 0, 1, 0);
    mixed.Arc(259, 183, 30, 0, 0, 0, 0, 9).Text(10, 10, 100, 10, "base").Point(259, 183);
    Save(dir, "mixed.jwc", mixed.Build());
    Save(dir, "mixed-cut.jwc", mixed.Build(mixed.Build().size() - 7));

    Save(dir, "bad-counts.jwc", JwcWriter().CountsText("3,1,0,2").Build());
    Save(dir, "bad-bounds.jwc", JwcWriter().BoundsText("ABCDEzzzz,ABCDE1A3F").Build());
    Save(dir, "huge-counts.jwc", JwcWriter().CountsText("2147483647,0,0,0,").Build());
    Save(dir, "header-cut.jwc", JwcWriter().Build(2420));
}

// One object of every class, every solid shape, nested blocks and texts in both string forms, for
// figures (.jws) or drawings (.jww) of each version.
JwwWriter EveryObject(JwwWriter w) {
    constexpr double pi = JwwWriter::kPi;
    w.Line(0, 0, 100, 50).Line(0, 50, 100, 0, {.style = 2, .color = 3}).Line(0, 10, 100, 10, {.style = 9});
    w.Circle(50, 25, 20, {.color = 4}).Arc(50, 25, 10, 0.5, -pi, 0.3, 2.0, 0, {.style = 5});
    w.Point(10, 10).Point(20, 20, 1).Point(30, 30, 0, {.style = 100});
    w.Text(5, 5, 40, 5, kKanji, 4, 0).Text(60, 5, 60, 40, kKana, 3, 90);
    w.Strings(CStringForm::Utf16)
        .Text(5, 45, 30, 45, "UTF-16 \xEF\xBD\xB1", 2.5, 0)
        .Strings(CStringForm::Natural);
    w.Solid({0, 0, 10, 0, 10, 10, 0, 10}, {.color = 10}, 0x00FF8000).Solid({20, 0, 30, 5, 20, 10, 30, 10});
    for (const double kind : {-1.0, 0.0, 5.0, 100.0})
        w.Solid({70, 40, 8, 1, 0, 0, pi / 2, kind}, {.style = 101, .color = 2});
    w.Solid({80, 10, 8, 0.5, 0, 0, 0, 3}, {.style = 105}).Solid({80, 10, 8, 1, 0, 0, pi, 4}, {.style = 111});
    w.Block(50, 25, 2, 1, pi / 6, 1).Block(20, 40, -1, 1, 0, 2).Dimension(0, -5, 100, -5, "100");
    w.BeginDefinition(1, "door@@SfigorgFlag@@4").Line(0, 0, 5, 0).Arc(0, 0, 5, 0, pi / 2).EndDefinition();
    w.BeginDefinition(2)
        .Block(0, 0, 0.5, 0.5, 0, 1)
        .Block(0, 5, 1, 1, 0, 2)
        .Text(0, 0, 5, 0, "B", 2)
        .EndDefinition();
    return w;
}

void JwwSeeds(const std::filesystem::path& dir, bool figure) {
    const std::string ext = figure ? ".jws" : ".jww";
    auto start = [&](std::uint32_t v) { return figure ? JwwWriter::Figure(v) : JwwWriter::Drawing(v); };
    for (const std::uint32_t v : {300u, 351u, 420u, 600u, 700u}) {
        JwwWriter w = start(v);
        if (figure)
            w.RefPoint(50, 25).Box(-10, -10, 110, 60);
        else
            w.Memo("\x90\x7d\x96\xca\r\nA-1").Paper(v % 5).LayerState(0, 2, 0).GroupState(3, 0);
        Save(dir, "every-" + std::to_string(v) + ext, EveryObject(std::move(w)).Bytes());
    }
    Save(dir, "empty" + ext, start(600).Bytes());
    Save(dir, "big-tags" + ext, EveryObject(start(600)).BigClassTags().Bytes());
    Save(dir, "long-strings" + ext,
         start(600).Strings(CStringForm::DWord).Text(0, 0, 9, 0, std::string(300, 'x')).Bytes());
    Save(dir, "box-empty" + ext, start(420).Box(1, 1, 0, 0).Paper(9).Line(0, 0, 10, 10).Bytes());
    const auto whole = EveryObject(start(700)).Bytes();
    Save(dir, "cut" + ext, EveryObject(start(700)).Cut(whole.size() - 40));
    Save(dir, "back-reference" + ext, start(600).Line(0, 0, 1, 1).Raw({0x02, 0x00}).Bytes());
    Save(dir, "unknown-class" + ext, start(600).Object("CDataFoo", {1, 2, 3}).Bytes());
    JwwWriter cycle = start(600).Block(0, 0, 1, 1, 0, 5);
    cycle.BeginDefinition(5)
        .Line(0, 0, 1, 0)
        .Block(0, 1, 1.1, 1.1, 0.1, 5)
        .Block(1, 0, 1, 1, 0, 5)
        .EndDefinition();
    Save(dir, "cycle" + ext, cycle.Bytes());
    if (!figure)
        Save(dir, "images" + ext, start(700).Line(0, 0, 1, 1).Images(1).Trailer({0x78, 0x9C, 1, 2}).Bytes());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <jwk folder> <jwc folder> <jws folder> <jww folder>\n", argv[0]);
        return 2;
    }
    for (int i = 1; i < argc; ++i)
        std::filesystem::create_directories(argv[i]);
    FigureSeeds(argv[1]);
    DrawingSeeds(argv[2]);
    JwwSeeds(argv[3], true);
    JwwSeeds(argv[4], false);
    return 0;
}
