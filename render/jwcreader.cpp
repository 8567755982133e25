// Reading jw_cad drawing files: recognition, the header's text fields and flag tables, and the five
// entity blocks. Every read goes through the bounded cursor; every size is checked against the bytes
// really there before anything is allocated.
#include "render/jwcreader.h"
#include "render/bytecursor.h"
#include "render/drawsteps.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "render/strtoint.h"

#include <algorithm>
#include <string_view>

namespace plavik {

namespace {

constexpr std::string_view kMagic = "jw_cad(c)data.......";
constexpr std::size_t kVariantOffset = 22;
constexpr std::size_t kCommentOffset = 40;
constexpr std::size_t kCommentSize = 64;
constexpr std::size_t kCountsOffset = 200;
constexpr std::size_t kBoundsOffset = 600;
constexpr std::size_t kTextFieldSize = 100;

struct VariantLayout {
    std::size_t groupFlags, layerFlags, entities;
};

constexpr VariantLayout kLongLayout{2133, 2149, 2421};
constexpr VariantLayout kShortLayout{2101, 2117, 2389};

const VariantLayout& LayoutOf(JwcVariant variant) {
    return variant == JwcVariant::Long ? kLongLayout : kShortLayout;
}

std::string_view FieldAt(std::span<const std::uint8_t> data, std::size_t offset, std::size_t size) {
    ByteCursor cursor(data, offset);
    return AsText(cursor.Take(size));
}

// Splits off the text before the first comma and removes it with the comma. Without a comma the item
// is empty and the text stays, as Copy(s, 1, Pos(',', s) - 1) gives it.
std::string_view TakeItem(std::string_view& text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos)
        return {};
    const std::string_view item = text.substr(0, comma);
    text.remove_prefix(comma + 1);
    return item;
}

std::int32_t CountItem(std::string_view& text) {
    const std::string_view item = TakeItem(text);
    const auto value = TextToInt(item);
    if (!value)
        throw NotAnInteger(item);
    return *value;
}

// Characters 6 to 9 of a bound item (fewer when the item is shorter), read as hexadecimal. The error
// names the text the conversion was given, "$" included, as StrToInt('$' + s) reports it.
std::int32_t HexField(std::string_view item) {
    const std::string text = "$" + std::string(item.size() > 5 ? item.substr(5, 4) : std::string_view{});
    const auto value = TextToInt(text);
    if (!value)
        throw NotAnInteger(text);
    return *value;
}

void ParseCounts(std::string_view text, JwcHeader& header) {
    header.lineCount = CountItem(text);
    header.arcCount = CountItem(text);
    header.textCount = CountItem(text);
    header.pointCount = CountItem(text);
}

void ParseBounds(std::string_view text, JwcHeader& header) {
    header.textStart = HexField(TakeItem(text));
    const auto comma = text.find(',');
    const auto end = comma != std::string_view::npos ? comma : text.find('\0');
    header.textEnd = HexField(text.substr(0, end));
}

// Counts and bounds come from the file: refuse those that cannot describe any file before they are
// used for sizes.
void CheckSizes(const JwcHeader& header) {
    if (header.lineCount < 0 || header.arcCount < 0 || header.textCount < 0 || header.pointCount < 0 ||
        header.textEnd < header.textStart)
        throw ReadError();
}

// Group flag 0 hides all 16 layers of the group; a layer is shown only when its flag is then 1.
void ReadLayerFlags(std::span<const std::uint8_t> data, JwcHeader& header) {
    const VariantLayout& layout = LayoutOf(header.variant);
    ByteCursor groups(data, layout.groupFlags);
    const auto groupFlags = groups.Take(16);
    ByteCursor layers(data, layout.layerFlags);
    const auto layerFlags = layers.Take(256);
    for (std::size_t i = 0; i < 256; ++i)
        header.layerFlags[i] = groupFlags[i / 16] == 0 ? 0 : layerFlags[i];
    std::copy(groupFlags.begin(), groupFlags.end(), header.groupFlags.begin());
    std::copy(layerFlags.begin(), layerFlags.end(), header.layerStates.begin());
}

} // namespace

bool IsJwcData(std::span<const std::uint8_t> data) {
    return StartsWithMagic(data, kMagic);
}

