// jw_cad figure files (.jwk): recognition, reading and drawing.
#pragma once

#include "render/bytes.h"
#include "render/canvas.h"
#include "render/palette.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace plavik {

struct TJwkLine {
    float x1, y1, x2, y2;
    std::uint8_t lineType, color;
};

struct TJwkArc {
    float cx, cy, radius;
    std::int16_t flatness;                   // minor / major x 10000; <= 0 is a circle
    std::int32_t startAngle, endAngle, tilt; // degrees x 65536
    std::uint8_t lineType, color;
};

struct TJwkPoint {
    float x, y;
    std::uint8_t color;
};

struct TJwkText {
    float x1, y1, x2, y2;
};

struct JwkHeader {
    std::int32_t lineCount = 0, arcCount = 0, pointCount = 0, textCount = 0;
    float originX = 0, originY = 0, scale = 0;
};

struct JwkFigure {
    JwkHeader header;
    std::vector<TJwkLine> lines;
    std::vector<TJwkArc> arcs;
    std::vector<TJwkPoint> points;
    std::vector<TJwkText> texts;
    std::vector<std::string> strings; // one per text record (code page 932 bytes); missing ones empty
};

// Option flags of DrawJwk.
enum JwkFlags { kJwkBorder = 1, kJwkText = 2, kJwkAuxLines = 4, kJwkRefPoint = 8 };

// True when the bytes start with the figure magic and hold at least 40 bytes.
bool IsJwkData(std::span<const std::uint8_t> data);

// Parses the 400-byte header. Throws ReadError or ConvertError.
JwkHeader ReadJwkHeader(std::span<const std::uint8_t> data);
// Parses a whole recognised figure file. Throws ReadError (FileTooLargeError beyond kMaxFileBytes) or
// ConvertError.
JwkFigure ReadJwk(std::span<const std::uint8_t> data);

// Draws the figure file into rect of canvas. 0: drawn; -1: not a figure file (the "Not JWK File" card).
// Throws ReadError or ConvertError for a recognised file that cannot be read, FileTooLargeError for one
// beyond kMaxFileBytes (found from the file's size, before anything is read or drawn). Leaves the
// canvas font as it found it. Draws no more than a budget of work that grows with rect (DrawBudget).
// The colours come from palette, which the caller owns for the call.
int DrawJwk(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
            const Palette& palette = kDefaultJwkColors);
// The same on a file's bytes.
int DrawJwkData(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags,
                const Palette& palette = kDefaultJwkColors);
// Reads and checks the figure file as DrawJwk does, without drawing: 0 when DrawJwk would draw it,
// -1 when it is not a figure file; throws what DrawJwk would throw.
int CheckJwk(const std::filesystem::path& fileName);
// The same on a file already open.
int CheckJwk(FileBytes& file);

} // namespace plavik
