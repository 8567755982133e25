// The kinds of file list, the formats of the files they take, and the one place that picks the reader
// and renderer of a listed file.
#pragma once

#include "render/bytes.h"
#include "render/canvas.h"
#include "render/palette.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plavik {

// A folder is listed as figures or as drawings.
enum class ListKind { Figures, Drawings };

// The file formats: the old figures and drawings, and today's.
enum class FileFormat { Jwk, Jwc, Jws, Jww };

// What the renderers take besides the canvas and the rectangle.
struct RenderOptions {
    int flags = 0;
    Palette palette = kDefaultJwkColors; // for figures; drawings keep their fixed palette
};

// The extensions a list takes, lower case, without the dot: the kind's old format, and with
// todaysFormats today's too.
std::vector<std::string_view> ListExtensions(ListKind kind, bool todaysFormats);

// A file name's extension without its dot, ASCII letters in lower case.
std::string LowerExtension(const std::filesystem::path& file);

// The kind of list a format belongs to.
ListKind KindOf(FileFormat format);
// A listed file's format by its name: ".jws" and ".jww" in any case are today's formats, anything else
// the kind's old one.
FileFormat FormatOfName(ListKind kind, const std::filesystem::path& file);
// A file's format by its content; nothing when it is none of them.
std::optional<FileFormat> FormatOfContent(const std::filesystem::path& file);

// Draws the file with the renderer of its format into rect. 0: drawn; -1: not a file of that format
// (the renderer's card). A drawing's comment (.jwc) or memo (.jww) goes to comment when it is given.
// Throws the reader's errors for a recognised file that cannot be read; the canvas font is left as it
// was.
int DrawListedFile(Canvas& canvas, FileFormat format, const std::filesystem::path& file, const TRect& rect,
                   const RenderOptions& options, std::string* comment = nullptr);
// The same on a file's bytes.
int DrawListedData(Canvas& canvas, FileFormat format, std::span<const std::uint8_t> data, const TRect& rect,
                   const RenderOptions& options, std::string* comment = nullptr);

// Reads and checks the file as DrawListedFile would, without drawing: same result, same errors.
int CheckListedFile(FileFormat format, const std::filesystem::path& file);
// The same on a file already open; what the check read stays in file.
int CheckListedFile(FileFormat format, FileBytes& file);

// The card of a file that could not be read, over whatever rect holds; the canvas font is kept.
void DrawUnreadableCard(Canvas& canvas, FileFormat format, const TRect& rect);

} // namespace plavik
