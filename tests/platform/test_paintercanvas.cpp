// The painter canvas on an image, a PDF writer and a PDF printer: device quantities and drawing.
#include "platform/paintercanvas.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <climits>

namespace plavik {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;

QImage WhiteImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

int CountNot(const QImage& image, QRgb colour, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) != colour;
    return n;
}

TEST(PainterCanvas, OnAnImage) {
    QImage image = WhiteImage(60, 60);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true); // the canvas must not inherit it
        PainterCanvas canvas(painter);
        EXPECT_EQ(&canvas.painter(), &painter);
        EXPECT_EQ(canvas.GetDeviceCaps(DeviceCap::LogPixelsX), image.logicalDpiX());
        EXPECT_EQ(canvas.GetDeviceCaps(DeviceCap::PhysicalWidth), 60);
        EXPECT_EQ(canvas.GetDeviceCaps(DeviceCap::PhysicalOffsetY), 0);
        EXPECT_EQ(canvas.Bounds(), (TRect{0, 0, 60, 60}));
        canvas.SetLogPixels(600, 300);
        EXPECT_EQ(canvas.GetDeviceCaps(DeviceCap::LogPixelsY), 300);

        canvas.SetPenColor(RGB(0, 0, 0xFF));
        canvas.MoveTo(5, 10);
        canvas.LineTo(50, 10);
        canvas.MoveTo(5, 20);
        canvas.LineTo(50, 41);
        canvas.LineTo(50, 41); // zero length: nothing
        canvas.SetPenStyle(PenStyle::Clear);
        canvas.MoveTo(5, 55);
        canvas.LineTo(50, 55);
        EXPECT_EQ(canvas.PenPos(), (TPoint{50, 55}));
    }
    const QRgb blue = qRgb(0, 0, 0xFF);
    for (int x = 6; x < 50; ++x)
        EXPECT_EQ(image.pixel(x, 10), blue) << x;
    EXPECT_EQ(CountNot(image, kWhite, QRect(0, 9, 60, 1)) + CountNot(image, kWhite, QRect(0, 11, 60, 1)), 0)
        << "one pixel wide";
    EXPECT_EQ(CountNot(image, kWhite, QRect(0, 42, 60, 18)), 0) << "zero-length and clear-pen lines";
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_TRUE(image.pixel(x, y) == kWhite || image.pixel(x, y) == blue)
                << "smoothed " << x << "," << y;
}

TEST(PainterCanvas, FillsPixelsAndFarCoordinatesUnderATransform) {
    QImage image = WhiteImage(40, 40);
    {
        QPainter painter(&image);
        painter.translate(10, 10); // as a print job may place its origin
        PainterCanvas canvas(painter);
        canvas.SetBrushColor(RGB(0, 0, 0));
        canvas.FillRect({0, 0, 3, 2});
        canvas.FillRect({INT_MIN, 25, INT_MAX, 26}); // the whole row 35 of the image
        canvas.SetBrushStyle(BrushStyle::Clear);
        canvas.FillRect({0, 5, 20, 10});
        canvas.SetPixel(-10, -10, RGB(0, 0, 0));
        canvas.SetPixel(INT_MAX, INT_MAX, RGB(0, 0, 0));
        canvas.MoveTo(INT_MIN, 20);
        canvas.LineTo(INT_MAX, 20); // the whole row 30
    }
    EXPECT_EQ(CountNot(image, kWhite, QRect(10, 10, 3, 2)), 6);
    EXPECT_EQ(CountNot(image, kWhite, QRect(0, 35, 40, 1)), 40);
    EXPECT_EQ(CountNot(image, kWhite, QRect(0, 30, 40, 1)), 40);
    EXPECT_EQ(CountNot(image, kWhite, QRect(0, 0, 40, 40)), 6 + 40 + 40 + 1);
}

