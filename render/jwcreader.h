// Pieces of the drawing reader that the renderer uses to draw a file straight from its bytes: where
// the entity blocks lie and how one record of each is read.
#pragma once

#include "render/bytecursor.h"
#include "render/bytes.h"
#include "render/jwc.h"

#include <cstddef>
#include <cstdint>

namespace plavik {

inline constexpr std::size_t kJwcLineSize = 22;
inline constexpr std::size_t kJwcArcSize = 32;
inline constexpr std::size_t kJwcTextSize = 24;
inline constexpr std::size_t kJwcPointSize = 12;

// Offsets of the entity blocks in the file, as the header announces them; end is where the last point
// record ends. Throws ReadError for counts or text bounds that cannot describe any file.
struct JwcLayout {
    explicit JwcLayout(const JwcHeader& header);
    std::uint64_t lines, arcs, texts, pool, points, end;
};

// One record of each block from the cursor. Throws ReadError when the record is cut.
TJwcLine ReadJwcLine(ByteCursor& cursor);
TJwcArc ReadJwcArc(ByteCursor& cursor);
TJwcText ReadJwcText(ByteCursor& cursor);
TJwcPoint ReadJwcPoint(ByteCursor& cursor);

// A whole recognised file's records and texts, its header in header. Throws FileTooLargeError beyond
// the largest file, ReadError when the records run past the end of the file.
JwcDrawing ReadJwcDrawing(FileBytes& file, JwcHeader& header);

} // namespace plavik
