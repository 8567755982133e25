// Pixels of the raster canvas: lines, rectangles, single pixels, colours and device capabilities; and
// their packing into 16-colour thumbnails.
#include "platform/linewalk.h"
#include "platform/rastercanvas.h"
#include "platform/systemcolors.h"

#include "render/jtool.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace plavik {
namespace {

using Pixels = std::set<std::pair<int, int>>;

constexpr QRgb kWhite = 0xFFFFFFFFu;

QImage WhiteImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

Pixels InkOf(const QImage& image) {
    Pixels ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kWhite)
                ink.insert({x, y});
    return ink;
}

// The textbook error-accumulating Bresenham walk, written apart from the canvas: every pixel from
// the start up to, not including, the end that falls inside clip.
Pixels ReferenceInside(long long x0, long long y0, long long x1, long long y1, const TRect& clip) {
    Pixels in;
    const long long dx = std::llabs(x1 - x0), dy = std::llabs(y1 - y0);
    const long long sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
    const bool xMajor = dx >= dy;
    const long long n = xMajor ? dx : dy, m = xMajor ? dy : dx;
    long long x = x0, y = y0;
    long long d = 2 * m - n;
    for (long long i = 0; i < n; ++i) {
        if (x >= clip.left && y >= clip.top && x < clip.right && y < clip.bottom)
            in.insert({static_cast<int>(x), static_cast<int>(y)});
        if (d > 0) {
            (xMajor ? y : x) += xMajor ? sy : sx;
            d -= 2 * n;
        }
        d += 2 * m;
        (xMajor ? x : y) += xMajor ? sx : sy;
    }
    return in;
}

Pixels DrawLine(int w, int h, int x0, int y0, int x1, int y1) {
    QImage image = WhiteImage(w, h);
    RasterCanvas canvas(image);
    canvas.MoveTo(x0, y0);
    canvas.LineTo(x1, y1);
    EXPECT_EQ(canvas.PenPos(), (TPoint{x1, y1}));
    return InkOf(image);
}

struct Line {
    int x0, y0, x1, y1;
};

class LineWalkTest : public ::testing::TestWithParam<Line> {};

// "from_minus15_7_to_55_30": the end points, as a test name.
std::string LineName(const ::testing::TestParamInfo<Line>& info) {
    const auto n = [](int v) { return v < 0 ? "minus" + std::to_string(-v) : std::to_string(v); };
    const Line& l = info.param;
    return "from_" + n(l.x0) + "_" + n(l.y0) + "_to_" + n(l.x1) + "_" + n(l.y1);
}

TEST_P(LineWalkTest, PaintsStartNotEndLikeBresenham) {
    const Line l = GetParam();
    const Pixels got = DrawLine(40, 40, l.x0, l.y0, l.x1, l.y1);
    EXPECT_EQ(got, ReferenceInside(l.x0, l.y0, l.x1, l.y1, TRect{0, 0, 40, 40}));
    const bool startInside = l.x0 >= 0 && l.y0 >= 0 && l.x0 < 40 && l.y0 < 40;
    EXPECT_EQ(got.count({l.x0, l.y0}), startInside ? 1u : 0u) << "start pixel";
    EXPECT_FALSE(got.count({l.x1, l.y1})) << "end pixel";
}

// The eight directions from the centre, shallow and steep slopes both ways, halfway ties, and lines
// that leave or cross the image.
INSTANTIATE_TEST_SUITE_P(Raster, LineWalkTest,
                         ::testing::Values(Line{20, 20, 30, 20}, Line{20, 20, 10, 20}, Line{20, 20, 20, 30},
                                           Line{20, 20, 20, 10}, Line{20, 20, 30, 30}, Line{20, 20, 10, 10},
                                           Line{20, 20, 30, 10}, Line{20, 20, 10, 30}, Line{2, 3, 37, 11},
                                           Line{37, 11, 2, 3}, Line{3, 2, 11, 37}, Line{11, 37, 3, 2},
                                           Line{5, 30, 33, 21}, Line{33, 21, 5, 30}, Line{30, 5, 21, 33},
                                           Line{21, 33, 30, 5}, Line{0, 0, 4, 2}, Line{4, 2, 0, 0},
                                           Line{0, 0, 6, 3}, Line{1, 1, 2, 2}, Line{-15, 7, 55, 30},
                                           Line{39, -20, 1, 60}, Line{-5, -5, 45, 45}, Line{39, 39, 40, 40}),
                         LineName);

