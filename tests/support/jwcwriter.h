// Builds jw_cad drawing files (.jwc) byte by byte for the tests, in either header variant, with ways
// to spoil them.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plavik::test {

class JwcWriter {
public:
    // Long header (variant mark 'f', entities at 2421) or short header (entities at 2389).
    explicit JwcWriter(bool longHeader = true);

    // The variant mark at byte 22 itself; any value but 'f' makes the short layout.
    JwcWriter& VariantMark(std::uint8_t mark);
    // The 64-byte comment field, as raw bytes, padded with NULs.
    JwcWriter& Comment(std::string_view bytes);
    // Replaces the count list built from the records with this text (NUL-padded to 100 bytes).
    JwcWriter& CountsText(std::string_view text);
    // Replaces the text-pool bounds built from the pool with this text (NUL-padded to 100 bytes).
    JwcWriter& BoundsText(std::string_view text);
    // First bound of the generated bounds text; the second is this plus the pool's size.
    JwcWriter& TextStart(int start);
    // The first 20 bytes; the real magic by default.
    JwcWriter& Magic(std::string_view magic);

    // Every group and layer flag is 1 (shown) until changed.
    JwcWriter& GroupFlag(int group, std::uint8_t flag);
    JwcWriter& LayerFlag(int layer, std::uint8_t flag);

    JwcWriter& Line(float x1, float y1, float x2, float y2, std::uint8_t lineType = 1, std::uint8_t color = 1,
                    std::uint8_t layer = 0);
    JwcWriter& Arc(float cx, float cy, float radius, std::int16_t flatness, double startDegrees,
                   double endDegrees, double tiltDegrees, std::uint8_t lineType = 1, std::uint8_t color = 1,
                   std::uint8_t layer = 0);
    // A text record and its string, appended to the pool with its NUL.
    JwcWriter& Text(float x1, float y1, float x2, float y2, std::string_view string, std::uint8_t layer = 0);
    // Replaces the pool built from the texts' strings with these raw bytes.
    JwcWriter& Pool(std::string_view bytes);
    JwcWriter& Point(float x, float y, std::uint8_t layer = 0, std::uint8_t color = 1);
    // Bytes appended after the points.
    JwcWriter& Trailer(std::size_t bytes);

    // The whole file, cut to `size` bytes when given.
    std::vector<std::uint8_t> Build() const;
    std::vector<std::uint8_t> Build(std::size_t size) const;
    void Save(const std::filesystem::path& path) const;

    // Where the layout puts things in this writer's variant.
    std::size_t EntityOffset() const;
    std::size_t GroupFlagsOffset() const;
    std::size_t LayerFlagsOffset() const;

private:
    std::uint8_t mark_;
    std::string magic_ = "jw_cad(c)data.......";
    std::string comment_;
    std::optional<std::string> counts_, bounds_, pool_;
    int textStart_ = 0x0100;
    std::array<std::uint8_t, 16> groups_{};
    std::array<std::uint8_t, 256> layers_{};
    std::vector<std::uint8_t> lines_, arcs_, texts_, points_;
    std::string strings_;
    int lineCount_ = 0, arcCount_ = 0, textCount_ = 0, pointCount_ = 0;
    std::size_t trailer_ = 0;
};

} // namespace plavik::test
