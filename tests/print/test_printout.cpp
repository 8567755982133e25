// Whole printouts to PDF: pages, captions, cancelling, unreadable files; and the progress window.
#include "platform/filetexts.h"
#include "platform/folderscan.h"
#include "print/printjob.h"
#include "print/printout.h"
#include "print/tform3.h"
#include "printfiles.h"
#include "render/palette.h"
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/sizelimit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>

namespace plavik {
namespace {

using test::PdfPages;
using test::PdfText;
using test::PdfTitle;
using test::RunTool;

std::vector<std::uint8_t> Figure(int n) {
    test::JwkWriter w;
    w.Line(0, 0, 100, 100).Line(0, 100, 100, 0).Arc(50, 50, 10.0f + static_cast<float>(n));
    return w.Bytes();
}

// The text extraction turns full-width spaces into runs of plain spaces; both sides of a comparison
// are brought to single plain spaces.
QString Squeezed(QString text) {
    text.replace(QChar(0x3000), QLatin1Char(' '));
    return text.replace(QRegularExpression(QStringLiteral(" +")), QStringLiteral(" "));
}

bool HasText(const QString& pdfText, const QString& expected) {
    return Squeezed(pdfText).contains(Squeezed(expected));
}

struct PdfPrinter {
    QPrinter printer{QPrinter::HighResolution};
    explicit PdfPrinter(const QString& file) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setResolution(600);
        printer.setPageSize(QPageSize(QPageSize::A4));
    }
};

// Runs f once the progress window is up, during the printout's first message pump.
void WhenProgressShows(std::function<void(TForm3&)> f) {
    QTimer::singleShot(0, [f] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* form = qobject_cast<TForm3*>(w); form && form->isVisible())
                f(*form);
    });
}

// Accepts the next message box when it shows, keeping its text; timer watches for it.
void AcceptNextBox(QTimer& timer, QString& text) {
    QObject::connect(&timer, &QTimer::timeout, [&timer, &text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->accept();
            timer.stop();
        }
    });
    timer.start(20);
}

class Printout : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + QLatin1Char('/');
        pdf = folder + QStringLiteral("out.pdf");
    }

    PrintRequest Figures(int count) {
        PrintRequest r;
        r.kind = ListKind::Figures;
        r.folderName = QStringLiteral("部品集");
        r.showErrors = false;
        for (int i = 1; i <= count; ++i) {
            const QString name = QStringLiteral("f%1.jwk").arg(i, 2, 10, QLatin1Char('0'));
            EXPECT_TRUE(test::SaveBytes(folder + name, Figure(i)));
            r.items.push_back({name, Path(name)});
        }
        return r;
    }

    std::filesystem::path Path(const QString& name) const { return PathFromText(folder + name); }

    QTemporaryDir dir;
    QString folder, pdf;
    QWidget owner;
    bool cancel = false;
};

TEST_F(Printout, FiguresPrintTheirPagesAndCaptions) {
    PrintRequest r = Figures(5);
    // Big pictures: one column of two cells to a sheet, whatever the caption font measures.
    r.settings.ImageSize = 90;
    PdfPrinter p(pdf);
    const PrintResult result = PrintList(p.printer, r, &owner, cancel);
    EXPECT_EQ(result.outcome, PrintResult::Outcome::Printed);
    EXPECT_EQ(result.sheets, 3);
    EXPECT_EQ(result.filesDrawn, 5);
    EXPECT_TRUE(result.failedFiles.empty());
    EXPECT_EQ(PdfPages(pdf), 3);
    EXPECT_EQ(PdfTitle(pdf), QStringLiteral("JWK-List  部品集"));
    const QString text = PdfText(pdf);
    const QString size = FileSizeText(QFileInfo(folder + QStringLiteral("f03.jwk")).size());
    EXPECT_TRUE(HasText(text, QStringLiteral("ファイル名：f03.jwk"))) << text.toStdString();
    EXPECT_TRUE(HasText(text, QStringLiteral("サ　イ　ズ：") + size + QStringLiteral(" バイト")))
        << text.toStdString();
    EXPECT_TRUE(HasText(text, QStringLiteral("日　　　付："))) << text.toStdString();
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(p.printer.outputFileName(), pdf);
    // Nothing but the output is left in the folder.
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("out.pdf")});
}

