#include "fileinfo.h"

#include "json.h"
#include "platform/sjis.h"
#include "render/bytes.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/jwkreader.h"
#include "render/jww.h"
#include "render/listfile.h"

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

// The first `count` bytes of a file that must hold at least `least` bytes; a read error otherwise, and
// FileTooLargeError for a file larger than the readers take.
Bytes ReadAtLeast(const std::filesystem::path& file, std::uint64_t least, std::uint64_t count) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size < least)
        throw ReadError();
    RefuseTooLarge(size);
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

// Today's figures and drawings, as their reader reads them for a thumbnail.
std::string DescribeToday(const std::filesystem::path& file, FileFormat format) {
    JwwInfo info;
    if (format == FileFormat::Jws)
        CheckJws(file, nullptr, &info);
    else
        CheckJww(file, nullptr, &info);
    JsonObject json;
    json.Add("kind", format == FileFormat::Jws ? QStringLiteral("jws") : QStringLiteral("jww"))
        .Add("version", std::int64_t{info.version})
        .Add("lines", std::int64_t{info.lines})
        .Add("arcs", std::int64_t{info.arcs})
        .Add("points", std::int64_t{info.points})
        .Add("texts", std::int64_t{info.texts})
        .Add("solids", std::int64_t{info.solids})
        .Add("blocks", std::int64_t{info.blocks})
        .Add("dimensions", std::int64_t{info.dimensions})
        .Add("blockDefinitions", std::int64_t{info.blockDefinitions});
    if (format == FileFormat::Jww)
        json.Add("memo", DecodeSjis(info.memo))
            .Add("paper", std::int64_t{info.paper})
            .Add("shownLayers", std::int64_t{info.shownLayers});
    else
        json.Add("extent", std::vector<double>(std::begin(info.extent), std::end(info.extent)));
    return json.AddBool("complete", info.complete).Add("textStrings", Decoded(info.textStrings)).Text();
}

} // namespace

FileInfo DescribeFile(const std::filesystem::path& file) {
    const std::optional<FileFormat> format = FormatOfContent(file);
    if (format == FileFormat::Jwk)
        return {true, DescribeFigure(file)};
    if (format == FileFormat::Jwc)
        return {true, DescribeDrawing(file)};
    if (format)
        return {true, DescribeToday(file, *format)};
    return {false, JsonObject().Add("kind", QStringLiteral("unknown")).Text()};
}

} // namespace plavik::tool
