#include "thumbnail.h"

#include "platform/rastercanvas.h"
#include "platform/systemcolors.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/numbers.h"
#include "settings/colorpresets.h"
#include "settings/listsettings.h"
#include "settings/options.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace plavik::tool {

FileKind KindOfContent(const std::filesystem::path& file) {
    if (IsJwkFile(file))
        return FileKind::Figure;
    if (IsJwcFile(file))
        return FileKind::Drawing;
    return FileKind::Unknown;
}

FileKind RendererFor(const std::filesystem::path& file, FileKind contentKind) {
    if (contentKind != FileKind::Unknown)
        return contentKind;
    std::string extension = file.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".jwc" ? FileKind::Drawing : FileKind::Figure;
}

QSize DefaultThumbnailSize(FileKind renderer) {
    const TListSettings defaults;
    if (renderer == FileKind::Drawing)
        return ThumbnailerSize(FileKind::Drawing, defaults.IconSize2);
    return {defaults.IconSize, defaults.IconSize};
}

QSize ThumbnailerSize(FileKind renderer, int longer) {
    if (renderer == FileKind::Drawing)
        return {longer, std::max(Round(longer / 1.414213562), 1)};
    return {longer, longer};
}

Palette FigurePalette(ColorChoice choice) {
    TListSettings settings;
    const SwatchColors* preset = nullptr;
    switch (choice) {
    case ColorChoice::Default:
        break;
    case ColorChoice::Mono:
        preset = &kMonochromePreset;
        break;
    case ColorChoice::Color:
        preset = &kColourPreset;
        break;
    case ColorChoice::JwCad:
        preset = &kJwCadPreset;
        break;
    }
    if (preset) {
        for (int swatch = 0; swatch < static_cast<int>(preset->size()); ++swatch)
            settings.Colors[SwatchPaletteIndex(swatch)] = (*preset)[swatch];
    }
    return settings.Colors;
}

int DefaultFlags(FileKind renderer) {
    const TListSettings defaults;
    return renderer == FileKind::Drawing ? SetOption2(defaults) : SetOption(defaults);
}

Thumbnail RenderThumbnail(const ThumbnailRequest& request) {
    Thumbnail out;
    QImage image(request.size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        RasterCanvas canvas(image);
        canvas.SetLogPixels(request.dpi, request.dpi);
        const TRect rect{0, 0, request.size.width(), request.size.height()};
        if (request.renderer == FileKind::Drawing) {
            TJwcInfo info;
            out.result = DrawJwc(canvas, request.file, rect, request.flags, info);
        } else {
            out.result = DrawJwk(canvas, request.file, rect, request.flags);
        }
    }
    out.image = request.trueColor ? image : Packed16Image::FromImage(image).ToImage();
    return out;
}

} // namespace plavik::tool