TEST(WalkLine, VisitsOnlyTheStepsInsideItsClip) {
    // A clip away from the origin and lines that cross it in every way: nothing outside may be
    // visited (the canvas writes each visited pixel straight into memory).
    const TRect clip{10, 12, 25, 30};
    const Line lines[] = {{0, 0, 40, 40},    {40, 0, 0, 40},   {-100, 20, 100, 21},
                          {17, -50, 18, 90}, {0, 11, 40, 31},  {9, 35, 26, 5},
                          {24, 29, 10, 12},  {10, 12, 25, 30}, {-60, -40, 90, 80},
                          {5, 31, 30, 31},   {11, 0, 11, 100}, {-1000, 1000, 1000, -1000}};
    for (const Line& l : lines) {
        Pixels got;
        WalkLine(l.x0, l.y0, l.x1, l.y1, clip, [&](int x, int y) {
            EXPECT_TRUE(x >= clip.left && y >= clip.top && x < clip.right && y < clip.bottom)
                << x << "," << y;
            EXPECT_TRUE(got.insert({x, y}).second) << "visited twice";
        });
        EXPECT_EQ(got, ReferenceInside(l.x0, l.y0, l.x1, l.y1, clip))
            << l.x0 << "," << l.y0 << " -> " << l.x1 << "," << l.y1;
    }
}

TEST(RasterLine, ZeroLengthPaintsNothingAndNeighbourPaintsOnePixel) {
    EXPECT_TRUE(DrawLine(10, 10, 4, 4, 4, 4).empty());
    EXPECT_EQ(DrawLine(10, 10, 4, 4, 5, 5), (Pixels{{4, 4}}));
    EXPECT_EQ(DrawLine(10, 10, 4, 4, 3, 4), (Pixels{{4, 4}}));
}

TEST(RasterLine, FarOutsideStartPaintsTheSamePixelsAsTheWholeWalk) {
    // Long enough to notice a walk that is not clipped first, short enough for the reference walk.
    const Line lines[] = {{-3000000, 17, 40, 23},      {-3000001, -2999990, 30, 25}, {25, -2000000, 13, 90},
                          {5000000, 1000001, -10, 20}, {-1000000, 3000000, 60, -5},  {-7, 20, 2000000, 20}};
    for (const Line& l : lines)
        EXPECT_EQ(DrawLine(40, 40, l.x0, l.y0, l.x1, l.y1),
                  ReferenceInside(l.x0, l.y0, l.x1, l.y1, TRect{0, 0, 40, 40}))
            << l.x0 << "," << l.y0 << " -> " << l.x1 << "," << l.y1;
}

