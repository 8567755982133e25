// Builds figure files (.jwk) byte by byte from their layout, for the test fixtures: a 400-byte header
// with the magic and the descriptor, the four record sections and the text pool. Every part can be
// overridden to write malformed files.
#pragma once

#include "bytewriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plavik::test {

class JwkWriter {
public:
    // The magic as jw_cad writes it: the twenty checked bytes followed by more full stops.
    static constexpr const char* kMagic = "jw_cad(c)sym........";
    static constexpr const char* kRealMagic = "jw_cad(c)sym..............";

    // Placement of the figure in the 0-to-100 box.
    JwkWriter& Origin(float x, float y);
    JwkWriter& Scale(float scale);

    // Records, in file order.
    JwkWriter& Line(float x1, float y1, float x2, float y2, int lineType = 1, int color = 1);
    // Angles in degrees and flatness as a ratio; stored as the file's fixed-point fields.
    JwkWriter& Arc(float cx, float cy, float radius, double start = 0, double end = 0, double flatness = 0,
                   double tilt = 0, int lineType = 1, int color = 1);
    JwkWriter& Point(float x, float y, int color = 1);
    // A text record and its pool string.
    JwkWriter& Text(float x1, float y1, float x2, float y2, const std::string& text);

    // Overrides for malformed files.
    JwkWriter& Magic(const std::string& magic); // written at offset 0, NUL-padded to 20 bytes or more
    JwkWriter& Counts(std::int32_t lines, std::int32_t arcs, std::int32_t points, std::int32_t texts);
    JwkWriter& Descriptor(const std::string& text); // the raw 100-byte descriptor, NUL-padded
    JwkWriter& DescriptorEndsWithComma();           // "...,scale,0,100" after the seventh field
    JwkWriter& Pool(const std::string& raw);        // the raw pool instead of the strings and their NULs

    // The file's bytes; Cut drops everything from the given size on.
    std::vector<std::uint8_t> Bytes() const;
    std::vector<std::uint8_t> Cut(std::size_t size) const;
    // The descriptor that would be written.
    std::string DescriptorText() const;

private:
    std::string magic_ = kRealMagic;
    float originX_ = 0, originY_ = 0, scale_ = 1;
    std::optional<std::string> descriptor_;
    std::optional<std::string> pool_;
    bool trailingComma_ = false;
    std::int32_t counts_[4] = {};
    bool countsSet_ = false;
    ByteWriter lines_, arcs_, points_, texts_;
    std::int32_t recordCounts_[4] = {};
    std::string strings_;
};

} // namespace plavik::test
