#include "render/formatinfo.h"

#include "render/bytes.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/jwkreader.h"
#include "render/jww.h"

#include <algorithm>

namespace plavik {

namespace {

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

std::int64_t Count(auto n) {
    return static_cast<std::int64_t>(n);
}

// Fields added one by one, in the order they are written.
class Fields {
public:
    Fields& Add(std::string_view key, InfoValue value) {
        description_.fields.emplace_back(InfoField{key, std::move(value)});
        return *this;
    }
    FileDescription Take() { return std::move(description_); }

private:
    FileDescription description_;
};

// Today's figures and drawings, as their reader reads them for a thumbnail.
FileDescription DescribeToday(const std::filesystem::path& file, JwwKind kind) {
    JwwInfo info;
    if (kind == JwwKind::Figure)
        CheckJws(file, nullptr, &info);
    else
        CheckJww(file, nullptr, &info);
    Fields f;
    f.Add("kind", std::string(kind == JwwKind::Figure ? "jws" : "jww"))
        .Add("version", Count(info.version))
        .Add("lines", Count(info.lines))
        .Add("arcs", Count(info.arcs))
        .Add("points", Count(info.points))
        .Add("texts", Count(info.texts))
        .Add("solids", Count(info.solids))
        .Add("blocks", Count(info.blocks))
        .Add("dimensions", Count(info.dimensions))
        .Add("blockDefinitions", Count(info.blockDefinitions));
    if (kind == JwwKind::Drawing)
        f.Add("memo", info.memo).Add("paper", Count(info.paper)).Add("shownLayers", Count(info.shownLayers));
    else
        f.Add("extent", std::vector<double>(std::begin(info.extent), std::end(info.extent)));
    return f.Add("complete", info.complete).Add("textStrings", std::move(info.textStrings)).Take();
}

} // namespace

FileDescription DescribeJwk(const std::filesystem::path& file) {
    JwkFigure figure;
    figure.header = ReadJwkHeader(ReadAtLeast(file, kJwkHeaderSize, kJwkHeaderSize));
    const Bytes bytes =
        ReadAtLeast(file, kJwkHeaderSize + JwkSectionBytes(figure.header), JwkBytesNeeded(figure.header));
    ReadJwkBody(figure.header, bytes, figure);
    const JwkHeader& h = figure.header;
    return Fields()
        .Add("kind", std::string("jwk"))
        .Add("lineCount", Count(h.lineCount))
        .Add("arcCount", Count(h.arcCount))
        .Add("pointCount", Count(h.pointCount))
        .Add("textCount", Count(h.textCount))
        .Add("originX", h.originX)
        .Add("originY", h.originY)
        .Add("scale", h.scale)
        .Add("texts", std::move(figure.strings))
        .Take();
}

FileDescription DescribeJwc(const std::filesystem::path& file) {
    const JwcHeader header = ReadJwcHeader(ReadAtLeast(file, kJwcHeaderSize, kJwcHeaderSize));
    const std::uint64_t end = JwcEntityEnd(header);
    JwcDrawing drawing = ReadJwcEntities(ReadAtLeast(file, end, end), header);
    const auto shownLayers = std::count(header.layerFlags.begin(), header.layerFlags.end(), std::uint8_t{1});
    return Fields()
        .Add("kind", std::string("jwc"))
        .Add("variant", std::string(header.variant == JwcVariant::Long ? "long" : "short"))
        .Add("comment", header.comment)
        .Add("lineCount", Count(header.lineCount))
        .Add("arcCount", Count(header.arcCount))
        .Add("textCount", Count(header.textCount))
        .Add("pointCount", Count(header.pointCount))
        .Add("textStart", Count(header.textStart))
        .Add("textEnd", Count(header.textEnd))
        .Add("shownLayers", Count(shownLayers))
        .Add("texts", std::move(drawing.strings))
        .Take();
}

FileDescription DescribeJws(const std::filesystem::path& file) {
    return DescribeToday(file, JwwKind::Figure);
}

FileDescription DescribeJww(const std::filesystem::path& file) {
    return DescribeToday(file, JwwKind::Drawing);
}

} // namespace plavik
