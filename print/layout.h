// Placement of the printed cells: device quantities in, picture rectangles and page breaks out.
#pragma once

#include "render/canvas.h"
#include "settings/listsettings.h"

#include <cstddef>
#include <cstdint>

namespace plavik {

// What the printer reports: resolution, paper size and the unprintable offsets, in device units.
struct DeviceMetrics {
    int logPixelsX = 96;
    int logPixelsY = 96;
    int physicalWidth = 0;
    int physicalHeight = 0;
    int physicalOffsetX = 0;
    int physicalOffsetY = 0;
};

// One kind of list's cell and page geometry, in whole millimetres.
struct CellGeometry {
    std::int64_t imageWidth = 0;
    std::int64_t imageHeight = 0;
    std::int64_t spaceR = 0;
    std::int64_t spaceB = 0;
    std::int64_t marginLeft = 0;
    std::int64_t marginTop = 0;
    std::int64_t marginRight = 0;
    std::int64_t marginBottom = 0;
};

// Square pictures of ImageSize.
CellGeometry FigureCells(const TListSettings& settings);
// Landscape pictures ImageSize2 wide, in the paper's 1 : square root of 2 proportion.
CellGeometry DrawingCells(const TListSettings& settings);
// Round(width / 1.414213562) in whole millimetres: 40 gives 28.
std::int64_t DrawingPictureHeightMm(std::int64_t widthMm);

// Whole millimetres to device units at a resolution: Round(mm / 25.4 x dpi), saturated.
int MmToDevice(std::int64_t mm, int dpi);

// Every device quantity of one printout. Origins, pitches and limits are kept in 64 bits so that
// absurd settings cannot overflow while cells are stepped.
struct PageLayout {
    int pictureWidth = 0;
    int pictureHeight = 0;
    int textWidth = 0;  // the width kept free for the captions
    int textOffset = 0; // gap between picture and captions
    int lineHeight = 0;
    std::int64_t columnPitch = 0;
    std::int64_t rowPitch = 0;
    std::int64_t leftOrigin = 0;
    std::int64_t topOrigin = 0;
    std::int64_t rightLimit = 0;
    std::int64_t bottomLimit = 0;
    // The page header's band: from the top margin down to the first row, between the side margins.
    std::int64_t headerTop = 0;
    std::int64_t headerLeft = 0;
    std::int64_t headerRight = 0;
};

// Computes the layout from the cell geometry, the device and the caption font's measures. A page
// header of headerHeight device units (0: none) takes the top of the area within the margins: the
// first row moves down by it, the bottom limit stays.
PageLayout ComputeLayout(const CellGeometry& cell, const DeviceMetrics& device, int textWidth, int lineHeight,
                         int headerHeight = 0);

// The height of a page header of one line: the line and a gap of 3 mm holding a rule under it.
int HeaderHeight(int lineHeight, int dpiY);

// How many sheets `cells` cells take (one at least: a printout always begins a sheet).
int SheetCount(const PageLayout& layout, std::size_t cells);

// Where one file goes.
struct CellPlace {
    TRect picture;         // the rectangle handed to the renderer
    int captionX = 0;      // left of the caption lines
    bool newSheet = false; // the page must be ended and a new one begun before drawing
    int sheet = 0;         // 0-based
    int column = 0;        // 0-based, within the sheet
    int row = 0;           // 0-based, within the column
};

// Hands out cell places in print order: down a column, then the next column to the right, then a new
// sheet. A cell is tested against the bottom limit where it first falls and moved to the next column
// when it does not fit; the first cell of a column always stays, so no column or sheet is left empty.
class CellPlacer {
public:
    explicit CellPlacer(const PageLayout& layout);
    CellPlace Next();

private:
    PageLayout layout_;
    std::int64_t columnLeft_;
    std::int64_t nextColumnLeft_;
    std::int64_t nextRowTop_;
    int cellsInColumn_ = 0;
    int sheet_ = 0;
    int column_ = 0;
};

} // namespace plavik
