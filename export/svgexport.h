// SVG files of a stream of entities.
#pragma once

#include "export/exportstyle.h"
#include "render/entitystream.h"

namespace plavik {

// What the stream shows as an SVG picture of its sheet (or of what is drawn, for figures), in
// millimetres: a <g> per layer group holding a <g> per layer, strokes with their dash patterns,
// texts as <text>. Entities beyond limit bytes are left out (cut true), the picture still whole.
ExportBytes ExportSvg(EntityStream& stream, std::size_t limit = kMaxExportBytes);

} // namespace plavik
