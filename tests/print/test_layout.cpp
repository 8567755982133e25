// Placement of printed cells at a printer's resolution, without a printer.
#include "print/layout.h"
#include "render/numbers.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace plavik {
namespace {

// A4 at 600 dpi with no unprintable border.
DeviceMetrics A4At600() {
    return {600, 600, 4961, 7016, 0, 0};
}

constexpr int kTextWidth = 800;
constexpr int kLineHeight = 60;

std::vector<CellPlace> Place(const PageLayout& layout, int count) {
    CellPlacer placer(layout);
    std::vector<CellPlace> places;
    for (int i = 0; i < count; ++i)
        places.push_back(placer.Next());
    return places;
}

int CellsInFirstColumn(const std::vector<CellPlace>& places) {
    int n = 0;
    while (n < static_cast<int>(places.size()) && places[n].column == 0 && places[n].sheet == 0)
        ++n;
    return n;
}

TEST(PrintLayout, DefaultsAt600DpiFillColumnsThenTheNextColumn) {
    const TListSettings s;
    struct Case {
        const char* name;
        CellGeometry cells;
        int pictureWidth, pictureHeight, rowPitch, perColumn;
        std::int64_t bottomLimit;
    };
    const Case cases[] = {
        {"figures", FigureCells(s), 472, 472, 520, 11, 472 + 7016 - 898},
        {"drawings", DrawingCells(s), 945, 661, 780, 7, 472 + 7016 - 827},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PageLayout l = ComputeLayout(c.cells, A4At600(), kTextWidth, kLineHeight);
        EXPECT_EQ(l.pictureWidth, c.pictureWidth);
        EXPECT_EQ(l.pictureHeight, c.pictureHeight);
        EXPECT_EQ(l.rowPitch, c.rowPitch);
        EXPECT_EQ(l.textOffset, 47);
        EXPECT_EQ(l.leftOrigin, 472);
        EXPECT_EQ(l.topOrigin, 472);
        EXPECT_EQ(l.bottomLimit, c.bottomLimit);
        const auto places = Place(l, 40);
        EXPECT_EQ(CellsInFirstColumn(places), c.perColumn);
        for (int i = 0; i < c.perColumn; ++i)
            EXPECT_EQ(places[i].picture.top, 472 + i * c.rowPitch) << i;
        // The next file begins the second column at the top.
        const CellPlace& next = places[c.perColumn];
        EXPECT_EQ(next.column, 1);
        EXPECT_EQ(next.row, 0);
        EXPECT_FALSE(next.newSheet);
        EXPECT_EQ(next.picture.top, 472);
        EXPECT_EQ(next.picture.left, 472 + l.columnPitch);
        EXPECT_EQ(next.captionX, next.picture.left + c.pictureWidth + 47);
    }
}

TEST(PrintLayout, ColumnPitchKeepsTheTextColumnFree) {
    const TListSettings s;
    const PageLayout l = ComputeLayout(FigureCells(s), A4At600(), kTextWidth, kLineHeight);
    // Picture 20 mm, gap 2 mm, SpaceR 2 mm: 24 mm converted once, then the text width.
    EXPECT_EQ(l.columnPitch, kTextWidth + 567);
    EXPECT_EQ(l.rightLimit, 472 + 4961 - 898);
}

TEST(PrintLayout, NewSheetWhenTheNextColumnPassesTheRightLimit) {
    const TListSettings s;
    const PageLayout l = ComputeLayout(FigureCells(s), A4At600(), kTextWidth, kLineHeight);
    // Columns start at 472 and 1839; a third would end at 4573, past the limit 4535.
    const auto places = Place(l, 23);
    EXPECT_EQ(places[11].column, 1);
    EXPECT_EQ(places[21].column, 1);
    EXPECT_EQ(places[21].sheet, 0);
    const CellPlace& first = places[22];
    EXPECT_TRUE(first.newSheet);
    EXPECT_EQ(first.sheet, 1);
    EXPECT_EQ(first.column, 0);
    EXPECT_EQ(first.row, 0);
    EXPECT_EQ(first.picture, (TRect{472, 472, 944, 944}));
    for (int i = 0; i < 22; ++i)
        EXPECT_FALSE(places[i].newSheet) << i;
}

// A page header takes the top of the area within the margins: the rows start below it, the bottom
// limit stays, so a sheet may hold a row less; the sheet count follows the placement.
TEST(PrintLayout, HeaderMovesTheRowsDownAndKeepsTheBottom) {
    const TListSettings s;
    const PageLayout plain = ComputeLayout(FigureCells(s), A4At600(), kTextWidth, kLineHeight);
    // The header of a large font (400 device units a line), so that it takes more than a column's
    // spare room at the bottom.
    const int header = HeaderHeight(400, 600);
    EXPECT_EQ(header, 400 + 71); // 3 mm at 600 dpi
    const PageLayout l = ComputeLayout(FigureCells(s), A4At600(), kTextWidth, kLineHeight, header);
    EXPECT_EQ(l.headerTop, 472);
    EXPECT_EQ(l.headerLeft, 472);
    EXPECT_EQ(l.headerRight, 472 + 4961 - MmToDevice(40, 600)); // within both side margins
    EXPECT_EQ(l.topOrigin, 472 + header);
    EXPECT_EQ(l.bottomLimit, plain.bottomLimit);
    const auto places = Place(l, 1);
    EXPECT_EQ(places[0].picture.top, 472 + header);
    // Eleven figures to a column without the header, ten with it: two columns a sheet.
    EXPECT_EQ(CellsInFirstColumn(Place(plain, 30)), 11);
    EXPECT_EQ(CellsInFirstColumn(Place(l, 30)), 10);
    const struct {
        std::size_t cells;
        int plainSheets, headerSheets;
    } counts[] = {{0, 1, 1}, {1, 1, 1}, {20, 1, 1}, {21, 1, 2}, {22, 1, 2}, {23, 2, 2}, {41, 2, 3}};
    for (const auto& c : counts) {
        EXPECT_EQ(SheetCount(plain, c.cells), c.plainSheets) << c.cells;
        EXPECT_EQ(SheetCount(l, c.cells), c.headerSheets) << c.cells;
    }
}

TEST(PrintLayout, OneFileSitsAtTheMarginsCorner) {
    const TListSettings s;
    const auto places = Place(ComputeLayout(FigureCells(s), A4At600(), kTextWidth, kLineHeight), 1);
    EXPECT_EQ(places[0].picture, (TRect{472, 472, 944, 944}));
    EXPECT_FALSE(places[0].newSheet);
    EXPECT_EQ(places[0].sheet, 0);
}

TEST(PrintLayout, UnprintableOffsetsMoveTheOriginBack) {
    const TListSettings s;
    DeviceMetrics d = A4At600();
    d.physicalOffsetX = 100;
    d.physicalOffsetY = 150;
    const PageLayout l = ComputeLayout(FigureCells(s), d, kTextWidth, kLineHeight);
    EXPECT_EQ(l.leftOrigin, 372);
    EXPECT_EQ(l.topOrigin, 322);
    EXPECT_EQ(l.bottomLimit, 322 + 7016 - 898);
    EXPECT_EQ(Place(l, 1)[0].picture, (TRect{372, 322, 844, 794}));
}

TEST(PrintLayout, TallCellNeverLeavesAnEmptyColumnOrSheet) {
    TListSettings s;
    s.ImageSize = 300; // 7087 units: taller than the whole usable height
    struct Case {
        const char* name;
        int paperWidth;
        bool columnsFit; // whether a second column fits across the sheet
    };
    const Case cases[] = {{"narrow sheet", 4961, false}, {"wide sheet", 40000, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceMetrics d = A4At600();
        d.physicalWidth = c.paperWidth;
        const auto places = Place(ComputeLayout(FigureCells(s), d, kTextWidth, kLineHeight), 3);
        // The first file stays in the first column of the first sheet.
        EXPECT_EQ(places[0].picture.left, 472);
        EXPECT_EQ(places[0].picture.top, 472);
        EXPECT_EQ(places[0].sheet, 0);
        EXPECT_FALSE(places[0].newSheet);
        // Every further file takes a column of its own, or a sheet when no second column fits.
        for (int i = 1; i < 3; ++i) {
            EXPECT_EQ(places[i].row, 0) << i;
            EXPECT_EQ(places[i].picture.top, 472) << i;
            EXPECT_EQ(places[i].newSheet, !c.columnsFit) << i;
            EXPECT_EQ(places[i].sheet, c.columnsFit ? 0 : i) << i;
            EXPECT_EQ(places[i].column, c.columnsFit ? i : 0) << i;
        }
    }
}

TEST(PrintLayout, DrawingPictureHeightRoundsHalfToEven) {
    struct Case {
        int width, height;
    };
    const Case cases[] = {{40, 28}, {10, 7}, {100, 71}, {0, 0}, {-40, -28}};
    for (const Case& c : cases)
        EXPECT_EQ(DrawingPictureHeightMm(c.width), c.height) << c.width;
}

TEST(PrintLayout, AbsurdSettingsStayWithinTheDeviceRange) {
    TListSettings s;
    s.ImageSize = std::numeric_limits<std::int32_t>::max();
    s.SpaceB = std::numeric_limits<std::int32_t>::max();
    s.SpaceR = std::numeric_limits<std::int32_t>::min();
    s.MarginTop = std::numeric_limits<std::int32_t>::max();
    s.MarginBottom = std::numeric_limits<std::int32_t>::max();
    const PageLayout l = ComputeLayout(FigureCells(s), A4At600(), kTextWidth, kLineHeight);
    for (const CellPlace& p : Place(l, 5)) {
        EXPECT_LE(p.picture.right, 2 * kDeviceLimit);
        EXPECT_GE(p.picture.left, -kDeviceLimit);
        EXPECT_LE(p.picture.bottom, 2 * kDeviceLimit);
    }
    // Zero-sized pictures stack at one place without trouble.
    s = TListSettings{};
    s.ImageSize = 0;
    s.SpaceB = 0;
    const auto places = Place(ComputeLayout(FigureCells(s), A4At600(), 0, 0), 3);
    EXPECT_EQ(places[2].picture, (TRect{472, 472, 472, 472}));
}

} // namespace
} // namespace plavik
