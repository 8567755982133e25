// Drawing one file into a fresh image, as the list's thumbnails are drawn.
#pragma once

#include "commandline.h"
#include "render/palette.h"

#include <QImage>
#include <QSize>

#include <filesystem>

namespace plavik::tool {

enum class FileKind { Figure, Drawing, Unknown };

// The kind of a file by its content (the magic), whatever its name.
FileKind KindOfContent(const std::filesystem::path& file);
// The renderer to use for a file: by content, else by the extension (".jwc" in any case suggests a
// drawing, anything else a figure).
FileKind RendererFor(const std::filesystem::path& file, FileKind contentKind);

// The thumbnail sizes of the default settings: IconSize square for figures, IconSize2 wide and
// IconSize2 / sqrt(2) high for drawings.
QSize DefaultThumbnailSize(FileKind renderer);
// The thumbnailer's size: `longer` square for figures, longer x Round(longer / sqrt(2)) for drawings.
QSize ThumbnailerSize(FileKind renderer, int longer);

// The figure palette of the default settings, with a colour preset of the settings dialog applied.
Palette FigurePalette(ColorChoice choice);
// The option flags of the default settings for a renderer.
int DefaultFlags(FileKind renderer);

struct ThumbnailRequest {
    std::filesystem::path file;
    FileKind renderer = FileKind::Figure;
    QSize size;
    int flags = 0;
    int dpi = 96;
    bool trueColor = false; // keep the canvas's pixels instead of the 16 system colours
};

struct Thumbnail {
    QImage image;
    int result = 0; // the renderer's: 0 drawn, -1 not a file of its kind
};

// Draws the file into (0, 0, width, height) of a fresh RGB32 image with the palette already set.
// Throws the reader's errors for a recognised file that cannot be read.
Thumbnail RenderThumbnail(const ThumbnailRequest& request);

} // namespace plavik::tool
