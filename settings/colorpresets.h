// The three colour presets of the settings dialog's colour page.
#pragma once

#include "render/canvas.h"

#include <array>

namespace plavik {

// One colour per swatch, in swatch order: Pen1..Pen6, Back, Text, Pos (Border has no swatch).
using SwatchColors = std::array<COLORREF, 9>;

// "白黒設定": everything black on white.
inline constexpr SwatchColors kMonochromePreset = {0x000000, 0x000000, 0x000000, 0x000000, 0x000000,
                                                   0x000000, 0xFFFFFF, 0x000000, 0x000000};
// "カラー設定": dark pens on white, red reference point.
inline constexpr SwatchColors kColourPreset = {0x808000, 0x808080, 0x008000, 0x000080, 0x800000,
                                               0xFF0000, 0xFFFFFF, 0x000000, 0x0000FF};
// "JW_CAD標準色": jw_cad's own bright pens on black.
inline constexpr SwatchColors kJwCadPreset = {0xFFFF00, 0xFFFFFF, 0x00FF00, 0x00FFFF, 0x800080,
                                              0xFF0000, 0x000000, 0xFFFFFF, 0x0000FF};

// The palette index (Back = 0, Pen1..Pen6 = 1..6, Text = 7, Pos = 8) that swatch i (0..8) edits.
constexpr int SwatchPaletteIndex(int swatch) {
    return swatch < 6 ? swatch + 1 : (swatch == 6 ? 0 : swatch);
}

} // namespace plavik
