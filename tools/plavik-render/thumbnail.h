// Drawing one file into a fresh image, as the list's thumbnails are drawn.
#pragma once

#include "commandline.h"
#include "render/formats.h"

#include <QImage>
#include <QSize>

#include <filesystem>

namespace plavik::tool {


// The thumbnail size of the default settings for a renderer (IconSize or IconSize2).
QSize DefaultThumbnailSize(FileFormat renderer);
// The thumbnailer's size: `longer` square for figures, longer x Round(longer / sqrt(2)) for drawings,
// at least one pixel high.
QSize ThumbnailerSize(FileFormat renderer, int longer);

// The figure palette of the default settings, with a colour preset of the settings dialog applied.
Palette FigurePalette(ColorChoice choice);
// The option flags of the default settings for a renderer.
int DefaultFlags(FileFormat renderer);

struct ThumbnailRequest {
    std::filesystem::path file;
    FileFormat renderer = FileFormat::Jwk;
    QSize size;
    RenderOptions options;
    int dpi = 96;
    bool trueColor = false; // keep the canvas's pixels instead of the 16 system colours
};

struct Thumbnail {
    QImage image;
    int result = 0; // the renderer's: 0 drawn, -1 not a file of its kind
};

// Draws the file into (0, 0, width, height) of a fresh RGB32 image. Throws the reader's errors for a
// recognised file that cannot be read.
Thumbnail RenderThumbnail(const ThumbnailRequest& request);

} // namespace plavik::tool
