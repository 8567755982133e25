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

FileFormat FormatOfName(ListKind kind, const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".jws")
        return FileFormat::Jws;
    if (extension == ".jww")
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

int DrawListedFile(Canvas& canvas, FileFormat format, const std::filesystem::path& file, const TRect& rect,
                   const RenderOptions& options, std::string* comment) {
    switch (format) {
    case FileFormat::Jwk:
        return DrawJwk(canvas, file, rect, options.flags, options.palette);
    case FileFormat::Jws:
        return DrawJws(canvas, file, rect, options.flags, options.palette);
    case FileFormat::Jwc: {
        TJwcInfo info;
        const int result = DrawJwc(canvas, file, rect, options.flags, info);
        if (comment)
            *comment = result == 0 ? info.Comment : std::string();
        return result;
    }
    case FileFormat::Jww: {
        JwwInfo info; // asked for only when wanted: it holds the strings of every text
        const int result = DrawJww(canvas, file, rect, options.flags, comment ? &info : nullptr);
        if (comment)
            *comment = result == 0 ? info.memo : std::string();
        return result;
    }
    }
    return -1;
}

int CheckListedFile(FileFormat format, const std::filesystem::path& file, FileStamp* stamp) {
    switch (format) {
    case FileFormat::Jwk:
        return CheckJwk(file, stamp);
    case FileFormat::Jwc:
        return CheckJwc(file, stamp);
    case FileFormat::Jws:
        return CheckJws(file, stamp);
    case FileFormat::Jww:
        return CheckJww(file, stamp);
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
