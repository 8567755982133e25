#include "render/listfile.h"

#include "render/card.h"
#include "render/jwk.h"

namespace plavik {

std::string_view ListExtension(ListKind kind) {
    return kind == ListKind::Figures ? "jwk" : "jwc";
}

int DrawListedFile(Canvas& canvas, ListKind kind, const std::filesystem::path& file, const TRect& rect,
                   const RenderOptions& options, TJwcInfo* info) {
    if (kind == ListKind::Figures)
        return DrawJwk(canvas, file, rect, options.flags, options.palette);
    TJwcInfo ignored;
    return DrawJwc(canvas, file, rect, options.flags, info ? *info : ignored);
}

int DrawListedData(Canvas& canvas, ListKind kind, std::span<const std::uint8_t> data, const TRect& rect,
                   const RenderOptions& options) {
    if (kind == ListKind::Figures)
        return DrawJwkData(canvas, data, rect, options.flags, options.palette);
    TJwcInfo ignored;
    return DrawJwcData(canvas, data, rect, options.flags, ignored);
}

int CheckListedFile(ListKind kind, const std::filesystem::path& file, FileStamp* stamp, Bytes* whole) {
    return kind == ListKind::Figures ? CheckJwk(file, stamp, whole) : CheckJwc(file, stamp, whole);
}

void DrawUnreadableCard(Canvas& canvas, ListKind kind, const TRect& rect) {
    FontGuard keepFont(canvas);
    DrawNotFileCard(canvas, rect, kind == ListKind::Figures ? "Not JWK File" : "Not JWC File");
}

} // namespace plavik
