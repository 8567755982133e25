// The printout core straight into PDF files: the same sheets as the printer printout, the progress
// it reports, cancelling and failing without leaving files, and the checked PDF file.
#include "platform/folderscan.h"
#include "print/pdffile.h"
#include "print/pdfprint.h"
#include "print/printout.h"
#include "printfiles.h"
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/sizelimit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QWidget>

#include <cerrno>
#include <cstring>
#include <vector>

namespace plavik {
namespace {

using test::PdfPage;
using test::PdfPages;
using test::PdfPageSize;
using test::PdfText;
using test::PdfTitle;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file of the folder, hidden ones included.
QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Records what the printout reports, and cancels before file cancelAt (0: never).
class RecordingProgress : public PrintProgress {
public:
    explicit RecordingProgress(int cancelAt = 0) : cancelAt_(cancelAt) {}
    void SetTotal(int count) override { total = count; }
    void SetCurrent(int number) override { current.push_back(number); }
    bool Cancelled() override { return cancelAt_ > 0 && current.back() >= cancelAt_; }

    int total = -1;
    std::vector<int> current;

private:
    int cancelAt_;
};

class PdfPrint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + QStringLiteral("/list/");
        out = dir.path() + QStringLiteral("/out/");
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QDir().mkpath(out));
    }

    // count figures; big pictures put two cells on a sheet, so count files make (count + 1) / 2 sheets.
    PrintRequest Figures(int count) {
        PrintRequest r;
        r.kind = ListKind::Figures;
        r.folderName = QStringLiteral("部品集");
        r.showErrors = false;
        r.settings.ImageSize = 90;
        for (int i = 1; i <= count; ++i) {
            const QString name = QStringLiteral("f%1.jwk").arg(i, 2, 10, QLatin1Char('0'));
            test::JwkWriter w;
            w.Line(0, 0, 100, 100).Line(0, 100, 100, 0).Arc(50, 50, 10.0f + static_cast<float>(i));
            EXPECT_TRUE(test::SaveBytes(folder + name, w.Bytes()));
            r.items.push_back({name, Path(name)});
        }
        return r;
    }

    PrintRequest Drawings() {
        PrintRequest r;
        r.kind = ListKind::Drawings;
        r.showErrors = false;
        test::JwcWriter w;
        w.Comment("PLAN-A first floor").Line(0, 0, 100, 50);
        w.Save((folder + QStringLiteral("plan.jwc")).toStdString());
        EXPECT_TRUE(
            test::SaveBytes(folder + QStringLiteral("text.jwc"), {'n', 'o', 't', ' ', 'j', 'w', 'c'}));
        for (const QString& name : {QStringLiteral("plan.jwc"), QStringLiteral("text.jwc")})
            r.items.push_back({name, Path(name)});
        r.settings.UnKnownJwc = true;
        return r;
    }

    std::filesystem::path Path(const QString& name) const { return PathFromText(folder + name); }

    QTemporaryDir dir;
    QString folder, out;
};

