#include "jwkwriter.h"

#include <charconv>
#include <cmath>

namespace plavik::test {

namespace {
// Reals as jw_cad writes them: six decimals, always a full stop.
std::string Real(float v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
    return std::string(buf, r.ptr);
}

std::int32_t Fixed(double v, double unit) {
    return static_cast<std::int32_t>(std::lround(v * unit));
}
} // namespace

JwkWriter& JwkWriter::Origin(float x, float y) {
    originX_ = x;
    originY_ = y;
    return *this;
}

JwkWriter& JwkWriter::Scale(float scale) {
    scale_ = scale;
    return *this;
}

JwkWriter& JwkWriter::Line(float x1, float y1, float x2, float y2, int lineType, int color) {
    lines_.F32(x1).F32(y1).F32(x2).F32(y2);
    lines_.U8(static_cast<std::uint8_t>(lineType)).U8(static_cast<std::uint8_t>(color)).Zeros(4);
    ++recordCounts_[0];
    return *this;
}

JwkWriter& JwkWriter::Arc(float cx, float cy, float radius, double start, double end, double flatness,
                          double tilt, int lineType, int color) {
    arcs_.F32(cx).F32(cy).F32(radius).I16(static_cast<std::int16_t>(Fixed(flatness, 10000)));
    arcs_.I32(Fixed(start, 65536)).I32(Fixed(end, 65536)).I32(Fixed(tilt, 65536));
    arcs_.U8(static_cast<std::uint8_t>(lineType)).U8(static_cast<std::uint8_t>(color)).Zeros(4);
    ++recordCounts_[1];
    return *this;
}

JwkWriter& JwkWriter::Point(float x, float y, int color) {
    points_.F32(x).F32(y).Zeros(1).U8(static_cast<std::uint8_t>(color)).Zeros(2);
    ++recordCounts_[2];
    return *this;
}

JwkWriter& JwkWriter::Text(float x1, float y1, float x2, float y2, const std::string& text) {
    texts_.F32(x1).F32(y1).F32(x2).F32(y2).Zeros(8);
    strings_ += text;
    strings_ += '\0';
    ++recordCounts_[3];
    return *this;
}

JwkWriter& JwkWriter::Magic(const std::string& magic) {
    magic_ = magic;
    return *this;
}

JwkWriter& JwkWriter::Counts(std::int32_t lines, std::int32_t arcs, std::int32_t points, std::int32_t texts) {
    counts_[0] = lines;
    counts_[1] = arcs;
    counts_[2] = points;
    counts_[3] = texts;
    countsSet_ = true;
    return *this;
}

JwkWriter& JwkWriter::Descriptor(const std::string& text) {
    descriptor_ = text;
    return *this;
}

JwkWriter& JwkWriter::DescriptorEndsWithComma() {
    trailingComma_ = true;
    return *this;
}

JwkWriter& JwkWriter::Pool(const std::string& raw) {
    pool_ = raw;
    return *this;
}

std::string JwkWriter::DescriptorText() const {
    if (descriptor_)
        return *descriptor_;
    const std::int32_t* c = countsSet_ ? counts_ : recordCounts_;
    std::string text = std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]) + "," +
                       std::to_string(c[3]) + "," + Real(originX_) + "," + Real(originY_) + "," +
                       Real(scale_);
    if (trailingComma_)
        text += ",0,100";
    return text;
}

std::vector<std::uint8_t> JwkWriter::Bytes() const {
    ByteWriter out;
    out.Field(magic_, magic_.size() < 20 ? 20 : magic_.size());
    out.Zeros(200 - out.Size());
    out.Field(DescriptorText(), 100);
    out.Zeros(100);
    for (const ByteWriter* section : {&lines_, &arcs_, &points_, &texts_})
        out.bytes.insert(out.bytes.end(), section->bytes.begin(), section->bytes.end());
    out.Text(pool_ ? *pool_ : strings_);
    return out.bytes;
}

std::vector<std::uint8_t> JwkWriter::Cut(std::size_t size) const {
    auto bytes = Bytes();
    if (bytes.size() > size)
        bytes.resize(size);
    return bytes;
}

} // namespace plavik::test
