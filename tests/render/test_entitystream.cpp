// The stream of entities hands out what each format's own reader counts, in every format.
#include "render/bytes.h"
#include "render/entitystream.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/jww.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <vector>

namespace plavik {
namespace {

const std::filesystem::path kSamples = std::filesystem::path(PLAVIK_SOURCE_DIR) / "samples";

// Entities by shape (JwwShape order), hidden layers included.
std::array<int, 6> Tally(const std::filesystem::path& file, FileFormat expected, Box* sheet = nullptr) {
    FileBytes bytes(file);
    std::optional<EntityStream> stream = EntityStream::Open(bytes);
    EXPECT_TRUE(stream) << file;
    std::array<int, 6> tally{};
    if (!stream)
        return tally;
    EXPECT_EQ(stream->Format(), expected);
    EXPECT_TRUE(stream->Complete());
    stream->ForEach([&](const JwwEntity& e) {
        ++tally[static_cast<std::size_t>(e.shape)];
        return true;
    });
    if (sheet)
        *sheet = stream->Sheet();
    return tally;
}

std::vector<std::filesystem::path> FilesOf(const char* folder, const char* extension) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kSamples / folder))
        if (entry.path().extension() == extension)
            files.push_back(entry.path());
    EXPECT_FALSE(files.empty()) << folder;
    return files;
}

TEST(EntityStream, OldFiguresTallyAsTheirReader) {
    for (const auto& file : FilesOf("figures", ".jwk")) {
        const JwkFigure figure = ReadJwk(*ReadFilePrefix(file, kMaxFileBytes));
        const auto tally = Tally(file, FileFormat::Jwk);
        EXPECT_EQ(tally[0], figure.header.lineCount) << file;
        EXPECT_EQ(tally[1], figure.header.arcCount) << file;
        EXPECT_EQ(tally[2], figure.header.pointCount) << file;
        EXPECT_EQ(tally[3], figure.header.textCount) << file;
    }
}

TEST(EntityStream, OldDrawingsTallyAsTheirReaderOnTheirSheet) {
    for (const auto& file : FilesOf("drawings", ".jwc")) {
        const JwcHeader header = ReadJwcHeader(*ReadFilePrefix(file, kJwcHeaderSize));
        Box sheet;
        const auto tally = Tally(file, FileFormat::Jwc, &sheet);
        EXPECT_EQ(tally[0], header.lineCount) << file;
        EXPECT_EQ(tally[1], header.arcCount) << file;
        EXPECT_EQ(tally[2], header.pointCount) << file;
        EXPECT_EQ(tally[3], header.textCount) << file;
        EXPECT_EQ(sheet.maxX - sheet.minX, kJwcSheetWidth);
        EXPECT_EQ(sheet.maxY - sheet.minY, kJwcSheetHeight);
    }
}

// A dimension arrives as its line and its text.
TEST(EntityStream, TodaysFilesTallyAsTheirReader) {
    std::vector<std::pair<std::filesystem::path, FileFormat>> files;
    for (const auto& file : FilesOf("jws-figures", ".jws"))
        files.emplace_back(file, FileFormat::Jws);
    for (const auto& file : FilesOf("jww-drawings", ".jww"))
        files.emplace_back(file, FileFormat::Jww);
    for (const auto& [file, format] : files) {
        JwwInfo info;
        info.withTexts = false;
        ASSERT_EQ(format == FileFormat::Jws ? CheckJws(file, nullptr, &info) : CheckJww(file, nullptr, &info), 0);
        const auto tally = Tally(file, format);
        EXPECT_EQ(tally[0], info.lines + info.dimensions) << file;
        EXPECT_EQ(tally[1], info.arcs) << file;
        EXPECT_EQ(tally[2], info.points) << file;
        EXPECT_EQ(tally[3], info.texts + info.dimensions) << file;
        EXPECT_EQ(tally[4], info.solids) << file;
        EXPECT_EQ(tally[5], info.blocks) << file;
        EXPECT_GT(tally[0] + tally[1] + tally[2] + tally[3] + tally[4] + tally[5], 0) << file;
    }
}

TEST(EntityStream, NothingForAFileOfNoFormat) {
    const auto file = std::filesystem::temp_directory_path() / "plavik-stream-none.jww";
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs("not a drawing", f);
    std::fclose(f);
    FileBytes bytes(file);
    EXPECT_FALSE(EntityStream::Open(bytes));
    std::filesystem::remove(file);
}

} // namespace
} // namespace plavik
