// The export's limit of bytes: what would go beyond it is left out, and the file still ends as its
// format ends.
#include "export/dxfexport.h"
#include "export/svgexport.h"
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

} // namespace
} // namespace plavik
