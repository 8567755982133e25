// One drawing printed alone: at true scale a millimetre of its sheet is a millimetre of paper,
// measured in the PDF; fitted, the sheet fills the page.
#include "print/drawingprint.h"
#include "printfiles.h"
#include "support/jwwwriter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>

namespace plavik {
namespace {

// The longest run of dark pixels in any row of the page, in pixels.
int LongestDarkRun(const QImage& page) {
    int longest = 0;
    for (int y = 0; y < page.height(); ++y) {
        int run = 0;
        for (int x = 0; x < page.width(); ++x) {
            run = qGray(page.pixel(x, y)) < 160 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

TEST(DrawingPrint, TrueScaleKeepsMillimetresAndFitFillsThePage) {
    if (!test::HavePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A line of 100 mm on an A3 sheet, printed on A4 paper.
    const std::vector<std::uint8_t> bytes = test::JwwWriter::Drawing().Paper(3).Line(-50, 0, 50, 0).Bytes();
    ASSERT_EQ(TrueScaleSheet(FileFormat::Jww, bytes), QSizeF(420, 297));
    RenderOptions options;
    options.flags = PrintFlags(ListKind::Drawings, false);
    constexpr int kDpi = 254; // 10 pixels a millimetre

    const auto print = [&](DrawingScale scale, const QString& name) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
        const QString pdf = dir.filePath(name);
        printer.setOutputFileName(pdf);
        EXPECT_EQ(PrintDrawing(printer, name, FileFormat::Jww, ListKind::Drawings, bytes, options, scale),
                  std::nullopt);
        return pdf;
    };
    const QString trueScale = print(DrawingScale::TrueScale, QStringLiteral("true.pdf"));
    EXPECT_TRUE(test::PdfPageSize(trueScale).startsWith(QStringLiteral("842 x 595"))) // turned
        << test::PdfPageSize(trueScale).toStdString();
    EXPECT_NEAR(LongestDarkRun(test::PdfPage(trueScale, 1, kDpi)), 1000, 3);

    // Fitted, the A3 sheet shrinks to the A4 page: 100 x 297 / 420 mm.
    const QString fitted = print(DrawingScale::FitPage, QStringLiteral("fit.pdf"));
    EXPECT_NEAR(LongestDarkRun(test::PdfPage(fitted, 1, kDpi)), 707, 4);
}

TEST(DrawingPrint, APrinterThatCannotStartSaysWhyAndWritesNothing) {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString target = dir.filePath("missing/out.pdf");
    printer.setOutputFileName(target);
    const std::vector<std::uint8_t> bytes = test::JwwWriter::Drawing().Paper(4).Line(-50, 0, 50, 0).Bytes();
    const std::optional<QString> failure =
        PrintDrawing(printer, "x", FileFormat::Jww, ListKind::Drawings, bytes, {}, DrawingScale::TrueScale);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->contains(target)) << failure->toStdString();
    EXPECT_FALSE(QFile::exists(target));
}

TEST(DrawingPrint, SheetsOfUnknownSizeHaveNoTrueScale) {
    EXPECT_EQ(TrueScaleSheet(FileFormat::Jww, test::JwwWriter::Drawing().Paper(12).Bytes()), std::nullopt);
    EXPECT_EQ(TrueScaleSheet(FileFormat::Jwc, test::JwwWriter::Drawing().Paper(3).Bytes()), std::nullopt);
}

} // namespace
} // namespace plavik