TEST(RasterLine, ExtremeCoordinatesStayOnTheLine) {
    // Too long for any walk: every pixel must still lie on the true line, one per column (or row).
    struct Extreme {
        long long x0, y0, x1, y1;
    };
    const Extreme lines[] = {{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                             {INT_MIN, 20, INT_MAX, 21},
                             {INT_MAX, INT_MIN, INT_MIN + 1, INT_MAX},
                             {-100000000, 7, 30, 19}};
    for (const Extreme& l : lines) {
        const Pixels got = DrawLine(40, 40, static_cast<int>(l.x0), static_cast<int>(l.y0),
                                    static_cast<int>(l.x1), static_cast<int>(l.y1));
        ASSERT_FALSE(got.empty()) << l.x0 << "," << l.y0 << " -> " << l.x1 << "," << l.y1;
        const long double dx = static_cast<long double>(l.x1 - l.x0);
        const long double dy = static_cast<long double>(l.y1 - l.y0);
        const bool xMajor = std::fabs(dx) >= std::fabs(dy);
        std::set<int> majors;
        for (auto [x, y] : got) {
            const long double t = xMajor ? (x - l.x0) / dx : (y - l.y0) / dy;
            const long double minor = xMajor ? l.y0 + t * dy : l.x0 + t * dx;
            EXPECT_LE(std::fabs(minor - (xMajor ? y : x)), 0.5L + 1e-9L) << x << "," << y;
            majors.insert(xMajor ? x : y);
        }
        EXPECT_EQ(majors.size(), got.size()) << "one pixel per step";
    }
}

TEST(RasterLine, PenWidthsAndStyles) {
    // Widths 0 and 1 (and nonsense) are one pixel; a wider pen paints a square of its width about
    // each pixel, also from just outside the image; a clear pen only moves.
    struct Case {
        int width;
        PenStyle style;
        int y;
        std::size_t ink;
    };
    for (const Case& c : {Case{0, PenStyle::Solid, 5, 6}, Case{1, PenStyle::Solid, 5, 6},
                          Case{-3, PenStyle::Solid, 5, 6}, Case{3, PenStyle::Solid, 5, 8 * 3},
                          Case{3, PenStyle::Solid, -1, 8}, Case{0, PenStyle::Clear, 5, 0}}) {
        QImage image = WhiteImage(12, 12);
        RasterCanvas canvas(image);
        canvas.SetPen({0, c.style, c.width});
        canvas.MoveTo(2, c.y);
        canvas.LineTo(8, c.y);
        const Pixels ink = InkOf(image);
        EXPECT_EQ(ink.size(), c.ink) << c.width << " at " << c.y;
        const int reach = std::max(c.width, 1) / 2;
        for (auto [x, y] : ink)
            EXPECT_TRUE(x >= 2 - reach && x <= 7 + reach && std::abs(y - c.y) <= reach) << x << "," << y;
    }
}

TEST(RasterFill, CoversLeftTopButNotRightBottomAndClips) {
    struct Case {
        TRect r;
        Pixels want;
    };
    const Case cases[] = {
        {{1, 2, 3, 4}, {{1, 2}, {2, 2}, {1, 3}, {2, 3}}},
        {{3, 3, 3, 5}, {}},           // empty width
        {{4, 4, 2, 2}, {}},           // inverted
        {{-5, -5, 1, 1}, {{0, 0}}},   // clipped at the top-left
        {{5, 5, 100, 100}, {{5, 5}}}, // clipped at the bottom-right of a 6 x 6 image
        {{INT_MIN, 5, INT_MAX, 6}, {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}},
    };
    for (const Case& c : cases) {
        QImage image = WhiteImage(6, 6);
        RasterCanvas canvas(image);
        canvas.SetBrushColor(RGB(0, 0, 0));
        canvas.FillRect(c.r);
        EXPECT_EQ(InkOf(image), c.want)
            << c.r.left << "," << c.r.top << "," << c.r.right << "," << c.r.bottom;
    }
    QImage image = WhiteImage(6, 6);
    RasterCanvas clear(image);
    clear.SetBrush({RGB(0, 0, 0), BrushStyle::Clear});
    clear.FillRect({0, 0, 6, 6});
    EXPECT_TRUE(InkOf(image).empty()) << "clear brush";
}

TEST(RasterPixel, SetsInsideOnlyInWindowsColourOrder) {
    QImage image = WhiteImage(4, 4);
    RasterCanvas canvas(image);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 4}, {INT_MIN, INT_MAX}})
        canvas.SetPixel(x, y, RGB(0, 0, 0));
    EXPECT_TRUE(InkOf(image).empty());
    canvas.SetPixel(1, 2, 0x00332211); // blue 0x33, green 0x22, red 0x11
    EXPECT_EQ(image.pixel(1, 2), qRgb(0x11, 0x22, 0x33));
    canvas.SetPenColor(RGB(0xFF, 0, 0));
    canvas.LineTo(1, 0);
    canvas.SetBrushColor(RGB(0, 0, 0xFF));
    canvas.FillRect({3, 3, 4, 4});
    EXPECT_EQ(image.pixel(0, 0), qRgb(0xFF, 0, 0));
    EXPECT_EQ(image.pixel(3, 3), qRgb(0, 0, 0xFF));
}