// A name wider than the caption column would run under the next column's picture: it ends in "…".
// With the header on, every sheet names the folder, its path and its page number.
TEST_F(Printout, LongNamesEndInAnEllipsisAndHeadersNumberThePages) {
    PrintRequest r = Figures(5);
    const QString longName = QStringLiteral("1200(内手すりなし)手すり付き階段の詳細図形.jwk");
    ASSERT_TRUE(test::SaveBytes(folder + longName, Figure(6)));
    r.items.push_back({longName, Path(longName)});
    r.settings.ImageSize = 90; // two figures to a sheet: three sheets
    r.settings.PageHeader = true;
    r.headerTitle = QStringLiteral("建具図形");
    r.headerPath = QStringLiteral("/home/user/図形/建具");
    PdfPrinter p(pdf);
    ASSERT_EQ(PrintList(p.printer, r, &owner, cancel).outcome, PrintResult::Outcome::Printed);
    ASSERT_EQ(PdfPages(pdf), 3);
    const QString text = PdfText(pdf);
    EXPECT_TRUE(HasText(text, QStringLiteral("ファイル名：f01.jwk"))) << text.toStdString();
    EXPECT_TRUE(HasText(text, QStringLiteral("ファイル名：1200(内手"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("…"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("詳細図形.jwk"))) << text.toStdString();
    const QStringList pages = text.split(QLatin1Char('\f'));
    ASSERT_GE(pages.size(), 3);
    for (int page = 1; page <= 3; ++page) {
        const QString& on = pages[page - 1];
        EXPECT_TRUE(on.contains(QStringLiteral("建具図形"))) << page << on.toStdString();
        EXPECT_TRUE(on.contains(QStringLiteral("/home/user/図形/建具"))) << page << on.toStdString();
        EXPECT_TRUE(on.contains(QStringLiteral("%1 / 3").arg(page))) << page << on.toStdString();
    }

    // Off, as it is by default: no header.
    r.settings.PageHeader = false;
    PdfPrinter plain(pdf);
    ASSERT_EQ(PrintList(plain.printer, r, &owner, cancel).outcome, PrintResult::Outcome::Printed);
    EXPECT_FALSE(PdfText(pdf).contains(QStringLiteral("1 / 3")));
    EXPECT_FALSE(TListSettings{}.PageHeader);
}

TEST(PdfFileNames, TheTitleMadeSafeForAFileName) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("建具図形"), QStringLiteral("建具図形.pdf")},
        {QStringLiteral("《図形01》建築１"), QStringLiteral("《図形01》建築１.pdf")},
        {QStringLiteral("a/b\\c:d*e?f\"g<h>i|j"), QStringLiteral("a_b_c_d_e_f_g_h_i_j.pdf")},
        {QStringLiteral("tab\there\nnew"), QStringLiteral("tab_here_new.pdf")},
        {QStringLiteral(" ..hidden. "), QStringLiteral("hidden.pdf")},
        {QStringLiteral("v1.2"), QStringLiteral("v1.2.pdf")},
        {QStringLiteral(""), QStringLiteral("print.pdf")},
        {QStringLiteral(" . "), QStringLiteral("print.pdf")},
    };
    for (const auto& [title, name] : cases)
        EXPECT_EQ(PdfFileName(title), name) << title.toStdString();
    // A long title is cut at a whole character, short enough for any file system.
    const QString longName = PdfFileName(QString(300, QChar(u'図')) + QStringLiteral("😀"));
    EXPECT_LE(longName.toUtf8().size(), 255);
    EXPECT_TRUE(longName.endsWith(QStringLiteral("図.pdf")));
    const QString emoji =
        PdfFileName(QStringLiteral("a") + QString(60, QChar(u'x')).replace(u'x', QStringLiteral("😀")));
    EXPECT_TRUE(emoji.isValidUtf16()) << emoji.toStdString();
}

TEST_F(Printout, CaptionsOffLeaveOnlyPictures) {
    PrintRequest r = Figures(2);
    r.settings.prFileName = r.settings.prFileSize = r.settings.prFileDate = false;
    PdfPrinter p(pdf);
    EXPECT_EQ(PrintList(p.printer, r, &owner, cancel).outcome, PrintResult::Outcome::Printed);
    EXPECT_EQ(PdfPages(pdf), 1);
    EXPECT_FALSE(PdfText(pdf).contains(QStringLiteral("ファイル名")));
}