JwcHeader ReadJwcHeader(std::span<const std::uint8_t> data, TJwcInfo& info) {
    // The header is taken in one piece, whichever the variant.
    ByteCursor(data).Require(kJwcHeaderSize);
    JwcHeader header;
    header.comment = std::string(FieldAt(data, kCommentOffset, kCommentSize));
    std::replace(header.comment.begin(), header.comment.end(), '\0', ' ');
    info.Comment = header.comment;

    ParseCounts(FieldAt(data, kCountsOffset, kTextFieldSize), header);
    ParseBounds(FieldAt(data, kBoundsOffset, kTextFieldSize), header);
    CheckSizes(header);
    info.LineCount = header.lineCount;
    info.ArcCount = header.arcCount;
    info.TextCount = header.textCount;
    info.PointCount = header.pointCount;

    header.variant = data[kVariantOffset] == 'f' ? JwcVariant::Long : JwcVariant::Short;
    ReadLayerFlags(data, header);
    return header;
}

JwcHeader ReadJwcHeader(std::span<const std::uint8_t> data) {
    TJwcInfo unused;
    return ReadJwcHeader(data, unused);
}

TJwcLine ReadJwcLine(ByteCursor& cursor) {
    TJwcLine line{};
    line.x1 = cursor.F32();
    line.y1 = cursor.F32();
    line.x2 = cursor.F32();
    line.y2 = cursor.F32();
    line.lineType = cursor.U8();
    line.color = cursor.U8();
    line.layer = cursor.U8();
    cursor.Skip(3);
    return line;
}

TJwcArc ReadJwcArc(ByteCursor& cursor) {
    TJwcArc arc{};
    arc.cx = cursor.F32();
    arc.cy = cursor.F32();
    arc.radius = cursor.F32();
    arc.flatness = cursor.I16();
    arc.startAngle = cursor.I32();
    arc.endAngle = cursor.I32();
    arc.tilt = cursor.I32();
    arc.lineType = cursor.U8();
    arc.color = cursor.U8();
    arc.layer = cursor.U8();
    cursor.Skip(3);
    return arc;
}

TJwcText ReadJwcText(ByteCursor& cursor) {
    TJwcText text{};
    text.x1 = cursor.F32();
    text.y1 = cursor.F32();
    text.x2 = cursor.F32();
    text.y2 = cursor.F32();
    cursor.Skip(5);
    text.layer = cursor.U8();
    cursor.Skip(2);
    return text;
}

TJwcPoint ReadJwcPoint(ByteCursor& cursor) {
    TJwcPoint point{};
    point.x = cursor.F32();
    point.y = cursor.F32();
    point.layer = cursor.U8();
    point.color = cursor.U8();
    cursor.Skip(2);
    return point;
}

JwcLayout::JwcLayout(const JwcHeader& header) {
    CheckSizes(header);
    lines = LayoutOf(header.variant).entities;
    arcs = lines + static_cast<std::uint64_t>(header.lineCount) * kJwcLineSize;
    texts = arcs + static_cast<std::uint64_t>(header.arcCount) * kJwcArcSize;
    pool = texts + static_cast<std::uint64_t>(header.textCount) * kJwcTextSize;
    points = pool + static_cast<std::uint64_t>(header.textEnd - header.textStart);
    end = points + static_cast<std::uint64_t>(header.pointCount) * kJwcPointSize;
}

std::uint64_t JwcEntityEnd(const JwcHeader& header) {
    // Counts are below 2^31 and records at most 32 bytes, so the sum cannot overflow 64 bits.
    return JwcLayout(header).end;
}

JwcDrawing ReadJwcEntities(std::span<const std::uint8_t> data, const JwcHeader& header) {
    const JwcLayout at(header);
    if (at.end > data.size())
        throw ReadError();

    JwcDrawing drawing;
    drawing.header = header;
    ByteCursor cursor(data, at.lines);
    const auto section = [&](auto& records, std::int32_t count, auto read) {
        records.resize(static_cast<std::size_t>(count));
        for (auto& record : records)
            record = read(cursor);
    };
    section(drawing.lines, header.lineCount, ReadJwcLine);
    section(drawing.arcs, header.arcCount, ReadJwcArc);
    section(drawing.texts, header.textCount, ReadJwcText);
    const auto pool = cursor.Take(static_cast<std::size_t>(header.textEnd - header.textStart));
    drawing.strings = SplitPool(AsText(pool), drawing.texts.size());
    section(drawing.points, header.pointCount, ReadJwcPoint);
    return drawing;
}

JwcDrawing ReadJwc(std::span<const std::uint8_t> data) {
    RefuseTooLarge(data.size());
    return ReadJwcEntities(data, ReadJwcHeader(data));
}

JwcDrawing ReadJwcDrawing(FileBytes& file, JwcHeader& header) {
    RefuseTooLarge(file.Size());
    header = ReadJwcHeader(file.Prefix(kJwcHeaderSize));
    const std::uint64_t end = JwcEntityEnd(header);
    if (end > file.Size())
        throw ReadError();
    return ReadJwcEntities(file.Prefix(static_cast<std::size_t>(end)), header);
}

} // namespace plavik
