// Logical font heights, the Windows font names, and turned text on the raster canvas.
#include "platform/fonts.h"
#include "platform/rastercanvas.h"
#include "platform/sjis.h"
#include "render/card.h"
#include "render/drawsteps.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <string>

namespace plavik {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;

// Bounding box of the pixels that differ from white; empty when there are none.
QRect InkBox(const QImage& image, QRgb background = kWhite) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Number of pixels in the area of any colour but the given ones: smoothed text shows up here.
int CountOthers(const QImage& image, const QRect& area, std::initializer_list<QRgb> colours) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += std::find(colours.begin(), colours.end(), image.pixel(x, y)) == colours.end();
    return n;
}

Font NamedFont(const char* name, int height) {
    Font f;
    f.name = name;
    f.height = height;
    return f;
}

TEST(Fonts, WindowsJapaneseNamesResolveToTheIpaFonts) {
    struct Case {
        const char* windows;
        const char* installed;
    };
    for (const Case& c : {Case{"ＭＳ ゴシック", "IPAGothic"}, Case{"ＭＳ Ｐゴシック", "IPAPGothic"},
                          Case{"MS PGothic", "IPAPGothic"}}) {
        const QFontInfo info(FontFor(NamedFont(c.windows, -16), 96));
        EXPECT_EQ(info.family(), QString::fromLatin1(c.installed)) << c.windows;
    }
}

TEST(Fonts, NegativeHeightIsTheEmInPixels) {
    for (int h : {-8, -11, -12, -24, -100}) {
        const QFont f = FontFor(NamedFont("ＭＳ ゴシック", h), 96);
        EXPECT_EQ(f.pixelSize(), -h);
        // IPAGothic's full-width ideographs fill the em: one is about |h| wide.
        const int advance = QFontMetrics(f).horizontalAdvance(QString::fromUtf8("図"));
        EXPECT_NEAR(advance, -h, 1 + -h / 20) << h;
    }
    // The most negative int neither overflows nor asks for an absurd size.
    EXPECT_EQ(FontFor(NamedFont("ＭＳ ゴシック", INT_MIN), 96).pixelSize(), kMaxFontPixels);
}

TEST(Fonts, PositiveHeightIsTheCellHeight) {
    for (int h : {6, 12, 13, 20, 48, 200}) {
        const QFont f = FontFor(NamedFont("ＭＳ Ｐゴシック", h), 96);
        const int cell = QFontMetrics(f).height();
        EXPECT_LE(cell, h) << h;
        EXPECT_GE(cell, h - 1 - h / 50) << h;
        if (h >= 20) {
            EXPECT_LT(f.pixelSize(), h) << "the cell includes the leading above the em";
        }
    }
    EXPECT_GT(FontFor(NamedFont("ＭＳ Ｐゴシック", INT_MAX), 96).pixelSize(), 0);
}

TEST(Fonts, ZeroHeightIsADefaultSizeScaledWithTheResolution) {
    EXPECT_EQ(FontFor(NamedFont("ＭＳ ゴシック", 0), 96).pixelSize(), 12);
    EXPECT_EQ(FontFor(NamedFont("ＭＳ ゴシック", 0), 600).pixelSize(), 75);
    EXPECT_EQ(FontFor(NamedFont("ＭＳ ゴシック", 0), 0).pixelSize(), 12);
}

TEST(CanvasText, ExtentsFollowTheFont) {
    QImage image(10, 10, QImage::Format_RGB32);
    RasterCanvas canvas(image);
    canvas.SetFont(NamedFont("ＭＳ ゴシック", 20));
    const int cell = canvas.TextHeight("A");
    EXPECT_LE(cell, 20);
    EXPECT_GE(cell, 19);
    EXPECT_EQ(canvas.TextHeight(""), cell) << "a cell high even when empty";
    EXPECT_EQ(canvas.TextWidth(""), 0);
    // Text is measured as code page 932: two full-width characters are twice one.
    const std::string one = EncodeSjis(QString::fromUtf8("図"));
    const int w1 = canvas.TextWidth(one);
    EXPECT_GT(w1, 0);
    EXPECT_EQ(canvas.TextWidth(one + one), 2 * w1);
    canvas.SetFontHeight(-40);
    EXPECT_GT(canvas.TextWidth(one), w1) << "a new height is measured again";
}

