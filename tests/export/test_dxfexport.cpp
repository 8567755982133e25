// The export's limit of bytes: what would go beyond it is left out, and the file still ends as its
// format ends.
#include "export/dxfexport.h"
#include "export/svgexport.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace plavik {
namespace {

class ExportLimit : public ::testing::Test {
protected:
    void SetUp() override {
        test::JwwWriter w = test::JwwWriter::Drawing();
        for (int i = 0; i < 20000; ++i)
            w.Line(i % 400 - 200, i % 300 - 150, i % 300 - 150, i % 400 - 200);
        const std::vector<std::uint8_t> bytes = w.Bytes();
        std::ofstream(file_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void TearDown() override { std::filesystem::remove(file_); }

    // One file for each test: the tests run side by side.
    const std::filesystem::path file_ =
        std::filesystem::temp_directory_path() /
        (std::string("plavik-export-limit-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".jww");
};

TEST_F(ExportLimit, DxfStopsBeforeItsLimitAndStillEnds) {
    FileBytes bytes(file_);
    std::optional<EntityStream> stream = EntityStream::Open(bytes);
    ASSERT_TRUE(stream);
    const ExportBytes whole = ExportDxf(*stream, DxfVersion::R2000);
    EXPECT_FALSE(whole.cut);
    const std::size_t limit = (std::size_t{3} << 20) / 2;
    ASSERT_GT(whole.bytes.size(), limit);
    for (const DxfVersion version : {DxfVersion::R2000, DxfVersion::R12}) {
        const ExportBytes cut = ExportDxf(*stream, version, limit);
        EXPECT_TRUE(cut.cut);
        EXPECT_LE(cut.bytes.size(), limit);
        EXPECT_TRUE(cut.bytes.ends_with("  0\nEOF\n"));
    }
}

TEST_F(ExportLimit, SvgStopsBeforeItsLimitAndStillEnds) {
    FileBytes bytes(file_);
    std::optional<EntityStream> stream = EntityStream::Open(bytes);
    ASSERT_TRUE(stream);
    const ExportBytes cut = ExportSvg(*stream, 256 << 10);
    EXPECT_TRUE(cut.cut);
    EXPECT_LE(cut.bytes.size(), std::size_t{256} << 10);
    EXPECT_TRUE(cut.bytes.ends_with("</g>\n</g>\n</svg>\n"));
}

// Opens bytes written to a file of the test's own as a stream, and exports it to DXF (with svg, to
// SVG).
ExportBytes DxfOf(const std::vector<std::uint8_t>& bytes, std::size_t limit = kMaxExportBytes, bool svg = false) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        (std::string("plavik-dxf-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".jww");
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    FileBytes source(file);
    std::optional<EntityStream> stream = EntityStream::Open(source);
    std::filesystem::remove(file);
    EXPECT_TRUE(stream);
    if (!stream)
        return {};
    return svg ? ExportSvg(*stream, limit) : ExportDxf(*stream, DxfVersion::R2000, limit);
}

std::size_t Count(const std::string& text, const std::string& word) {
    std::size_t n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++n;
    return n;
}

TEST(DxfBlocks, OnlyPlacedDefinitionsAreWrittenAndTheirHeadsKeepWithinTheLimit) {
    // Thousands of definitions, one placed: the others' blocks once made the file many times its limit.
    test::JwwWriter few = test::JwwWriter::Drawing().Block(0, 0, 1, 1, 0, 7);
    for (std::uint32_t d = 0; d < 5000; ++d)
        few.BeginDefinition(d).Line(0, 0, 1, d).EndDefinition();
    const ExportBytes one = DxfOf(few.Bytes());
    EXPECT_EQ(Count(one.bytes, "\nJW_BLOCK_"), 4u) << "its block record, its BLOCK (twice) and its INSERT";

    // Every one placed: cut, and within the limit.
    test::JwwWriter all = test::JwwWriter::Drawing();
    for (std::uint32_t d = 0; d < 5000; ++d)
        all.Block(d, 0, 1, 1, 0, d);
    for (std::uint32_t d = 0; d < 5000; ++d)
        all.BeginDefinition(d).Line(0, 0, 1, d).EndDefinition();
    const std::size_t limit = (std::size_t{3} << 20) / 2;
    const ExportBytes cut = DxfOf(all.Bytes(), limit);
    EXPECT_TRUE(cut.cut);
    EXPECT_LE(cut.bytes.size(), limit);
    EXPECT_TRUE(cut.bytes.ends_with("  0\nEOF\n"));
}

TEST(DxfBlocks, DefinitionsNestedThreeHundredThousandDeepEndWithinTheLimit) {
    // Each placing the next: walked by calls within calls, the stack ran out.
    constexpr std::uint32_t kDepth = 300'000;
    test::JwwWriter w = test::JwwWriter::Drawing().Block(0, 0, 1, 1, 0, 0);
    for (std::uint32_t d = 0; d < kDepth; ++d) {
        w.BeginDefinition(d).Line(0, 0, 1, 1);
        if (d + 1 < kDepth)
            w.Block(1, 0, 1, 1, 0, d + 1);
        w.EndDefinition();
    }
    const std::vector<std::uint8_t> bytes = w.Bytes();
    const ExportBytes dxf = DxfOf(bytes);
    EXPECT_TRUE(dxf.cut);
    EXPECT_LE(dxf.bytes.size(), kMaxExportBytes);
    EXPECT_TRUE(dxf.bytes.ends_with("  0\nEOF\n"));
    EXPECT_TRUE(DxfOf(bytes, kMaxExportBytes, true).bytes.ends_with("</svg>\n"));
}

TEST(DxfLimit, AnOldFiguresTextThatRunsOnForMegabytesIsKeptToItsFirstKilobytes) {
    // A text pool without its closing NUL: once a text of all of it, written whole beyond any limit.
    const ExportBytes dxf =
        DxfOf(test::JwkWriter().Text(0, 50, 100, 50, "").Pool(std::string(3 << 20, 'W')).Bytes());
    EXPECT_FALSE(dxf.cut);
    EXPECT_EQ(Count(dxf.bytes, std::string(4096, 'W')), 1u);
    EXPECT_EQ(Count(dxf.bytes, std::string(4097, 'W')), 0u);
}

} // namespace
} // namespace plavik
