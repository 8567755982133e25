// Pieces of the figure reader that the renderer uses to read a file in two steps: the header first,
// then the record sections and the text pool.
#pragma once

#include "render/bytecursor.h"
#include "render/bytes.h"
#include "render/jwk.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace plavik {

inline constexpr std::size_t kJwkHeaderSize = 400;
inline constexpr std::size_t kJwkLineSize = 22;
inline constexpr std::size_t kJwkArcSize = 32;
inline constexpr std::size_t kJwkPointSize = 12;
inline constexpr std::size_t kJwkTextSize = 24;

// The most of the text pool that is read: strings beyond it are drawn empty.
inline constexpr std::size_t kJwkMaxTextPool = std::size_t{64} << 20;

// Bytes of the four record sections. Throws ReadError for a negative count. Never overflows: each
// count is below 2^31, so the sum stays below 2^38.
std::uint64_t JwkSectionBytes(const JwkHeader& header);

// How many bytes of the file the figure needs at most: header, sections and as much of the pool as
// is read (nothing of it when there are no texts). Throws ReadError for a negative count.
std::uint64_t JwkBytesNeeded(const JwkHeader& header);

// One record of each section from the cursor. Throws ReadError when the record is cut.
TJwkLine ReadJwkLine(ByteCursor& c);
TJwkArc ReadJwkArc(ByteCursor& c);
TJwkPoint ReadJwkPoint(ByteCursor& c);
TJwkText ReadJwkText(ByteCursor& c);

// Reads the record sections and the text pool that follow the header in a whole file's bytes (or its
// first JwkBytesNeeded bytes). Throws ReadError when a section runs past the end of the bytes.
void ReadJwkBody(const JwkHeader& header, std::span<const std::uint8_t> file, JwkFigure& figure);
// A whole recognised file's header, records and texts. Throws FileTooLargeError beyond the largest
// file, ReadError as ReadJwkBody does.
JwkFigure ReadJwkFigure(FileBytes& file);

} // namespace plavik
