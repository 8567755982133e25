// The layers a drawing shows: as its file saved them, or as a viewer's panel asks instead.
#include "jwwcases.h"

#include "render/drawinglayers.h"
#include "render/jwc.h"
#include "support/jwcwriter.h"

#include <gtest/gtest.h>

#include <set>

namespace plavik {
namespace {

using test::JwcWriter;
using test::JwwAttr;
using test::JwwWriter;
using test::RecordingCanvas;

// The rows (device y) of the horizontal lines drawn.
std::set<int> DrawnRows(const RecordingCanvas& canvas) {
    std::set<int> rows;
    for (const auto& [from, to] : canvas.DrawnSegments())
        if (from.y == to.y && to.x - from.x > 50)
            rows.insert(from.y);
    return rows;
}

JwwAttr On(int group, int layer) {
    JwwAttr a;
    a.group = static_cast<std::uint16_t>(group);
    a.layer = static_cast<std::uint16_t>(layer);
    return a;
}

TEST(LayerOverride, DrawsExactlyTheLayersAskedForWhateverTheFileSaved) {
    // Lines across an A4 sheet on three layers; the file hides group 2 and layer 0-1.
    const std::vector<std::uint8_t> jww = JwwWriter::Drawing()
                                              .Paper(4)
                                              .GroupState(2, 0)
                                              .LayerState(0, 1, 0)
                                              .Line(-100, 50, 100, 50, On(0, 0))
                                              .Line(-100, 0, 100, 0, On(0, 1))
                                              .Line(-100, -50, 100, -50, On(2, 3))
                                              .Bytes();
    const TRect rect{0, 0, 297, 210};
    RecordingCanvas saved;
    ASSERT_EQ(DrawJwwData(saved, jww, rect, 0), 0);
    const std::set<int> top = DrawnRows(saved);
    ASSERT_EQ(top.size(), 1u); // only layer 0-0 as saved

    LayerMask mask{};
    mask[0] = 1u << 1; // 0-1 and 2-3: hidden in the file
    mask[2] = 1u << 3;
    RecordingCanvas asked;
    RenderOptions options;
    options.layers = mask;
    ASSERT_EQ(DrawListedData(asked, FileFormat::Jww, jww, rect, options), 0);
    const std::set<int> rows = DrawnRows(asked);
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_FALSE(rows.contains(*top.begin()));

    // The same on an old drawing: layer 0 (group 0) and layer 1-1, whose group the file hides.
    const std::vector<std::uint8_t> jwc = JwcWriter()
                                              .GroupFlag(1, 0)
                                              .Line(50, 300, 450, 300, 1, 1, 0)
                                              .Line(50, 100, 450, 100, 1, 1, 17)
                                              .Build();
    RecordingCanvas oldSaved, oldAsked;
    TJwcInfo info;
    ASSERT_EQ(DrawJwcData(oldSaved, jwc, {0, 0, 518, 366}, 0, info), 0);
    LayerMask oldMask{};
    oldMask[1] = 1u << 1;
    ASSERT_EQ(DrawJwcData(oldAsked, jwc, {0, 0, 518, 366}, 0, info, &oldMask), 0);
    ASSERT_EQ(DrawnRows(oldSaved).size(), 1u);
    ASSERT_EQ(DrawnRows(oldAsked).size(), 1u);
    EXPECT_NE(*DrawnRows(oldSaved).begin(), *DrawnRows(oldAsked).begin());
}

TEST(DrawingLayersOfAFile, KeepTheGroupAndLayerStatesApart) {
    const std::vector<std::uint8_t> jwc = JwcWriter().GroupFlag(1, 0).LayerFlag(3, 0).Build();
    const std::optional<DrawingLayers> layers = ReadDrawingLayers(FileFormat::Jwc, jwc);
    ASSERT_TRUE(layers);
    EXPECT_TRUE(layers->groupShown[0]);
    EXPECT_FALSE(layers->groupShown[1]);
    EXPECT_EQ(layers->layerShown[0], 0xFFFF & ~(1u << 3));
    EXPECT_EQ(layers->layerShown[1], 0xFFFF); // its own state, though its group hides it
    EXPECT_EQ(layers->Shown()[1], 0);

    // A drawing of today names them as jw_cad's layer panel does.
    const std::vector<std::uint8_t> jww = JwwWriter::Drawing()
                                              .GroupState(2, 0)
                                              .LayerState(2, 5, 0)
                                              .GroupName(2, "\x88\xea\x8a\x4b") // 一階
                                              .LayerName(2, 4, "\x95\xc7")      // 壁
                                              .GroupScale(2, 50)
                                              .Bytes();
    const std::optional<DrawingLayers> named = ReadDrawingLayers(FileFormat::Jww, jww);
    ASSERT_TRUE(named);
    EXPECT_FALSE(named->groupShown[2]);
    EXPECT_EQ(named->layerShown[2], 0xFFFF & ~(1u << 5));
    EXPECT_EQ(named->groupNames[2], "\x88\xea\x8a\x4b");
    EXPECT_EQ(named->layerNames[2][4], "\x95\xc7");
    EXPECT_EQ(named->scales[2], 50);

    EXPECT_FALSE(ReadDrawingLayers(FileFormat::Jwk, jwc));
    EXPECT_FALSE(ReadDrawingLayers(FileFormat::Jwc, std::vector<std::uint8_t>(10, 0)));
}

} // namespace
} // namespace plavik