TEST(PainterCanvas, TextMatchesTheRasterRules) {
    QImage image = WhiteImage(120, 60);
    int w = 0, h = 0;
    {
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        Font f;
        f.name = "ＭＳ ゴシック";
        f.height = -20;
        canvas.SetFont(f);
        canvas.SetBrushColor(RGB(0, 0xFF, 0));
        canvas.TextOut(10, 15, "Text");
        w = canvas.TextWidth("Text");
        h = canvas.TextHeight("Text");
    }
    ASSERT_GT(w, 20);
    EXPECT_GE(h, 20);
    // The opaque box covers exactly the text extent at the reference point.
    EXPECT_EQ(CountNot(image, kWhite, QRect(10, 15, w, h)), w * h);
    EXPECT_EQ(CountNot(image, kWhite, QRect(0, 0, 120, 60)), w * h);
}

TEST(PainterCanvas, RunsOfLinesReachThePainterAndTheCallerKeepsItsPen) {
    QImage image = WhiteImage(40, 40);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPen callerPen(Qt::green, 3);
    painter.setPen(callerPen);
    {
        PainterCanvas canvas(painter);
        {
            const LineRun run(canvas);
            canvas.SetPenColor(RGB(0, 0, 0xFF));
            canvas.MoveTo(5, 5);
            canvas.LineTo(30, 5);
            canvas.LineTo(30, 30);
            canvas.SetPenColor(RGB(0xFF, 0, 0));
            canvas.LineTo(5, 30);
            canvas.MoveTo(5, 20);
            canvas.LineTo(20, 20);
        }
        // Drawn when the run ends, while the canvas lives on.
        EXPECT_EQ(image.pixel(15, 5), qRgb(0, 0, 0xFF));
        EXPECT_EQ(image.pixel(30, 15), qRgb(0, 0, 0xFF));
        EXPECT_EQ(image.pixel(15, 30), qRgb(0xFF, 0, 0));
        EXPECT_EQ(image.pixel(10, 20), qRgb(0xFF, 0, 0));
        canvas.SetPenColor(RGB(0, 0, 0));
        canvas.MoveTo(5, 35);
        canvas.LineTo(30, 35);
    }
    EXPECT_EQ(painter.pen(), callerPen);
    EXPECT_TRUE(painter.testRenderHint(QPainter::Antialiasing));
    painter.end();
    EXPECT_EQ(image.pixel(15, 35), qRgb(0, 0, 0));
    EXPECT_EQ(CountNot(image, kWhite, QRect(0, 0, 40, 4)), 0) << "one pixel wide, not smoothed";
}

// A device that counts the points it is given to draw lines through.
class PointCounter : public QPaintEngine {
public:
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    Type type() const override { return User; }
    void drawPolygon(const QPointF*, int n, PolygonDrawMode) override { points += n; }
    void drawLines(const QLineF*, int n) override { points += 2 * n; }
    int points = 0;
};

class CountingDevice : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable PointCounter engine;

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
        case PdmHeight:
            return 100;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        default:
            return QPaintDevice::metric(m);
        }
    }
};

TEST(PainterCanvas, LinesStraightOnInARunReachTheDeviceAsOne) {
    CountingDevice device;
    QPainter painter(&device);
    {
        PainterCanvas canvas(painter);
        const LineRun run(canvas);
        canvas.MoveTo(0, 0);
        for (int x = 10; x <= 50; x += 10)
            canvas.LineTo(x, 0);
        canvas.LineTo(50, 20);
        canvas.LineTo(50, 10); // back along the last line: a point of its own
    }
    painter.end();
    EXPECT_EQ(device.engine.points, 4); // (0, 0) (50, 0) (50, 20) (50, 10)
}

// Qt keeps page sizes and margins in whole points: allow one point either way.
double OnePoint(int dpi) {
    return dpi / 72.0 + 1.0;
}

struct PdfJob {
    QTemporaryDir dir;
    QString path() const { return dir.filePath("out.pdf"); }
};

