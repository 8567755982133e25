// The table of file formats: one row per format, holding all that the front ends know of it (its
// extension, its kind of list, how its content is recognised, its check, its renderer, its card, its
// words and its description). The listing, the open dialog, the quick view, the printouts, the search
// and the command line all read the rows; none of them names a format's functions itself.
#pragma once

#include "render/bytes.h"
#include "render/canvas.h"
#include "render/layermask.h"
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
    // Drawings: the layers to show instead of those the file saved as shown.
    std::optional<LayerMask> layers = std::nullopt;
};

struct FileWords;
struct FileDescription;
struct StreamContents;
struct DrawingLayers;

// What a draw tells besides the picture.
struct DrawnFile {
    std::string comment;        // a drawing's comment (.jwc) or memo (.jww), code page 932 bytes; else empty
    bool complete = true;       // false when the file broke off before all it holds was read: drawn as far as
                                // it goes
    std::string paper;          // a .jww's paper as jw_cad names it ("A3"); empty when not known
    std::vector<double> scales; // a .jww's scale denominators (JwwInfo::scales)
};

struct FormatRow {
    FileFormat format;
    std::string_view extension; // lower case, without the dot
    ListKind kind;
    bool todays; // one of today's formats, listed beside the kind's old one when asked for
    // True when a file's first bytes (as many as kRecognitionPrefix, fewer for a short file) are of
    // this format.
    bool (*recognises)(std::span<const std::uint8_t> start);
    // Reads and checks the file without drawing: 0 when it is one, -1 when not; throws the reader's
    // errors for a recognised file that cannot be read.
    int (*check)(FileBytes& file);
    // Draws the file into rect: 0 drawn, -1 not a file of the format. What else the draw tells goes to
    // drawn when it is given. Throws as check does.
    int (*drawFile)(Canvas& canvas, const std::filesystem::path& file, const TRect& rect,
                    const RenderOptions& options, DrawnFile* drawn);
    int (*drawData)(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect,
                    const RenderOptions& options, DrawnFile* drawn);
    std::string_view notFileCard; // the words of the card drawn for a file that is not one
    // The memo and texts of a recognised file, for the search.
    void (*readWords)(FileBytes& file, FileWords& words);
    // What a recognised file holds, for the command line's info.
    FileDescription (*describe)(const std::filesystem::path& file);
    // Render flags a printout leaves out: jw_cad never prints the auxiliary (construction) lines of
    // today's figures and drawings; the old formats keep the list's choice.
    int unprintedFlags;
    // What the entity stream holds of a recognised file (EntityStream::Open). Throws as check does.
    void (*readStream)(FileBytes& file, StreamContents& out);
    // A drawing's layer groups and layers as saved; null for figures. Throws for a header that cannot
    // be read.
    std::optional<DrawingLayers> (*readLayers)(std::span<const std::uint8_t> data);
    // The sheet in millimetres that a print at true scale is made on: false when the file does not
    // tell it; null for formats that never do. Throws for a header that cannot be read.
    bool (*trueSheet)(std::span<const std::uint8_t> data, double& width, double& height);
    // What a drawing calls the note it keeps ("【メモ】"), UTF-8; empty for figures.
    std::string_view noteTitle;
};

// The rows, the old formats first.
std::span<const FormatRow> Formats();
const FormatRow& RowOf(FileFormat format);

// Bytes a recognition reads: enough for every row.
inline constexpr std::size_t kRecognitionPrefix = 204;

// A file name's extension without its dot, ASCII letters in lower case.
std::string LowerExtension(const std::filesystem::path& file);
// The row of a name's extension; null when no format has it.
const FormatRow* RowOfName(const std::filesystem::path& name);
// The row of a file's format by its first bytes alone; null when no row recognises them.
const FormatRow* RowOfContent(std::span<const std::uint8_t> start);
std::optional<FileFormat> FormatOfContent(const std::filesystem::path& file);
// The row of a file's format by its content first and its name's extension second; null when neither
// tells.
const FormatRow* RecogniseFile(FileBytes& file, const std::filesystem::path& name);
const FormatRow* RecogniseFile(const std::filesystem::path& file);
// The same, with the old format of kind when neither tells (its renderer then draws the card).
FileFormat FormatOfFile(FileBytes& file, const std::filesystem::path& name, ListKind kind);
FileFormat FormatOfFile(const std::filesystem::path& file, ListKind kind);

// The kind of list a format belongs to.
ListKind KindOf(FileFormat format);
// The extensions a list takes, lower case, without the dot: the kind's old format, and with
// todaysFormats today's too.
std::vector<std::string_view> ListExtensions(ListKind kind, bool todaysFormats);
// Every format's extension: what a scan of a folder looks for.
std::vector<std::string_view> AllExtensions();
// "図形ﾌｧｲﾙ" or "図面ﾌｧｲﾙ", UTF-8.
std::string_view KindFileName(ListKind kind);

// A file type of the open dialog, as it names itself: "jw_cad図形ﾌｧｲﾙ(*.jws *.jwk)".
struct OpenFileType {
    ListKind kind;
    bool todaysFormats;
    std::string label; // UTF-8
};
// The old formats alone, drawings then figures; then the same with today's beside them.
std::vector<OpenFileType> OpenFileTypes();

// Draws the file with the renderer of its format into rect, as FormatRow::drawFile does; the canvas
// font is left as it was.
int DrawListedFile(Canvas& canvas, FileFormat format, const std::filesystem::path& file, const TRect& rect,
                   const RenderOptions& options, DrawnFile* drawn = nullptr);
// The same on a file's bytes.
int DrawListedData(Canvas& canvas, FileFormat format, std::span<const std::uint8_t> data, const TRect& rect,
                   const RenderOptions& options, DrawnFile* drawn = nullptr);

// The options a printout draws a file of the format with: the row's unprinted flags left out.
RenderOptions PrintedOptions(FileFormat format, RenderOptions options);

// Reads and checks the file as DrawListedFile would, without drawing: same result, same errors.
int CheckListedFile(FileFormat format, const std::filesystem::path& file);
// The same on a file already open; what the check read stays in file.
int CheckListedFile(FileFormat format, FileBytes& file);

// The card of a file that could not be read, over whatever rect holds; the canvas font is kept.
void DrawUnreadableCard(Canvas& canvas, FileFormat format, const TRect& rect);

// The mark over a file drawn only as far as it goes (DrawnFile::complete false): a red frame at the
// edge of rect. The pen is left red.
void DrawBrokenOffMark(Canvas& canvas, const TRect& rect);
// What a list says of such a file.
inline constexpr const char* kBrokenOffMessage =
    "ファイルが途中で切れているか壊れています。読めたところまでを表示しました";

} // namespace plavik