TEST_F(PdfPrint, GivesTheSheetsOfThePrinterPrintout) {
    if (!test::HavePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    struct Case {
        const char* name;
        PrintRequest request;
        int pages;
    };
    PrintRequest figures = Figures(3);
    // A broken file among them: its cell holds the card in both printouts.
    EXPECT_TRUE(
        test::SaveBytes(folder + QStringLiteral("f00.jwk"), test::JwkWriter().Line(0, 0, 1, 1).Cut(420)));
    figures.items.insert(figures.items.begin(), {QStringLiteral("f00.jwk"), Path(QStringLiteral("f00.jwk"))});
    figures.settings.UnKnownJwk = true;
    const Case cases[] = {{"figures", figures, 2}, {"drawings", Drawings(), 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString viaPrinter = out + QStringLiteral("printer.pdf");
        const QString viaCore = out + QStringLiteral("core.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(viaPrinter);
        printer.setResolution(600);
        printer.setPageSize(QPageSize(QPageSize::A4));
        QWidget owner;
        bool cancel = false;
        const PrintResult a = PrintList(printer, c.request, &owner, cancel);
        SilentProgress silent;
        const PrintResult b = PrintListToPdf(viaCore, PdfSheets{}, c.request, silent);

        ASSERT_EQ(a.outcome, PrintResult::Outcome::Printed);
        ASSERT_EQ(b.outcome, PrintResult::Outcome::Printed);
        EXPECT_EQ(b.sheets, a.sheets);
        EXPECT_EQ(b.filesDrawn, a.filesDrawn);
        ASSERT_EQ(b.failedFiles.size(), a.failedFiles.size());
        for (std::size_t i = 0; i < a.failedFiles.size(); ++i) {
            EXPECT_EQ(b.failedFiles[i].fileName, a.failedFiles[i].fileName);
            EXPECT_EQ(b.failedFiles[i].message, a.failedFiles[i].message);
        }
        EXPECT_EQ(PdfPages(viaCore), c.pages);
        EXPECT_EQ(PdfPages(viaPrinter), c.pages);
        EXPECT_EQ(PdfTitle(viaCore), JobTitle(c.request));
        EXPECT_EQ(PdfPageSize(viaCore), PdfPageSize(viaPrinter));
        EXPECT_EQ(PdfText(viaCore), PdfText(viaPrinter));
        EXPECT_TRUE(
            PdfText(viaCore).contains(c.request.kind == ListKind::Figures ? "Not JWK File" : "text.jwc"));
        for (int page = 1; page <= c.pages; ++page) {
            const QImage core = PdfPage(viaCore, page, 40), direct = PdfPage(viaPrinter, page, 40);
            ASSERT_FALSE(core.isNull());
            EXPECT_EQ(core, direct) << "page " << page;
        }
        EXPECT_EQ(FilesIn(out), (QStringList{QStringLiteral("core.pdf"), QStringLiteral("printer.pdf")}));
        QFile::remove(viaCore);
        QFile::remove(viaPrinter);
    }
}

TEST_F(PdfPrint, ReportsProgressAndCancelsWithoutOutput) {
    struct Case {
        int cancelAt;
        PrintResult::Outcome outcome;
        int filesDrawn;
        std::vector<int> current;
    };
    const Case cases[] = {
        {0, PrintResult::Outcome::Printed, 5, {1, 2, 3, 4, 5}},
        {1, PrintResult::Outcome::Cancelled, 0, {1}},
        {4, PrintResult::Outcome::Cancelled, 3, {1, 2, 3, 4}}, // after a page break
        {5, PrintResult::Outcome::Cancelled, 4, {1, 2, 3, 4, 5}},
    };
    const PrintRequest request = Figures(5);
    const QString target = out + QStringLiteral("list.pdf");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cancelAt);
        EXPECT_TRUE(test::SaveBytes(target, {'o', 'l', 'd'}));
        RecordingProgress progress(c.cancelAt);
        const PrintResult result = PrintListToPdf(target, PdfSheets{}, request, progress);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.filesDrawn, c.filesDrawn);
        EXPECT_EQ(progress.total, 5);
        EXPECT_EQ(progress.current, c.current);
        EXPECT_EQ(FilesIn(out), QStringList{QStringLiteral("list.pdf")});
        if (c.outcome == PrintResult::Outcome::Printed) {
            EXPECT_EQ(result.sheets, 3);
            EXPECT_TRUE(ReadAll(target).startsWith("%PDF-"));
        } else {
            EXPECT_EQ(ReadAll(target), QByteArray("old"));
        }
    }
}