TEST(RasterCanvas, DeviceCapsBoundsAndImageHandling) {
    QImage image = WhiteImage(48, 30);
    RasterCanvas canvas(image);
    canvas.SetLogPixels(600, 0); // 0 keeps the default
    const std::pair<DeviceCap, int> caps[] = {
        {DeviceCap::LogPixelsX, 600},    {DeviceCap::LogPixelsY, 96},     {DeviceCap::PhysicalWidth, 48},
        {DeviceCap::PhysicalHeight, 30}, {DeviceCap::PhysicalOffsetX, 0}, {DeviceCap::PhysicalOffsetY, 0}};
    for (auto [cap, want] : caps)
        EXPECT_EQ(canvas.GetDeviceCaps(cap), want) << static_cast<int>(cap);
    EXPECT_EQ(canvas.Bounds(), (TRect{0, 0, 48, 30}));
    // A copy taken while drawing keeps its own pixels.
    const QImage copy = image;
    canvas.SetPixel(0, 0, RGB(0, 0, 0));
    EXPECT_EQ(copy.pixel(0, 0), kWhite);

    QImage indexed(8, 8, QImage::Format_Indexed8);
    indexed.setColorTable({kWhite});
    indexed.fill(0);
    RasterCanvas converted(indexed);
    EXPECT_EQ(indexed.format(), QImage::Format_RGB32);

    QImage null; // every call is harmless
    RasterCanvas none(null);
    none.LineTo(5, 5);
    none.FillRect({0, 0, 5, 5});
    none.SetPixel(0, 0, 0);
    none.TextOut(0, 0, "abc");
    EXPECT_EQ(none.Bounds(), (TRect{0, 0, 0, 0}));
}

TEST(RasterDash, TypeTwoAt96DpiIsThreeOnThreeOff) {
    QImage image = WhiteImage(40, 3);
    RasterCanvas canvas(image);
    SetLineType(canvas, 2);
    JMoveTo(canvas, 0, 1);
    JLineTo(canvas, 36, 1);
    std::string row;
    for (int x = 0; x < 40; ++x)
        row += image.pixel(x, 1) == kWhite ? '.' : '#';
    EXPECT_EQ(row, "###...###...###...###...###...###.......");
    EXPECT_EQ(InkOf(image).size(), 18u) << "nothing off the line";
}

TEST(Packed16Image, EveryPixelGetsItsNearestSystemColour) {
    // Far more colours than the packer remembers, runs of one colour, and an odd width.
    QImage image(257, 4, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y,
                           y == 3 && x < 100
                               ? qRgb(200, 10, 10)
                               : qRgb((x * 37 + y * 11) & 0xFF, (x * 5 + 128) & 0xFF, (x * 113 + y) & 0xFF));
    for (const QImage& source : {image, image.convertToFormat(QImage::Format_ARGB32_Premultiplied)}) {
        const Packed16Image packed = Packed16Image::FromImage(source);
        ASSERT_EQ(QSize(packed.width(), packed.height()), image.size());
        int wrong = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                wrong += packed.pixelIndex(x, y) != NearestSystemColor(image.pixel(x, y));
        EXPECT_EQ(wrong, 0) << source.format();
    }
}

TEST(Packed16Image, PackedThroughAnArenaTheSameAndOutlivingIt) {
    QImage image(63, 30, QImage::Format_RGB32); // 960 bytes packed
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 7 & 0xFF, y * 50, (x + y) * 13 & 0xFF));
    const QImage big = image.scaled(800, 800); // more than an arena hands out from a block
    std::vector<Packed16Image> packed;
    {
        PackedArena arena;
        for (int i = 0; i < 3000; ++i) // more than one block of 2 MiB
            packed.push_back(Packed16Image::FromImage(i % 1000 == 999 ? big : image, &arena));
    }
    for (std::size_t i = 0; i < packed.size(); ++i) {
        const QImage& source = i % 1000 == 999 ? big : image;
        ASSERT_EQ(packed[i].ToImage(), Packed16Image::FromImage(source).ToImage()) << i;
    }
}

} // namespace
} // namespace plavik