TEST(CanvasText, FontsTakenInTurnMeasureAsOnANewCanvas) {
    // More fonts than the canvas keeps, taken in turn and again.
    struct Use {
        const char* name;
        int height;
        int dpi;
    };
    const Use uses[] = {{"ＭＳ ゴシック", -20, 96},   {"ＭＳ ゴシック", 15, 96}, {"ＭＳ Ｐゴシック", -20, 96},
                        {"ＭＳ ゴシック", -20, 96},   {"ＭＳ ゴシック", 0, 96},  {"ＭＳ ゴシック", 0, 300},
                        {"ＭＳ ゴシック", 30, 96},    {"ＭＳ ゴシック", -8, 96}, {"ＭＳ ゴシック", 15, 96},
                        {"ＭＳ Ｐゴシック", -20, 96}, {"ＭＳ ゴシック", 0, 96}};
    const std::string text = "Wil" + EncodeSjis(QString::fromUtf8("図"));
    QImage image(10, 10, QImage::Format_RGB32);
    RasterCanvas canvas(image);
    for (const Use& u : uses) {
        QImage fresh(10, 10, QImage::Format_RGB32);
        RasterCanvas reference(fresh);
        for (RasterCanvas* c : {&canvas, &reference}) {
            c->SetLogPixels(u.dpi, u.dpi);
            c->SetFont(NamedFont(u.name, u.height));
        }
        EXPECT_EQ(canvas.TextWidth(text), reference.TextWidth(text)) << u.name << " " << u.height;
        EXPECT_EQ(canvas.TextHeight(text), reference.TextHeight(text)) << u.name << " " << u.height;
    }
}

TEST(CanvasText, TextsAndDirectPixelsShowInTheOrderDrawn) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(kWhite);
    RasterCanvas canvas(image);
    canvas.SetFont(NamedFont("ＭＳ ゴシック", -20));
    // A space draws nothing but its opaque box.
    canvas.SetBrushColor(RGB(0, 0xFF, 0));
    canvas.TextOut(0, 0, " ");
    const QImage first = image; // a copy taken while drawing keeps its own pixels
    canvas.SetBrushColor(RGB(0xFF, 0, 0));
    canvas.FillRect({0, 0, 3, 3});
    canvas.SetBrushColor(RGB(0, 0, 0xFF));
    canvas.TextOut(1, 1, " ");
    EXPECT_EQ(image.pixel(0, 0), qRgb(0xFF, 0, 0));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0xFF));
    EXPECT_EQ(first.pixel(0, 0), qRgb(0, 0xFF, 0));
    EXPECT_EQ(first.pixel(1, 1), qRgb(0, 0xFF, 0));
}

struct TurnCase {
    int escapement;
    int sideX; // +1: ink right of the reference point, -1: left
    int sideY; // +1: ink below it, -1: above
    bool runsAcross;
};

class TurnedTextTest : public ::testing::TestWithParam<TurnCase> {};

TEST_P(TurnedTextTest, InkLiesOnTheTurnedSideInTheFontColour) {
    const TurnCase c = GetParam();
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(kWhite);
    RasterCanvas canvas(image);
    Font f = NamedFont("ＭＳ ゴシック", -20);
    f.escapement = c.escapement;
    canvas.SetFont(f);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.TextOut(100, 100, "HHHHH");
    const QRect ink = InkBox(image);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(c.sideX > 0 ? ink.left() >= 100 : ink.right() <= 100) << ink.left() << ".." << ink.right();
    EXPECT_TRUE(c.sideY > 0 ? ink.top() >= 100 : ink.bottom() <= 100) << ink.top() << ".." << ink.bottom();
    EXPECT_EQ(ink.width() > ink.height(), c.runsAcross);
    EXPECT_EQ(CountOthers(image, image.rect(), {kWhite, qRgb(0, 0, 0)}), 0) << "font colour, no smoothing";
}

// Counter-clockwise on the screen: 900 runs upwards with the glyphs hanging to the right, 2700 runs
// downwards with them to the left.
INSTANTIATE_TEST_SUITE_P(Raster, TurnedTextTest,
                         ::testing::Values(TurnCase{0, 1, 1, true}, TurnCase{3600, 1, 1, true},
                                           TurnCase{900, 1, -1, false}, TurnCase{1800, -1, -1, true},
                                           TurnCase{2700, -1, 1, false}, TurnCase{-900, -1, 1, false}),
                         [](const ::testing::TestParamInfo<TurnCase>& info) {
                             const int e = info.param.escapement;
                             return e < 0 ? "escapement_minus" + std::to_string(-e)
                                          : "escapement" + std::to_string(e);
                         });