TEST_F(PdfPrint, TargetThatCannotBeWrittenFails) {
    const PrintRequest request = Figures(1);
    SilentProgress progress;
    const PrintResult result =
        PrintListToPdf(out + QStringLiteral("no/such/folder/x.pdf"), PdfSheets{}, request, progress);
    EXPECT_EQ(result.outcome, PrintResult::Outcome::Failed);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(result.filesDrawn, 0);
    EXPECT_TRUE(FilesIn(out).isEmpty());

    // A folder in the target's place: the sheets are drawn, the rename fails, nothing is left.
    ASSERT_TRUE(QDir().mkpath(out + QStringLiteral("taken.pdf/inside")));
    const PrintResult taken =
        PrintListToPdf(out + QStringLiteral("taken.pdf"), PdfSheets{}, request, progress);
    EXPECT_EQ(taken.outcome, PrintResult::Outcome::Failed);
    EXPECT_TRUE(taken.error.contains(QStringLiteral("taken.pdf"))) << taken.error.toStdString();
    EXPECT_TRUE(FilesIn(out).isEmpty());
}

TEST_F(PdfPrint, SheetBreaksGoThroughTheCallback) {
    const PrintRequest request = Figures(5);
    struct Case {
        int breaksAllowed;
        PrintResult::Outcome outcome;
        int sheets;
        int filesDrawn;
        int calls;
    };
    const Case cases[] = {
        {2, PrintResult::Outcome::Printed, 3, 5, 2},
        {1, PrintResult::Outcome::Failed, 2, 4, 2},
        {0, PrintResult::Outcome::Failed, 1, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.breaksAllowed);
        QPdfWriter writer(out + QStringLiteral("breaks.pdf"));
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        int calls = 0;
        SilentProgress progress;
        const PrintResult result = DrawList(painter, request, progress, [&](QString& error) {
            if (++calls > c.breaksAllowed) {
                error = QStringLiteral("paper jam");
                return false;
            }
            return writer.newPage();
        });
        painter.end();
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.sheets, c.sheets);
        EXPECT_EQ(result.filesDrawn, c.filesDrawn);
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(result.error,
                  c.outcome == PrintResult::Outcome::Failed ? QStringLiteral("paper jam") : QString());
    }
}

// A page with a line, as a job paints it.
void PaintPage(PdfFile& file) {
    QPainter painter(&file.Writer());
    painter.drawLine(0, 0, 1000, 1000);
}

TEST(PdfFileTest, AppearsOnlyWhenCommittedAndWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("out.pdf"));
    EXPECT_TRUE(test::SaveBytes(target, {'o', 'l', 'd'}));
    {
        PdfFile file(target);
        ASSERT_TRUE(file.Open());
        PaintPage(file);
    } // dropped without a commit
    EXPECT_EQ(ReadAll(target), QByteArray("old"));
    EXPECT_EQ(FilesIn(dir.path()), QStringList{QStringLiteral("out.pdf")});
#ifndef _WIN32
    {
        // Cut short by a file size limit: Qt does not tell, the file does.
        PdfFile file(target);
        ASSERT_TRUE(file.Open());
        test::FileSizeLimit limit(200);
        PaintPage(file);
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(file.Error(), QDir::toNativeSeparators(target) + QStringLiteral(" を書けません: ") +
                                    QString::fromLocal8Bit(std::strerror(EFBIG)));
        EXPECT_EQ(file.Reason(), QString::fromLocal8Bit(std::strerror(EFBIG)));
    }
    EXPECT_EQ(ReadAll(target), QByteArray("old"));
    EXPECT_EQ(FilesIn(dir.path()), QStringList{QStringLiteral("out.pdf")});
#endif
    {
        PdfFile file(target);
        ASSERT_TRUE(file.Open());
        PaintPage(file);
        EXPECT_TRUE(file.Commit());
    }
    EXPECT_TRUE(ReadAll(target).startsWith("%PDF"));
    EXPECT_EQ(PdfPages(target), 1);
    EXPECT_EQ(FilesIn(dir.path()), QStringList{QStringLiteral("out.pdf")});

    PdfFile nowhere(dir.filePath(QStringLiteral("missing/out.pdf")));
    EXPECT_FALSE(nowhere.Open());
    EXPECT_TRUE(nowhere.Error().contains(QStringLiteral("missing"))) << nowhere.Error().toStdString();
}

} // namespace
} // namespace plavik
