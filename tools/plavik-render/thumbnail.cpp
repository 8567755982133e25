#include "thumbnail.h"

#include "listing/folderlisting.h"
#include "platform/rastercanvas.h"
#include "platform/systemcolors.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "settings/colorpresets.h"
#include "settings/listsettings.h"
#include "settings/options.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace plavik::tool {

QSize DefaultThumbnailSize(FileFormat renderer) {
    const TListSettings defaults;
    return ThumbnailerSize(renderer,
                           KindOf(renderer) == ListKind::Figures ? defaults.IconSize : defaults.IconSize2);
}

QSize ThumbnailerSize(FileFormat renderer, int longer) {
    return ThumbnailSize(KindOf(renderer), longer).expandedTo(QSize(1, 1));
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

int DefaultFlags(FileFormat renderer) {
    return RenderOptionsFor(KindOf(renderer), TListSettings{}).flags;
}

Thumbnail RenderThumbnail(const ThumbnailRequest& request) {
    Thumbnail out;
    QImage image(request.size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        RasterCanvas canvas(image);
        canvas.SetLogPixels(request.dpi, request.dpi);
        const TRect rect{0, 0, request.size.width(), request.size.height()};
        out.result = DrawListedFile(canvas, request.renderer, request.file, rect, request.options);
    }
    out.image = request.trueColor ? image : Packed16Image::FromImage(image).ToImage();
    return out;
}

} // namespace plavik::tool
