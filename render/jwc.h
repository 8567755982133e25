// jw_cad drawing files (.jwc): recognition, reading and drawing.
#pragma once

#include "render/bytes.h"
#include "render/canvas.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace plavik {

struct TJwcLine {
    float x1, y1, x2, y2;
    std::uint8_t lineType, color, layer;
};

struct TJwcArc {
    float cx, cy, radius;
    std::int16_t flatness;
    std::int32_t startAngle, endAngle, tilt;
    std::uint8_t lineType, color, layer;
};

struct TJwcText {
    float x1, y1, x2, y2;
    std::uint8_t layer;
};

struct TJwcPoint {
    float x, y;
    std::uint8_t layer, color;
};

enum class JwcVariant { Long, Short };

struct JwcHeader {
    std::string comment; // 64 bytes, NULs turned into spaces (code page 932)
    std::int32_t lineCount = 0, arcCount = 0, textCount = 0, pointCount = 0;
    std::int32_t textStart = 0, textEnd = 0;
    JwcVariant variant = JwcVariant::Long;
    std::array<std::uint8_t, 256> layerFlags{}; // after the group masking; 1 = shown
};

struct JwcDrawing {
    JwcHeader header;
    std::vector<TJwcLine> lines;
    std::vector<TJwcArc> arcs;
    std::vector<TJwcText> texts;
    std::vector<std::string> strings; // one per text record; missing ones empty
    std::vector<TJwcPoint> points;
};

// What DrawJwc hands back beside its result.
struct TJwcInfo {
    std::string Comment; // exactly 64 bytes once the header has been read, else empty
    std::int32_t LineCount = 0, ArcCount = 0, TextCount = 0, PointCount = 0;
};

// Option flags of the drawing renderers (.jwc and .jww). kJwcFitContent shows what is drawn on the
// shown layers (ContentExtent) instead of the whole sheet; an empty drawing keeps its sheet.
// kJwcScreenPens and kJwcPrinterPens draw a .jww in the colours of its own screen or printer pens
// (on white) instead of black.
enum JwcFlags {
    kJwcBorder = 1,
    kJwcText = 2,
    kJwcBaseLines = 4,
    kJwcAuxLines = 8,
    kJwcFitContent = 16,
    kJwcScreenPens = 32,
    kJwcPrinterPens = 64,
};

inline constexpr int kJwcHeaderSize = 2421;

bool IsJwcData(std::span<const std::uint8_t> data);

// Parses the header (the first 2421 bytes). Throws ReadError or ConvertError.
JwcHeader ReadJwcHeader(std::span<const std::uint8_t> data);
// Parses a whole recognised drawing file. Throws ReadError (FileTooLargeError beyond kMaxFileBytes) or
// ConvertError.
JwcDrawing ReadJwc(std::span<const std::uint8_t> data);

// Parses the header as above, copying the comment into info as soon as it is read and the four counts
// once both text fields are parsed and found sound.
JwcHeader ReadJwcHeader(std::span<const std::uint8_t> data, TJwcInfo& info);
// Bytes from the start of the file to the end of the last point record, as the header announces.
std::uint64_t JwcEntityEnd(const JwcHeader& header);
// Reads the entity area that header announces from the whole file's bytes. Throws ReadError, before
// anything is allocated, when the blocks run past the end of the data.
JwcDrawing ReadJwcEntities(std::span<const std::uint8_t> data, const JwcHeader& header);

// Draws the drawing file into rect of canvas and fills info. 0: drawn; -1: not a drawing file (the
// "Not JWC File" card, info empty). Throws for a recognised file that cannot be read; info may then
// hold the comment. A file beyond kMaxFileBytes throws FileTooLargeError before anything is read or
// drawn. Leaves the canvas font as it found it. Draws no more than a budget of work that grows with
// rect (DrawBudget).
int DrawJwc(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
            TJwcInfo& info);
int DrawJwcData(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags,
                TJwcInfo& info);
// Reads and checks the drawing file as DrawJwc does, without drawing: 0 when DrawJwc would draw it,
// -1 when it is not a drawing file; throws what DrawJwc would throw.
int CheckJwc(const std::filesystem::path& fileName);
// The same on a file already open.
int CheckJwc(FileBytes& file);

} // namespace plavik