TEST_F(Printout, DrawingsCarryTheirCommentAndTitle) {
    PrintRequest r;
    r.kind = ListKind::Drawings;
    r.folderName = QStringLiteral("図面");
    r.showErrors = false;
    test::JwcWriter w;
    w.Comment("PLAN-A first floor").Line(0, 0, 100, 50);
    w.Save((folder + QStringLiteral("plan.jwc")).toStdString());
    r.items.push_back({QStringLiteral("plan.jwc"), Path(QStringLiteral("plan.jwc"))});
    PdfPrinter p(pdf);
    EXPECT_EQ(PrintList(p.printer, r, &owner, cancel).outcome, PrintResult::Outcome::Printed);
    EXPECT_EQ(PdfTitle(pdf), QStringLiteral("JWC-List"));
    const QString text = PdfText(pdf);
    EXPECT_TRUE(HasText(text, QStringLiteral("コメント　：PLAN-A first floor"))) << text.toStdString();
    EXPECT_TRUE(HasText(text, QStringLiteral("サイズ　　："))) << text.toStdString();
    EXPECT_TRUE(HasText(text, QStringLiteral("日付　　　："))) << text.toStdString();
}

TEST_F(Printout, CancelBeforeTheFirstFileLeavesNoOutput) {
    const PrintRequest r = Figures(3);
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("kept");
    old.close();
    bool ownerWasDisabled = false;
    QString shown;
    WhenProgressShows([&](TForm3& form) {
        ownerWasDisabled = !owner.isEnabled();
        shown = form.findChild<QLabel*>(QStringLiteral("Label2"))->text() + QLatin1Char('/') +
                form.findChild<QLabel*>(QStringLiteral("Label4"))->text();
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    });
    PdfPrinter p(pdf);
    const PrintResult result = PrintList(p.printer, r, &owner, cancel);
    EXPECT_EQ(result.outcome, PrintResult::Outcome::Cancelled);
    EXPECT_EQ(result.filesDrawn, 0);
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_EQ(shown, QStringLiteral("1/3"));
    EXPECT_TRUE(owner.isEnabled());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("kept"));
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("out.pdf")});
    // No progress window outlives the printout.
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TForm3*>(w), nullptr);

    // The next printout starts afresh and runs to its end.
    const PrintResult again = PrintList(p.printer, r, &owner, cancel);
    EXPECT_EQ(again.outcome, PrintResult::Outcome::Printed);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(PdfPages(pdf), 1);
}

TEST_F(Printout, CancelWithoutTargetFileLeavesNothing) {
    const PrintRequest r = Figures(1);
    WhenProgressShows([](TForm3& form) { form.findChild<QPushButton*>(QStringLiteral("Button1"))->click(); });
    PdfPrinter p(pdf);
    EXPECT_EQ(PrintList(p.printer, r, &owner, cancel).outcome, PrintResult::Outcome::Cancelled);
    EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(Printout, UnreadableFileGetsTheCardAndTheJobGoesOn) {
    PrintRequest r = Figures(2);
    const QString broken = QStringLiteral("f00.jwk");
    EXPECT_TRUE(test::SaveBytes(folder + broken, test::JwkWriter().Line(0, 0, 1, 1).Cut(420)));
    r.items.insert(r.items.begin(), {broken, Path(broken)});
    r.settings.UnKnownJwk = true;
    r.showErrors = true;
    QString boxText;
    QTimer boxWatch;
    AcceptNextBox(boxWatch, boxText);
    PdfPrinter p(pdf);
    const PrintResult result = PrintList(p.printer, r, &owner, cancel);
    EXPECT_EQ(result.outcome, PrintResult::Outcome::Printed);
    EXPECT_EQ(result.filesDrawn, 3);
    ASSERT_EQ(result.failedFiles.size(), 1u);
    EXPECT_EQ(result.failedFiles[0].fileName, broken);
    EXPECT_TRUE(boxText.contains(broken)) << boxText.toStdString();
    const QString text = PdfText(pdf);
    EXPECT_TRUE(HasText(text, QStringLiteral("Not JWK File"))) << text.toStdString();
    EXPECT_TRUE(HasText(text, QStringLiteral("f02.jwk")));
    EXPECT_TRUE(owner.isEnabled());
}

#ifndef _WIN32
// A PDF cut short (a full disk, a file size limit) fails with the system's reason in the error box,
// even a job of one sheet, and the earlier file stays as it was.
TEST_F(Printout, PdfCutShortIsReportedWithTheReason) {
    PrintRequest r = Figures(1);
    r.showErrors = true;
    ASSERT_TRUE(test::SaveBytes(pdf, {'k', 'e', 'p', 't'}));
    QString boxText;
    QTimer boxWatch;
    AcceptNextBox(boxWatch, boxText);
    PdfPrinter p(pdf);
    PrintResult result;
    {
        test::FileSizeLimit limit(2048);
        result = PrintList(p.printer, r, &owner, cancel);
    }
    EXPECT_EQ(result.outcome, PrintResult::Outcome::Failed);
    EXPECT_TRUE(boxText.contains(QString::fromLocal8Bit(std::strerror(EFBIG)))) << boxText.toStdString();
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("kept"));
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.pdf*")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("out.pdf")});
    EXPECT_TRUE(owner.isEnabled());
}
#endif

