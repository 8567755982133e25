#include "render/listfile.h"

#include "render/card.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/jww.h"

#include <algorithm>
#include <cctype>

namespace plavik {

std::vector<std::string_view> ListExtensions(ListKind kind, bool todaysFormats) {
    std::vector<std::string_view> extensions{kind == ListKind::Figures ? "jwk" : "jwc"};
    if (todaysFormats)
        extensions.push_back(kind == ListKind::Figures ? "jws" : "jww");
    return extensions;
}

ListKind KindOf(FileFormat format) {
    return format == FileFormat::Jwk || format == FileFormat::Jws ? ListKind::Figures : ListKind::Drawings;
}

std::string LowerExtension(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return extension;
}

FileFormat FormatOfName(ListKind kind, const std::filesystem::path& file) {
    const std::string extension = LowerExtension(file);
    if (extension == "jws")
        return FileFormat::Jws;
    if (extension == "jww")
        return FileFormat::Jww;
    return kind == ListKind::Figures ? FileFormat::Jwk : FileFormat::Jwc;
}

std::optional<FileFormat> FormatOfContent(const std::filesystem::path& file) {
    const std::optional<Bytes> prefix = ReadFilePrefix(file, kJwsRecognitionBytes);
    if (!prefix)
        return std::nullopt;
    if (IsJwkData(*prefix))
        return FileFormat::Jwk;
    if (IsJwcData(*prefix))
        return FileFormat::Jwc;
    if (IsJwsData(*prefix))
        return FileFormat::Jws;
    if (IsJwwData(*prefix))
        return FileFormat::Jww;
    return std::nullopt;
}

namespace {

// The format's renderer on a file by its path, and (below) on a file's bytes: overloads under one name,
// so that DrawListed serves both sources.
int Draw(FileFormat format, Canvas& canvas, const std::filesystem::path& file, const TRect& rect, int flags,
         const Palette& palette, TJwcInfo& jwcInfo, JwwInfo* jwwInfo) {
    switch (format) {
    case FileFormat::Jwk:
        return DrawJwk(canvas, file, rect, flags, palette);
    case FileFormat::Jws:
        return DrawJws(canvas, file, rect, flags, palette);
    case FileFormat::Jwc:
        return DrawJwc(canvas, file, rect, flags, jwcInfo);
    case FileFormat::Jww:
        return DrawJww(canvas, file, rect, flags, jwwInfo);
    }
    return -1;
}

int Draw(FileFormat format, Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags,
         const Palette& palette, TJwcInfo& jwcInfo, JwwInfo* jwwInfo) {
    switch (format) {
    case FileFormat::Jwk:
        return DrawJwkData(canvas, data, rect, flags, palette);
    case FileFormat::Jws:
        return DrawJwsData(canvas, data, rect, flags, palette);
    case FileFormat::Jwc:
        return DrawJwcData(canvas, data, rect, flags, jwcInfo);
    case FileFormat::Jww:
        return DrawJwwData(canvas, data, rect, flags, jwwInfo);
    }
    return -1;
}

template <typename Source>
int DrawListed(Canvas& canvas, FileFormat format, const Source& source, const TRect& rect,
               const RenderOptions& options, std::string* comment) {
    TJwcInfo jwcInfo;
    JwwInfo jwwInfo; // asked for only when wanted: it holds the strings of every text
    const int result = Draw(format, canvas, source, rect, options.flags, options.palette, jwcInfo,
                            comment ? &jwwInfo : nullptr);
    if (comment) {
        *comment = result != 0                 ? std::string()
                   : format == FileFormat::Jwc ? jwcInfo.Comment
                   : format == FileFormat::Jww ? jwwInfo.memo
                                               : std::string();
    }
    return result;
}

} // namespace

int DrawListedFile(Canvas& canvas, FileFormat format, const std::filesystem::path& file, const TRect& rect,
                   const RenderOptions& options, std::string* comment) {
    return DrawListed(canvas, format, file, rect, options, comment);
}

int DrawListedData(Canvas& canvas, FileFormat format, std::span<const std::uint8_t> data, const TRect& rect,
                   const RenderOptions& options, std::string* comment) {
    return DrawListed(canvas, format, data, rect, options, comment);
}

int CheckListedFile(FileFormat format, const std::filesystem::path& file) {
    FileBytes bytes(file);
    return CheckListedFile(format, bytes);
}

int CheckListedFile(FileFormat format, FileBytes& file) {
    switch (format) {
    case FileFormat::Jwk:
        return CheckJwk(file);
    case FileFormat::Jwc:
        return CheckJwc(file);
    case FileFormat::Jws:
        return CheckJws(file);
    case FileFormat::Jww:
        return CheckJww(file);
    }
    return -1;
}

void DrawUnreadableCard(Canvas& canvas, FileFormat format, const TRect& rect) {
    static constexpr std::string_view kWords[] = {"Not JWK File", "Not JWC File", "Not JWS File",
                                                  "Not JWW File"};
    FontGuard keepFont(canvas);
    DrawNotFileCard(canvas, rect, kWords[static_cast<int>(format)]);
}

} // namespace plavik
