// What every export shares: layer names, colours, line types and the texts of a stream's entities.
#pragma once

#include "render/jwwdocument.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plavik {

// The name of a layer in the outputs: group and layer as jw_cad numbers them, "0-2", followed by the
// file's name for the layer when it has one ("0-2 壁").
QString LayerLabel(const JwwDocument& doc, int group, int layer);

// The AutoCAD colour index nearest to a jw_cad pen colour number as jw_cad shows it.
int AciOfPen(int pen);
// The AutoCAD colour index nearest to an RGB colour (0x00BBGGRR), among the first nine.
int AciOfRgb(std::uint32_t bgr);

// The name of a jw_cad line type 2 .. 9 as the outputs name it ("JW_DOT1"), empty for solid lines.
std::string_view LineTypeName(int style);
// The pattern of line type 2 .. 9 in millimetres: dash, gap, dash, gap ...; empty for solid lines.
std::vector<double> LineTypePattern(int style);

} // namespace plavik

namespace plavik {

// No export writes more than this to one file; what would go beyond is left out, with a message.
inline constexpr std::size_t kMaxExportBytes = std::size_t{64} << 20;

// An export's bytes, and whether entities were left out to keep within its limit.
struct ExportBytes {
    std::string bytes;
    bool cut = false;
};

} // namespace plavik
