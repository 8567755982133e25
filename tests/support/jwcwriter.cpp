#include "support/jwcwriter.h"

#include "support/bytewriter.h"

#include <cmath>
#include <cstdio>

namespace plavik::test {

namespace {

std::int32_t Fixed16(double degrees) {
    return static_cast<std::int32_t>(std::lround(degrees * 65536.0));
}

void Append(std::vector<std::uint8_t>& to, const ByteWriter& w) {
    to.insert(to.end(), w.bytes.begin(), w.bytes.end());
}

// Five filler characters and four hexadecimal digits, the shape of a bound item.
std::string BoundItem(int value) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(value) & 0xFFFFu);
    return std::string("pool@") + digits;
}

} // namespace

JwcWriter::JwcWriter(bool longHeader) : mark_(longHeader ? 'f' : 'e') {
    groups_.fill(1);
    layers_.fill(1);
}

JwcWriter& JwcWriter::VariantMark(std::uint8_t mark) {
    mark_ = mark;
    return *this;
}
JwcWriter& JwcWriter::Comment(std::string_view bytes) {
    comment_ = bytes;
    return *this;
}
JwcWriter& JwcWriter::CountsText(std::string_view text) {
    counts_ = std::string(text);
    return *this;
}
JwcWriter& JwcWriter::BoundsText(std::string_view text) {
    bounds_ = std::string(text);
    return *this;
}
JwcWriter& JwcWriter::TextStart(int start) {
    textStart_ = start;
    return *this;
}
JwcWriter& JwcWriter::Magic(std::string_view magic) {
    magic_ = magic;
    return *this;
}
JwcWriter& JwcWriter::GroupFlag(int group, std::uint8_t flag) {
    groups_.at(static_cast<std::size_t>(group)) = flag;
    return *this;
}
JwcWriter& JwcWriter::LayerFlag(int layer, std::uint8_t flag) {
    layers_.at(static_cast<std::size_t>(layer)) = flag;
    return *this;
}

JwcWriter& JwcWriter::Line(float x1, float y1, float x2, float y2, std::uint8_t lineType, std::uint8_t color,
                           std::uint8_t layer) {
    ByteWriter w;
    w.F32(x1).F32(y1).F32(x2).F32(y2).U8(lineType).U8(color).U8(layer).U8(0xAA).U8(0xBB).U8(0xCC);
    Append(lines_, w);
    ++lineCount_;
    return *this;
}

JwcWriter& JwcWriter::Arc(float cx, float cy, float radius, std::int16_t flatness, double startDegrees,
                          double endDegrees, double tiltDegrees, std::uint8_t lineType, std::uint8_t color,
                          std::uint8_t layer) {
    ByteWriter w;
    w.F32(cx).F32(cy).F32(radius).I16(flatness);
    w.I32(Fixed16(startDegrees)).I32(Fixed16(endDegrees)).I32(Fixed16(tiltDegrees));
    w.U8(lineType).U8(color).U8(layer).U8(0xAA).U8(0xBB).U8(0xCC);
    Append(arcs_, w);
    ++arcCount_;
    return *this;
}

JwcWriter& JwcWriter::Text(float x1, float y1, float x2, float y2, std::string_view string,
                           std::uint8_t layer) {
    ByteWriter w;
    // The unread bytes around the layer hold values a reader must not mistake for it.
    w.F32(x1).F32(y1).F32(x2).F32(y2).U8(7).U8(7).U8(7).U8(7).U8(7).U8(layer).U8(7).U8(7);
    Append(texts_, w);
    strings_.append(string);
    strings_.push_back('\0');
    ++textCount_;
    return *this;
}

JwcWriter& JwcWriter::Pool(std::string_view bytes) {
    pool_ = std::string(bytes);
    return *this;
}

JwcWriter& JwcWriter::Point(float x, float y, std::uint8_t layer, std::uint8_t color) {
    ByteWriter w;
    w.F32(x).F32(y).U8(layer).U8(color).U8(0xAA).U8(0xBB);
    Append(points_, w);
    ++pointCount_;
    return *this;
}

JwcWriter& JwcWriter::Trailer(std::size_t bytes) {
    trailer_ = bytes;
    return *this;
}

std::size_t JwcWriter::EntityOffset() const {
    return mark_ == 'f' ? 2421 : 2389;
}
std::size_t JwcWriter::GroupFlagsOffset() const {
    return mark_ == 'f' ? 2133 : 2101;
}
std::size_t JwcWriter::LayerFlagsOffset() const {
    return mark_ == 'f' ? 2149 : 2117;
}

std::vector<std::uint8_t> JwcWriter::Build() const {
    const std::string& pool = pool_ ? *pool_ : strings_;
    const std::string counts = counts_
                                   ? *counts_
                                   : std::to_string(lineCount_) + "," + std::to_string(arcCount_) + "," +
                                         std::to_string(textCount_) + "," + std::to_string(pointCount_) + ",";
    const std::string bounds =
        bounds_ ? *bounds_
                : BoundItem(textStart_) + "," + BoundItem(textStart_ + static_cast<int>(pool.size()));

    ByteWriter w;
    // Unread bytes are filled with a pattern rather than NULs, so that a reader looking at the wrong
    // offset finds something other than a plausible value.
    w.Field(magic_, 20).U8('x').U8('x').U8(mark_).Field("unread-bytes-here", 17);
    w.Field(comment_, 64).Field("", 96);
    w.Field(counts, 100).Field("", 300);
    w.Field(bounds, 100);
    w.Zeros(GroupFlagsOffset() - w.Size());
    w.bytes.insert(w.bytes.end(), groups_.begin(), groups_.end());
    w.bytes.insert(w.bytes.end(), layers_.begin(), layers_.end());
    w.Zeros(16);

    std::vector<std::uint8_t> bytes = std::move(w.bytes);
    bytes.insert(bytes.end(), lines_.begin(), lines_.end());
    bytes.insert(bytes.end(), arcs_.begin(), arcs_.end());
    bytes.insert(bytes.end(), texts_.begin(), texts_.end());
    bytes.insert(bytes.end(), pool.begin(), pool.end());
    bytes.insert(bytes.end(), points_.begin(), points_.end());
    bytes.insert(bytes.end(), trailer_, 0x5A);
    return bytes;
}

std::vector<std::uint8_t> JwcWriter::Build(std::size_t size) const {
    std::vector<std::uint8_t> bytes = Build();
    bytes.resize(size, 0);
    return bytes;
}

void JwcWriter::Save(const std::filesystem::path& path) const {
    ByteWriter w;
    w.bytes = Build();
    w.Save(path);
}

} // namespace plavik::test
