// What the tests of the .jws and .jww renderer share: a figure whose box maps millimetres onto the
// pixels of a 101-pixel square one to one, a palette of distinct colours, and the draw call of
// either kind.
#pragma once

#include "support/jwwwriter.h"
#include "support/recordingcanvas.h"

#include "render/jww.h"

#include <vector>

namespace plavik::test {

inline constexpr Palette kJwwColors = {0xB0, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19};
inline constexpr TRect k101{0, 0, 101, 101};

// A figure whose box maps x to X = 50 + x and y to Y = 50 - y in k101.
inline JwwWriter Square() {
    return JwwWriter::Figure().Box(-50, -50, 50, 50);
}

// Draws a figure with kJwwColors or a drawing, whichever the writer holds.
inline int Draw(RecordingCanvas& canvas, const JwwWriter& w, const TRect& rect = k101, int flags = 0) {
    const std::vector<std::uint8_t> bytes = w.Bytes();
    return IsJwsData(bytes) ? DrawJwsData(canvas, bytes, rect, flags, kJwwColors)
                            : DrawJwwData(canvas, bytes, rect, flags);
}

} // namespace plavik::test