TEST(CanvasText, SolidBrushGivesAnOpaqueBoxClearBrushNone) {
    for (BrushStyle style : {BrushStyle::Solid, BrushStyle::Clear}) {
        QImage image(100, 60, QImage::Format_RGB32);
        image.fill(kWhite);
        RasterCanvas canvas(image);
        Font f = NamedFont("ＭＳ ゴシック", -16);
        f.color = RGB(0xFF, 0, 0);
        canvas.SetFont(f);
        canvas.SetBrush({RGB(0, 0, 0xFF), style});
        canvas.TextOut(10, 20, "Ab");
        const int w = canvas.TextWidth("Ab");
        const int h = canvas.TextHeight("Ab");
        const QRect box(10, 20, w, h);
        const QRect ink = InkBox(image);
        EXPECT_EQ(CountOthers(image, image.rect(), {kWhite, qRgb(0xFF, 0, 0), qRgb(0, 0, 0xFF)}), 0);
        const int boxPixels = CountOthers(image, image.rect(), {kWhite, qRgb(0xFF, 0, 0)});
        if (style == BrushStyle::Solid) {
            EXPECT_EQ(ink, box) << "the box is the text extent at the reference point";
            EXPECT_GT(boxPixels, 0);
        } else {
            EXPECT_TRUE(box.contains(ink));
            EXPECT_EQ(boxPixels, 0);
        }
    }
}

TEST(CanvasText, WrongKindCardFitsAndIsCentredInAThumbnail) {
    // The card shrinks its font by the measured width: the words must really fit the 48 pixels.
    for (int size : {48, 150}) {
        QImage image(size + 20, size + 20, QImage::Format_RGB32);
        image.fill(qRgb(0, 0, 0));
        RasterCanvas canvas(image);
        DrawNotFileCard(canvas, {10, 10, 10 + size, 10 + size}, "Not JWK File");
        const QRect red = InkBox(image.copy(10, 10, size, size), kWhite).translated(10, 10);
        ASSERT_FALSE(red.isEmpty()) << size;
        EXPECT_GE(red.left(), 10);
        EXPECT_LE(red.right(), 10 + size - 1);
        EXPECT_NEAR(red.center().x(), 10 + size / 2, 3) << size;
        EXPECT_NEAR(red.center().y(), 10 + size / 2, 4) << size;
        const QRect card(10, 10, size, size);
        EXPECT_EQ(CountOthers(image, card, {kWhite, qRgb(0xFF, 0, 0)}), 0) << "white card, red words";
        EXPECT_GT(CountOthers(image, card, {kWhite}), 0);
        EXPECT_EQ(image.pixel(5, 5), qRgb(0, 0, 0)) << "nothing outside the rectangle";
    }
}

// Fitting a text to its base line finds the height by halving; on real fonts it must find what
// shrinking one pixel at a time found, so that every text keeps its pixels.
TEST(CanvasText, FittedHeightIsWhatShrinkingPixelByPixelFinds) {
    QImage image(64, 64, QImage::Format_RGB32);
    RasterCanvas canvas(image);
    const auto stepping = [&](std::string_view text, int h0, double length) {
        int height = std::abs(h0);
        canvas.SetFontHeight(height);
        while (canvas.TextWidth(text) > length) {
            canvas.SetFontHeight(--height);
            if (height < 0)
                break;
        }
        return height;
    };
    // "ABC-123", "居間" and kana, in the figure font and its proportional sibling.
    for (const char* face : {"ＭＳ ゴシック", "ＭＳ Ｐゴシック"}) {
        Font font = canvas.GetFont();
        font.name = face;
        canvas.SetFont(font);
        for (const std::string text : {"ABC-123", "\x8b\x8f\x8a\xd4", "\x82\xa0\x82\xa2\x82\xa4i.W"}) {
            for (const int h0 : {-11, -40, 75}) {
                for (int length = 0; length <= 160; length += 7) {
                    SCOPED_TRACE(testing::Message()
                                 << face << " " << text.size() << " " << h0 << " " << length);
                    const int expected = stepping(text, h0, length);
                    EXPECT_EQ(FittedTextHeight(canvas, text, h0, length), expected);
                }
            }
        }
    }
}

} // namespace
} // namespace plavik