// Renders page 1 of the PDF at `dpi` with poppler; a null image when poppler is not installed.
QImage RenderPdf(const QString& pdf, int dpi) {
    const QString tool = QStandardPaths::findExecutable("pdftoppm");
    if (tool.isEmpty())
        return {};
    const QString base = pdf + "-page";
    QProcess p;
    p.start(tool, {"-r", QString::number(dpi), "-f", "1", "-l", "1", "-singlefile", "-png", pdf, base});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QImage(base + ".png");
}

TEST(PainterCanvas, PdfPrinterQuantitiesAndALine) {
    PdfJob job;
    ASSERT_TRUE(job.dir.isValid());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(job.path());
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(10, 20, 10, 20), QPageLayout::Millimeter);
    QPainter painter;
    ASSERT_TRUE(painter.begin(&printer));
    PainterCanvas canvas(painter);
    const int dpi = printer.resolution();
    EXPECT_EQ(canvas.GetDeviceCaps(DeviceCap::LogPixelsX), dpi);
    EXPECT_EQ(canvas.GetDeviceCaps(DeviceCap::LogPixelsY), dpi);
    EXPECT_NEAR(canvas.GetDeviceCaps(DeviceCap::PhysicalWidth), 210 / 25.4 * dpi, OnePoint(dpi));
    EXPECT_NEAR(canvas.GetDeviceCaps(DeviceCap::PhysicalHeight), 297 / 25.4 * dpi, OnePoint(dpi));
    EXPECT_NEAR(canvas.GetDeviceCaps(DeviceCap::PhysicalOffsetX), 10 / 25.4 * dpi, OnePoint(dpi));
    EXPECT_NEAR(canvas.GetDeviceCaps(DeviceCap::PhysicalOffsetY), 20 / 25.4 * dpi, OnePoint(dpi));
    EXPECT_EQ(canvas.Bounds(), (TRect{0, 0, printer.width(), printer.height()}));
    // A horizontal line across the middle of the printable area, a third of an inch from its top.
    canvas.MoveTo(0, dpi / 3);
    canvas.LineTo(printer.width(), dpi / 3);
    ASSERT_TRUE(painter.end());

    QFile file(job.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
    const QImage page = RenderPdf(job.path(), 72);
    if (page.isNull())
        GTEST_SKIP() << "pdftoppm is not installed";
    // At 72 dpi the line lies 20 mm + 1/3 inch from the top edge: row 56 or 57 (with 1 px either side).
    const int row = static_cast<int>(20 / 25.4 * 72 + 72 / 3.0);
    int dark = 0;
    for (int y = row - 2; y <= row + 2; ++y)
        for (int x = 0; x < page.width(); ++x)
            dark += qGray(page.pixel(x, y)) < 128;
    EXPECT_GT(dark, page.width() / 2);
}

TEST(PainterCanvas, PdfWriterQuantitiesAndFontPixels) {
    PdfJob job;
    ASSERT_TRUE(job.dir.isValid());
    QPdfWriter writer(job.path());
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF(5, 8, 5, 8),
                                     QPageLayout::Millimeter));
    QPainter painter(&writer);
    PainterCanvas canvas(painter);
    EXPECT_EQ(canvas.GetDeviceCaps(DeviceCap::LogPixelsX), 300);
    EXPECT_NEAR(canvas.GetDeviceCaps(DeviceCap::PhysicalWidth), 210 / 25.4 * 300, OnePoint(300));
    EXPECT_NEAR(canvas.GetDeviceCaps(DeviceCap::PhysicalOffsetY), 8 / 25.4 * 300, OnePoint(300));
    Font f;
    f.height = -300; // one inch in device pixels, whatever the resolution
    canvas.SetFont(f);
    EXPECT_NEAR(canvas.TextHeight("A"), 300 * 1.08, 15);
}

} // namespace
} // namespace plavik
