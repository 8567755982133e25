#include "fileinfo.h"

#include "json.h"
#include "platform/sjis.h"
#include "render/bytes.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/jwkreader.h"

#include <algorithm>
#include <cstdint>

namespace plavik::tool {

namespace {

QStringList Decoded(const std::vector<std::string>& strings) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(strings.size()));
    for (const std::string& s : strings)
        out << DecodeSjis(s);
    return out;
}

// The first `count` bytes of a file that must hold at least `least` bytes; a read error otherwise.
Bytes ReadAtLeast(const std::filesystem::path& file, std::uint64_t least, std::uint64_t count) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size < least)
        throw ReadError();
    const auto bytes = ReadFilePrefix(file, static_cast<std::size_t>(std::min<std::uintmax_t>(size, count)));
    if (!bytes || bytes->size() < least)
        throw ReadError();
    return *bytes;
}

std::string DescribeFigure(const std::filesystem::path& file) {
    JwkFigure figure;
    figure.header = ReadJwkHeader(ReadAtLeast(file, kJwkHeaderSize, kJwkHeaderSize));
    const Bytes bytes =
        ReadAtLeast(file, kJwkHeaderSize + JwkSectionBytes(figure.header), JwkBytesNeeded(figure.header));
    ReadJwkBody(figure.header, bytes, figure);
    const JwkHeader& h = figure.header;
    return JsonObject()
        .Add("kind", QStringLiteral("jwk"))
        .Add("lineCount", std::int64_t{h.lineCount})
        .Add("arcCount", std::int64_t{h.arcCount})
        .Add("pointCount", std::int64_t{h.pointCount})
        .Add("textCount", std::int64_t{h.textCount})
        .Add("originX", h.originX)
        .Add("originY", h.originY)
        .Add("scale", h.scale)
        .Add("texts", Decoded(figure.strings))
        .Text();
}

std::string DescribeDrawing(const std::filesystem::path& file) {
    const JwcHeader header = ReadJwcHeader(ReadAtLeast(file, kJwcHeaderSize, kJwcHeaderSize));
    const std::uint64_t end = JwcEntityEnd(header);
    const JwcDrawing drawing = ReadJwcEntities(ReadAtLeast(file, end, end), header);
    const auto shownLayers = std::count(header.layerFlags.begin(), header.layerFlags.end(), std::uint8_t{1});
    return JsonObject()
        .Add("kind", QStringLiteral("jwc"))
        .Add("variant", header.variant == JwcVariant::Long ? QStringLiteral("long") : QStringLiteral("short"))
        .Add("comment", DecodeSjis(header.comment))
        .Add("lineCount", std::int64_t{header.lineCount})
        .Add("arcCount", std::int64_t{header.arcCount})
        .Add("textCount", std::int64_t{header.textCount})
        .Add("pointCount", std::int64_t{header.pointCount})
        .Add("textStart", std::int64_t{header.textStart})
        .Add("textEnd", std::int64_t{header.textEnd})
        .Add("shownLayers", static_cast<std::int64_t>(shownLayers))
        .Add("texts", Decoded(drawing.strings))
        .Text();
}

} // namespace

FileInfo DescribeFile(const std::filesystem::path& file) {
    if (IsJwkFile(file))
        return {true, DescribeFigure(file)};
    if (IsJwcFile(file))
        return {true, DescribeDrawing(file)};
    return {false, JsonObject().Add("kind", QStringLiteral("unknown")).Text()};
}

} // namespace plavik::tool
