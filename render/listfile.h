// The kinds of file list and the one place that picks the reader and renderer of a listed file.
#pragma once

#include "render/canvas.h"
#include "render/jwc.h"
#include "render/palette.h"

#include <filesystem>
#include <string_view>

namespace plavik {

// A folder is listed as figures or as drawings.
enum class ListKind { Figures, Drawings };

// What the renderers take besides the canvas and the rectangle.
struct RenderOptions {
    int flags = 0;
    Palette palette = kDefaultJwkColors; // for figures; drawings keep their fixed palette
};

// The extension of the kind's files, lower case, without the dot.
std::string_view ListExtension(ListKind kind);

// Draws the file with the renderer of the list's kind into rect. 0: drawn; -1: not a file of that kind
// (the renderer's card). A drawing's comment and counts go to info when it is given. Throws the
// reader's errors for a recognised file that cannot be read; the canvas font is left as it was.
int DrawListedFile(Canvas& canvas, ListKind kind, const std::filesystem::path& file, const TRect& rect,
                   const RenderOptions& options, TJwcInfo* info = nullptr);

// The same on the file's bytes.
int DrawListedData(Canvas& canvas, ListKind kind, std::span<const std::uint8_t> data, const TRect& rect,
                   const RenderOptions& options);

// Reads and checks the file as DrawListedFile would, without drawing: same result, same errors. The
// file's size and time go to stamp when it is given; when whole is given and the check read the file to
// its end, its bytes go there, so that drawing needn't read them again.
int CheckListedFile(ListKind kind, const std::filesystem::path& file, FileStamp* stamp = nullptr,
                    Bytes* whole = nullptr);

// The card of a file that could not be read, over whatever rect holds; the canvas font is kept.
void DrawUnreadableCard(Canvas& canvas, ListKind kind, const TRect& rect);

} // namespace plavik
