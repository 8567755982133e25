// Every user setting of the program, one field per stored value.
#pragma once

#include "render/palette.h"

#include <cstdint>

namespace plavik {

// The thumbnail edges (IconSize, IconSize2) the program draws: smaller ones show nothing of a drawing,
// larger ones take minutes and gigabytes for a folder. Loading clamps to them, the dialog refuses others.
inline constexpr std::int32_t kMinThumbnailSize = 16;
inline constexpr std::int32_t kMaxThumbnailSize = 512;

struct TListSettings {
    bool ViewToolBar = true;
    bool ViewStatusBar = true;
    bool ViewQuickView = true;
    // Back, Pen1..Pen6, Text, Pos, Border: handed whole to the figure palette.
    Palette Colors = {0x00FFFFFF, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::int32_t MarginLeft = 20;
    std::int32_t MarginTop = 20;
    std::int32_t MarginRight = 20;
    std::int32_t MarginBottom = 20;
    std::int32_t IconSize = 48;
    std::int32_t ImageSize = 20;
    bool UnKnownJwk = false;
    bool prFileName = true;
    bool prFileSize = true;
    bool prFileDate = true;
    bool prBorder = true;
    bool prText = true;
    bool prPos = true;
    bool prAddLine = true;
    std::int32_t SpaceR = 2;
    std::int32_t SpaceB = 2;
    std::int32_t IconSize2 = 100;
    std::int32_t ImageSize2 = 40;
    bool UnKnownJwc = false;
    bool prcFileName = true;
    bool prcComment = true;
    bool prcFileSize = true;
    bool prcFileDate = true;
    bool prcBorder = true;
    std::int32_t prcTextMode = 2; // 1 not shown, 2 base lines, 3 characters
    bool prcAddLine = true;
    bool prcFitContent = false; // drawings show what is drawn on their shown layers, not the whole sheet
    std::int32_t SpaceR2 = 5;
    std::int32_t SpaceB2 = 5;
    bool PageHeader = false; // each sheet begins with the folder's title, its path and the page number

    COLORREF& Back() { return Colors[kBack]; }
    COLORREF& Pen(int n) { return Colors[n]; } // n = 1..6
    COLORREF& Text() { return Colors[kText]; }
    COLORREF& Pos() { return Colors[kPos]; }
    COLORREF& Border() { return Colors[kBorder]; }
};

} // namespace plavik
