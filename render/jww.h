// jw_cad figure files (.jws) and drawing files (.jww) of today's versions: recognition, reading and
// drawing.
#pragma once

#include "render/bytes.h"
#include "render/canvas.h"
#include "render/errors.h"
#include "render/layermask.h"
#include "render/palette.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plavik {

enum class JwwKind { Figure, Drawing }; // .jws, .jww

// A drawing's layer groups and layers as the file saved them. A layer is drawn when its group and
// itself are both on.
struct JwwLayers {
    std::uint16_t groupOn = 0;               // bit g: group g is not hidden
    std::array<std::uint16_t, 16> layerOn{}; // bit l of layerOn[g]: layer l of group g is not hidden
    std::array<std::string, 16> groupNames;  // code page 932 bytes as in the file; often empty
    std::array<std::array<std::string, 16>, 16> layerNames; // [group][layer], the same
};

// A pen of a drawing: its colour and width as the file stores them (screen pens: pixels; printer
// pens: 1/100 mm when the header's largest line width is -101, else steps of jw_cad's own).
struct JwwPen {
    COLORREF color = 0;
    std::uint32_t width = 0;
};

// A drawing's own pens for colour numbers 1..9 (index 0 is jw_cad's background colour), and from
// version 4.20 on the SXF colours 100..356 (index colour - 100), screen pens only.
struct JwwPens {
    std::array<JwwPen, 10> screen{};
    std::array<JwwPen, 10> printer{};
    std::vector<COLORREF> sxf;
};

// What the draw and check calls tell of a file besides their result.
struct JwwInfo {
    JwwKind kind = JwwKind::Figure;
    std::uint32_t version = 0;
    std::string memo;        // drawings: the memo, code page 932 bytes as in the file (CR LF kept)
    std::uint32_t paper = 0; // drawings: 0..4 = A0..A4, other codes larger sheets
    int shownLayers = 0;     // drawings: layers (of 16 x 16) whose group and layer are both shown
    // Drawings: the scale denominators (100 is 1/100) of the groups that hold a shown entity, each
    // once, in group order; scales that are not positive numbers are left out.
    std::vector<double> scales;
    JwwLayers layers;      // drawings
    JwwPens pens;          // drawings
    double extent[4] = {}; // figures: the box stored in the header (min x, min y, max x, max y)
    // Objects of the top-level entity list by class, and the block definitions.
    int lines = 0, arcs = 0, points = 0, texts = 0, solids = 0, blocks = 0, dimensions = 0,
        blockDefinitions = 0;
    // The strings of the top-level texts (not those of dimensions), in file order, code page 932 bytes;
    // kept only with withTexts, which the caller sets and a read leaves as it was.
    std::vector<std::string> textStrings;
    bool withTexts = true;
    bool complete = true; // false when the read stopped early: an unknown class, a cut or corrupt stream
};

// Bytes each recognition needs: the figure's version lies at offset 200, the drawing's at 8.
inline constexpr std::size_t kJwsRecognitionBytes = 204;
inline constexpr std::size_t kJwwRecognitionBytes = 12;
// Larger files are refused with FileTooLargeError.
inline constexpr std::uint64_t kMaxJwwFileBytes = kMaxFileBytes;

// The name jw_cad gives a drawing's paper code: "A0".."A4" for 0..4, "2A".."5A", "10m", "50m",
// "100m" for 8..14; empty for any other code.
std::string_view JwwPaperName(std::uint32_t paper);

// The sheet of a drawing's paper code in millimetres, landscape: A0..A4 for 0..4. False for the codes
// whose sheets are not known (a drawing of those is fitted to what it holds).
bool JwwSheetSize(std::uint32_t paper, double& width, double& height);
// The sheet of a drawing's bytes, as JwwSheetSize; false too for bytes that are not a drawing. Throws
// for a header that cannot be read.
bool ReadJwwSheetSize(std::span<const std::uint8_t> data, double& width, double& height);

// "JwsData." and a version of 200..1000 at offset 200.
bool IsJwsData(std::span<const std::uint8_t> data);
// "JwwData." and a version of 200..1000 at offset 8.
bool IsJwwData(std::span<const std::uint8_t> data);

// Draws the figure into rect with the palette's colours and fills info when given. 0: drawn; -1: not a
// figure file of this kind (the "Not JWS File" card). Throws ReadError (FileTooLargeError beyond
// 64 MiB) when the header cannot be read, before anything is drawn; a stream that fails after the
// header draws what was read, with info->complete false. The canvas font is given back.
int DrawJws(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
            const Palette& palette = kDefaultJwkColors, JwwInfo* info = nullptr);
int DrawJwsData(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags,
                const Palette& palette = kDefaultJwkColors, JwwInfo* info = nullptr);
// The same for drawings, black on white, shown layers only ("Not JWW File" card). With layers, those
// layers are shown instead of the ones the file saved as shown.
int DrawJww(Canvas& canvas, const std::filesystem::path& fileName, const TRect& rect, int flags,
            JwwInfo* info = nullptr, const LayerMask* layers = nullptr);
int DrawJwwData(Canvas& canvas, std::span<const std::uint8_t> data, const TRect& rect, int flags,
                JwwInfo* info = nullptr, const LayerMask* layers = nullptr);

// Read and check the file as the draw calls do, without drawing: same result, same errors. The file's
// size and time go to stamp when it is given.
int CheckJws(const std::filesystem::path& fileName, FileStamp* stamp = nullptr, JwwInfo* info = nullptr);
int CheckJww(const std::filesystem::path& fileName, FileStamp* stamp = nullptr, JwwInfo* info = nullptr);
// The same on a file already open.
int CheckJws(FileBytes& file);
int CheckJww(FileBytes& file);

} // namespace plavik
