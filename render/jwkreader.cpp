#include "render/jwkreader.h"

#include "render/bytecursor.h"
#include "render/drawsteps.h"
#include "render/errors.h"
#include "render/strtofloat.h"
#include "render/strtoint.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace plavik {

namespace {

constexpr std::string_view kMagic = "jw_cad(c)sym........";
constexpr std::size_t kDescriptorOffset = 200;
constexpr std::size_t kDescriptorSize = 100;

// The runtime's conversions stop at a NUL byte, which ends the text for them.
std::string_view UpToNul(std::string_view field) {
    return field.substr(0, field.find('\0'));
}

std::int32_t ToCount(std::string_view field) {
    const auto value = TextToInt(UpToNul(field));
    if (!value)
        throw NotAnInteger(field);
    return *value;
}

float ToReal(std::string_view field) {
    const auto value = TextToFloat(UpToNul(field));
    // A value beyond the range of the 32-bit real the figure keeps does not convert either.
    if (!value || !std::isfinite(static_cast<float>(*value)))
        throw NotAReal(field);
    return static_cast<float>(*value);
}

// Takes the text before the next comma and removes it and the comma. A field without its comma is
// empty, and the descriptor is left as it is, so the conversion names the empty text.
std::string_view NextField(std::string_view& rest) {
    const auto comma = rest.find(',');
    if (comma == std::string_view::npos)
        return {};
    const auto field = rest.substr(0, comma);
    rest.remove_prefix(comma + 1);
    return field;
}

std::size_t CountOf(std::int32_t count) {
    if (count < 0)
        throw ReadError();
    return static_cast<std::size_t>(count);
}

// Allocates only after checking that the section's bytes are really there.
template <typename Record, typename Parse>
std::vector<Record> ReadSection(ByteCursor& cursor, std::int32_t count, std::size_t recordSize, Parse parse) {
    const std::size_t n = CountOf(count);
    cursor.Require(static_cast<std::size_t>(static_cast<std::uint64_t>(n) * recordSize));
    std::vector<Record> records;
    records.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        records.push_back(parse(cursor));
    return records;
}

} // namespace

TJwkLine ReadJwkLine(ByteCursor& c) {
    TJwkLine line{};
    line.x1 = c.F32();
    line.y1 = c.F32();
    line.x2 = c.F32();
    line.y2 = c.F32();
    line.lineType = c.U8();
    line.color = c.U8();
    c.Skip(4);
    return line;
}

TJwkArc ReadJwkArc(ByteCursor& c) {
    TJwkArc arc{};
    arc.cx = c.F32();
    arc.cy = c.F32();
    arc.radius = c.F32();
    arc.flatness = c.I16();
    arc.startAngle = c.I32();
    arc.endAngle = c.I32();
    arc.tilt = c.I32();
    arc.lineType = c.U8();
    arc.color = c.U8();
    c.Skip(4);
    return arc;
}

TJwkPoint ReadJwkPoint(ByteCursor& c) {
    TJwkPoint point{};
    point.x = c.F32();
    point.y = c.F32();
    c.Skip(1);
    point.color = c.U8();
    c.Skip(2);
    return point;
}

TJwkText ReadJwkText(ByteCursor& c) {
    TJwkText text{};
    text.x1 = c.F32();
    text.y1 = c.F32();
    text.x2 = c.F32();
    text.y2 = c.F32();
    c.Skip(8);
    return text;
}

bool IsJwkData(std::span<const std::uint8_t> data) {
    return StartsWithMagic(data, kMagic);
}

JwkHeader ReadJwkHeader(std::span<const std::uint8_t> data) {
    ByteCursor cursor(data);
    cursor.Require(kJwkHeaderSize);
    std::string_view rest = AsText(data.subspan(kDescriptorOffset, kDescriptorSize));

    JwkHeader header;
    header.lineCount = ToCount(NextField(rest));
    header.arcCount = ToCount(NextField(rest));
    header.pointCount = ToCount(NextField(rest));
    header.textCount = ToCount(NextField(rest));
    header.originX = ToReal(NextField(rest));
    header.originY = ToReal(NextField(rest));
    // The scale ends at the next comma when one is left, otherwise at the first NUL.
    std::string_view scale;
    if (const auto comma = rest.find(','); comma != std::string_view::npos)
        scale = rest.substr(0, comma);
    else if (const auto nul = rest.find('\0'); nul != std::string_view::npos)
        scale = rest.substr(0, nul);
    header.scale = ToReal(scale);
    return header;
}

std::uint64_t JwkSectionBytes(const JwkHeader& header) {
    return CountOf(header.lineCount) * std::uint64_t{kJwkLineSize} +
           CountOf(header.arcCount) * std::uint64_t{kJwkArcSize} +
           CountOf(header.pointCount) * std::uint64_t{kJwkPointSize} +
           CountOf(header.textCount) * std::uint64_t{kJwkTextSize};
}

std::uint64_t JwkBytesNeeded(const JwkHeader& header) {
    const std::uint64_t pool = header.textCount > 0 ? kJwkMaxTextPool : 0;
    return kJwkHeaderSize + JwkSectionBytes(header) + pool;
}

void ReadJwkBody(const JwkHeader& header, std::span<const std::uint8_t> file, JwkFigure& figure) {
    // Checks every count first, so that a negative one fails before anything is read.
    const std::uint64_t sections = JwkSectionBytes(header);
    ByteCursor cursor(file, std::min<std::size_t>(kJwkHeaderSize, file.size()));
    if (file.size() < kJwkHeaderSize || cursor.Remaining() < sections)
        throw ReadError();
    figure.lines = ReadSection<TJwkLine>(cursor, header.lineCount, kJwkLineSize, ReadJwkLine);
    figure.arcs = ReadSection<TJwkArc>(cursor, header.arcCount, kJwkArcSize, ReadJwkArc);
    figure.points = ReadSection<TJwkPoint>(cursor, header.pointCount, kJwkPointSize, ReadJwkPoint);
    figure.texts = ReadSection<TJwkText>(cursor, header.textCount, kJwkTextSize, ReadJwkText);
    const std::size_t poolSize = header.textCount > 0 ? std::min(cursor.Remaining(), kJwkMaxTextPool) : 0;
    figure.strings = SplitPool(AsText(cursor.Take(poolSize)), figure.texts.size());
}

JwkFigure ReadJwk(std::span<const std::uint8_t> data) {
    RefuseTooLarge(data.size());
    JwkFigure figure;
    figure.header = ReadJwkHeader(data);
    ReadJwkBody(figure.header, data, figure);
    return figure;
}

JwkFigure ReadJwkFigure(FileBytes& file) {
    RefuseTooLarge(file.Size());
    JwkFigure figure;
    figure.header = ReadJwkHeader(file.Prefix(kJwkHeaderSize));
    const std::uint64_t needed = std::min<std::uint64_t>(JwkBytesNeeded(figure.header), file.Size());
    ReadJwkBody(figure.header, file.Prefix(static_cast<std::size_t>(needed)), figure);
    return figure;
}

} // namespace plavik
