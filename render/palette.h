// The ten-colour palettes of the figure and drawing renderers.
#pragma once

#include "render/canvas.h"

#include <array>

namespace plavik {

// Back, Pen1..Pen6, Text, Pos, Border.
using Palette = std::array<COLORREF, 10>;

enum PaletteIndex { kBack = 0, kPen1 = 1, kText = 7, kPos = 8, kBorder = 9 };

// The figure renderer's palette until the settings arrive: white background, everything else black.
inline constexpr Palette kDefaultJwkColors = {0x00FFFFFF, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// The drawing renderer's fixed palette: white background, everything else black.
inline constexpr Palette JwcColors = {0x00FFFFFF, 0, 0, 0, 0, 0, 0, 0, 0, 0};

} // namespace plavik
