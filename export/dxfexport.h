// DXF files of a stream of entities, written through dxflib.
#pragma once

#include "export/exportstyle.h"
#include "render/entitystream.h"

namespace plavik {

// AutoCAD 2000 (AC1015) with every character of a text beyond ASCII as a \U+XXXX escape, which every
// reader takes whatever its code page; or R12 (AC1009) with code page 932 texts, for jw_cad and older
// readers. Both are marked code page 932 ($DWGCODEPAGE ANSI_932), the code page of the layer names.
enum class DxfVersion { R2000, R12 };

// The stream as a DXF file in paper millimetres: a layer per layer group and layer that holds
// something (those hidden in the file are off), jw_cad's line types with their dash patterns, the
// pens as AutoCAD colour indexes, block definitions with their references. jw_cad's setting records
// are left out. Entities beyond limit bytes are left out (cut true), the file still whole.
ExportBytes ExportDxf(EntityStream& stream, DxfVersion version, std::size_t limit = kMaxExportBytes);

} // namespace plavik