TEST_F(Printout, PrinterThatCannotStartFailsWithoutAWindow) {
    const PrintRequest r = Figures(1);
    PdfPrinter p(folder + QStringLiteral("no/such/folder/out.pdf"));
    const PrintResult result = PrintList(p.printer, r, &owner, cancel);
    EXPECT_EQ(result.outcome, PrintResult::Outcome::Failed);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(Printout, CaptionsStayReadableOnABlackBackground) {
    PrintRequest r = Figures(1);
    // The black-background colour preset: the figures are drawn in the colours of the settings.
    r.settings.Back() = 0x00000000;
    for (int pen = 1; pen <= 6; ++pen)
        r.settings.Pen(pen) = 0x00FFFFFF;
    r.settings.prText = false;
    r.font.Size = 20;
    PdfPrinter p(pdf);
    const PrintResult result = PrintList(p.printer, r, &owner, cancel);
    ASSERT_EQ(result.outcome, PrintResult::Outcome::Printed);
    const QString png = folder + QStringLiteral("page");
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                                         QStringLiteral("-singlefile"), pdf, png});
    const QImage page(png + QStringLiteral(".png"));

    ASSERT_FALSE(page.isNull());
    // The caption column starts 22 mm from the left margin: 42 mm from the paper's edge, 83 px at 50 dpi.
    // Its first lines are mostly white paper with dark letters, never a solid box.
    int dark = 0, total = 0;
    for (int y = 40; y < 58; ++y)
        for (int x = 84; x < 180; ++x, ++total)
            dark += qGray(page.pixel(x, y)) < 128;
    EXPECT_GT(dark, 0);
    EXPECT_LT(dark, total / 2);
}

// Pixels of the page's first sheet that are not grey.
int ColouredPixels(const QString& pdf) {
    const QImage page = test::PdfPage(pdf, 1, 50);
    int coloured = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = page.pixel(x, y);
            coloured += qRed(c) != qGreen(c) || qGreen(c) != qBlue(c);
        }
    return page.isNull() ? -1 : coloured;
}

TEST_F(Printout, GrayscalePdfHasNoColour) {
    PrintRequest r = Figures(1);
    for (int pen = 1; pen <= 6; ++pen)
        r.settings.Pen(pen) = 0x000000FF; // red lines
    r.font.Color = 0x00FF0000;            // blue captions
    PdfPrinter colour(pdf);
    ASSERT_EQ(PrintList(colour.printer, r, &owner, cancel).outcome, PrintResult::Outcome::Printed);
    EXPECT_GT(ColouredPixels(pdf), 0);

    r.grayscale = true;
    PdfPrinter grey(pdf);
    ASSERT_EQ(PrintList(grey.printer, r, &owner, cancel).outcome, PrintResult::Outcome::Printed);
    EXPECT_EQ(ColouredPixels(pdf), 0);
}

