#include "print/layout.h"

#include "render/numbers.h"

#include <algorithm>

namespace plavik {

namespace {

// The sides of the rectangles stay within the device range whatever the settings say.
int ClampToDevice(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, -kDeviceLimit, kDeviceLimit));
}

} // namespace

std::int64_t DrawingPictureHeightMm(std::int64_t widthMm) {
    return Round(static_cast<double>(widthMm) / 1.414213562);
}

CellGeometry FigureCells(const TListSettings& s) {
    return {s.ImageSize,  s.ImageSize, s.SpaceR,      s.SpaceB,
            s.MarginLeft, s.MarginTop, s.MarginRight, s.MarginBottom};
}

CellGeometry DrawingCells(const TListSettings& s) {
    return {s.ImageSize2,  DrawingPictureHeightMm(s.ImageSize2),
            s.SpaceR2,     s.SpaceB2,
            s.MarginLeft,  s.MarginTop,
            s.MarginRight, s.MarginBottom};
}

int MmToDevice(std::int64_t mm, int dpi) {
    return Round(static_cast<double>(mm) / 25.4 * dpi);
}

PageLayout ComputeLayout(const CellGeometry& c, const DeviceMetrics& d, int textWidth, int lineHeight,
                         int headerHeight) {
    const int dx = d.logPixelsX;
    const int dy = d.logPixelsY;
    PageLayout l;
    l.pictureWidth = MmToDevice(c.imageWidth, dx);
    l.pictureHeight = MmToDevice(c.imageHeight, dy);
    l.textWidth = textWidth;
    l.textOffset = MmToDevice(2, dx);
    l.lineHeight = lineHeight;
    // Sums of millimetres are added first and converted once, as the cell geometry is designed.
    l.columnPitch = std::int64_t{textWidth} + MmToDevice(c.imageWidth + 2 + c.spaceR, dx);
    l.rowPitch = MmToDevice(c.imageHeight + c.spaceB, dy);
    // The painter's origin is the printable area's corner; the margins are measured from the paper's.
    l.leftOrigin = std::int64_t{MmToDevice(c.marginLeft, dx)} - d.physicalOffsetX;
    l.topOrigin = std::int64_t{MmToDevice(c.marginTop, dy)} - d.physicalOffsetY;
    l.rightLimit = l.leftOrigin + d.physicalWidth - MmToDevice(c.marginLeft + c.marginRight - c.spaceR, dx);
    l.bottomLimit = l.topOrigin + d.physicalHeight - MmToDevice(c.marginTop + c.marginBottom - c.spaceB, dy);
    l.headerTop = l.topOrigin;
    l.headerLeft = l.leftOrigin;
    l.headerRight = l.leftOrigin + d.physicalWidth - MmToDevice(c.marginLeft + c.marginRight, dx);
    l.topOrigin += std::max(headerHeight, 0);
    return l;
}

int HeaderHeight(int lineHeight, int dpiY) {
    return lineHeight + MmToDevice(3, dpiY);
}

int SheetCount(const PageLayout& layout, std::size_t cells) {
    CellPlacer placer(layout);
    int sheets = 1;
    for (std::size_t i = 0; i < cells; ++i)
        sheets = placer.Next().sheet + 1;
    return sheets;
}

CellPlacer::CellPlacer(const PageLayout& layout)
    : layout_(layout), columnLeft_(layout.leftOrigin),
      nextColumnLeft_(layout.leftOrigin + layout.columnPitch), nextRowTop_(layout.topOrigin) {}

CellPlace CellPlacer::Next() {
    CellPlace place;
    std::int64_t top = nextRowTop_;
    nextRowTop_ += layout_.rowPitch;
    // The limits are compared with the position just past the cell, spacing included. A column that
    // holds no cell yet keeps the cell even when it is too tall, so that nothing stays empty.
    if (nextRowTop_ > layout_.bottomLimit && cellsInColumn_ > 0) {
        top = layout_.topOrigin;
        nextRowTop_ = layout_.topOrigin + layout_.rowPitch;
        columnLeft_ = nextColumnLeft_;
        nextColumnLeft_ += layout_.columnPitch;
        cellsInColumn_ = 0;
        ++column_;
        if (nextColumnLeft_ > layout_.rightLimit) {
            columnLeft_ = layout_.leftOrigin;
            nextColumnLeft_ = layout_.leftOrigin + layout_.columnPitch;
            column_ = 0;
            ++sheet_;
            place.newSheet = true;
        }
    }
    place.picture.left = ClampToDevice(columnLeft_);
    place.picture.top = ClampToDevice(top);
    place.picture.right = place.picture.left + layout_.pictureWidth;
    place.picture.bottom = place.picture.top + layout_.pictureHeight;
    place.captionX = ClampToDevice(std::int64_t{place.picture.right} + layout_.textOffset);
    place.sheet = sheet_;
    place.column = column_;
    place.row = cellsInColumn_;
    ++cellsInColumn_;
    return place;
}

} // namespace plavik
