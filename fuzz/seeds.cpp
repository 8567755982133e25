// Writes the starting corpora of the fuzz targets: small figure and drawing files built from their
// layouts, covering every record kind, line type, header variant and flag table, and a few broken
// ones. Usage: fuzz_seeds <jwk folder> <jwc folder>
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using plavik::test::JwcWriter;
using plavik::test::JwkWriter;

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <jwk folder> <jwc folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path jwk = argv[1], jwc = argv[2];
    std::filesystem::create_directories(jwk);
    std::filesystem::create_directories(jwc);
    FigureSeeds(jwk);
    DrawingSeeds(jwc);
    return 0;
}