TEST(PrintJobArguments, LpGetsPrinterTitlePaperAndSides) {
    QPrinter printer;
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    const QStringList args =
        LpArguments(LpJobOf(printer, QStringLiteral("JWC-List")), QStringLiteral("/spool/job.prn"));
    EXPECT_EQ(args.mid(2, 2), (QStringList{QStringLiteral("-t"), QStringLiteral("JWC-List")}));
    EXPECT_TRUE(args.contains(QStringLiteral("media=A4")));
    EXPECT_TRUE(args.contains(QStringLiteral("sides=one-sided")));
    EXPECT_TRUE(args.contains(QStringLiteral("landscape")));
    EXPECT_FALSE(args.contains(QStringLiteral("-n"))); // one copy
    EXPECT_EQ(args.last(), QStringLiteral("/spool/job.prn"));
    EXPECT_EQ(args[args.size() - 2], QStringLiteral("--"));
}

TEST(PrintJobArguments, CopiesCollationAndPageRangeOfThePrinterReachTheJob) {
    QPrinter printer;
    printer.setCopyCount(3);
    printer.setCollateCopies(true);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 4);
    const LpJob job = LpJobOf(printer, "t");
    EXPECT_EQ(job.copies, 3);
    EXPECT_TRUE(job.collate);
    EXPECT_EQ(job.fromPage, 2);
    EXPECT_EQ(job.toPage, 4);
    const QStringList args = LpArguments(job, "f");
    const qsizetype n = args.indexOf("-n");
    ASSERT_GE(n, 0);
    EXPECT_EQ(args[n + 1], "3");
    EXPECT_TRUE(args.contains("collate=true"));
    EXPECT_TRUE(args.contains("page-ranges=2-4"));

    printer.setCollateCopies(false);
    printer.setPrintRange(QPrinter::AllPages);
    const QStringList uncollated = LpArguments(LpJobOf(printer, "t"), "f");
    EXPECT_TRUE(uncollated.contains("collate=false"));
    EXPECT_FALSE(uncollated.join(' ').contains("page-ranges"));
}

TEST(PrintJobArguments, ThePrintersOwnOptionsComeLastAndWin) {
    LpJob job;
    job.destination = "office";
    job.title = "JWK-List";
    job.media = "A4";
    job.cupsOptions = {"page-ranges", "1-2", "InputSlot", "Tray2", "print-quality", "5", "fit-to-page", ""};
    job.fromPage = 3; // the range CUPS already has stays the one used
    job.toPage = 3;
    const QStringList args = LpArguments(job, "f");
    EXPECT_EQ(args.mid(0, 4), (QStringList{"-d", "office", "-t", "JWK-List"}));
    const QStringList tail = {
        "-o", "page-ranges=1-2", "-o", "InputSlot=Tray2", "-o", "print-quality=5", "-o", "fit-to-page", "--",
        "f"};
    EXPECT_EQ(args.mid(args.size() - tail.size()), tail);
    EXPECT_FALSE(args.contains("page-ranges=3-3"));
}

TEST(ProgressWindow, HasItsDesignAndOnlyTheButtonStopsIt) {
    QWidget owner;
    bool cancel = false;
    TForm3 form(cancel, &owner);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("印刷"));
    EXPECT_EQ(form.size(), QSize(233, 93));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(form.font().pixelSize(), 12);
    auto* button = form.findChild<QPushButton*>(QStringLiteral("Button1"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_EQ(button->geometry(), QRect(76, 56, 79, 25));
    EXPECT_FALSE(button->isDefault());
    EXPECT_FALSE(button->autoDefault());
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("印刷中・・・"));

    // The current number grows to the left of the slash; the total to its right.
    auto* current = form.findChild<QLabel*>(QStringLiteral("Label2"));
    auto* total = form.findChild<QLabel*>(QStringLiteral("Label4"));
    for (int n : {1, 42, 12345}) {
        form.SetCurrent(n);
        EXPECT_EQ(current->text(), QString::number(n));
        EXPECT_EQ(current->geometry().right() + 1, 105) << n;
    }
    form.SetTotal(1000);
    EXPECT_EQ(total->text(), QStringLiteral("1000"));
    EXPECT_EQ(total->x(), 124);

    // Neither the frame's close nor Escape closes it.
    form.close();
    EXPECT_TRUE(form.isVisible());
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(cancel);
    button->click();
    button->click();
    EXPECT_TRUE(cancel);
    EXPECT_TRUE(form.isVisible());
}

} // namespace
} // namespace plavik
