// sheet: a folder listed and printed to PDF, with the settings of an INI file; pages, titles and
// captions read back with poppler's tools.
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"
#include "toolrunner.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <filesystem>

#include <cerrno>
#include <cstring>

namespace plavik::test {
namespace {

struct Pdf {
    int pages = 0;
    QString title;
    QString pageSize;
    QString text;
};

// Reads a PDF back with pdfinfo and pdftotext.
Pdf ReadPdf(const QString& path) {
    Pdf pdf;
    const ToolRun info = RunProgram("pdfinfo", {path});
    EXPECT_EQ(info.exitCode, 0) << info.err.toStdString();
    for (const QString& line : QString::fromUtf8(info.out).split('\n')) {
        const QString value = line.section(':', 1).trimmed();
        if (line.startsWith("Pages:"))
            pdf.pages = value.toInt();
        else if (line.startsWith("Title:"))
            pdf.title = line.mid(6).remove(QRegularExpression("^ +"));
        else if (line.startsWith("Page size:"))
            pdf.pageSize = value;
    }
    pdf.text = QString::fromUtf8(RunProgram("pdftotext", {path, "-"}).out);
    return pdf;
}

class ToolSheet : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pdfinfo").isEmpty() ||
            QStandardPaths::findExecutable("pdftotext").isEmpty())
            GTEST_SKIP() << "poppler-utils are not installed";
        ASSERT_TRUE(QDir().mkpath(folder()));
    }
    QString folder() const { return scratch.Path("list"); }
    QString In(const QString& name) const { return "list/" + name; }
    // Settings with pictures so large that two fit on a sheet: two rows in one column.
    QString TwoPerSheet(const QString& more = QString()) const {
        const QString path = scratch.Path("two.ini");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(("[ImageSet]\nImageSize=100\nImageSize2=150\n" + more).toUtf8());
        return path;
    }
    ToolRun Sheet(const QStringList& more = {}) {
        QFile::remove(pdfPath());
        return RunTool(QStringList{"sheet", folder(), pdfPath()} + more);
    }
    QString pdfPath() const { return scratch.Path("out.pdf"); }

    Scratch scratch;
};

TEST_F(ToolSheet, FigureFolderWithDefaults) {
    scratch.Write(In("b.jwk"), JwkWriter().Line(0, 0, 100, 100).Bytes());
    scratch.Write(In("a.JWK"), JwkWriter().Text(10, 50, 90, 50, "TXT").Bytes());
    scratch.Write(In("c.jwc"), JwcWriter().Build()); // a figure folder lists figures only
    scratch.Write(In("Zu_name.dat"), {'F', 'o', 'l', 'd', 'e', 'r', '-', '1', 'x', 'y'});
    const ToolRun run = Sheet();
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const Pdf pdf = ReadPdf(pdfPath());
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_EQ(pdf.title, "JWK-List  Folder-1"); // the first 8 bytes of Zu_name.dat
    EXPECT_TRUE(pdf.pageSize.contains("(A4)")) << pdf.pageSize.toStdString();
    // Captions in the list's order.
    const qsizetype a = pdf.text.indexOf("a.JWK"), b = pdf.text.indexOf("b.jwk");
    EXPECT_GE(a, 0);
    EXPECT_GT(b, a);
    EXPECT_FALSE(pdf.text.contains("c.jwc"));
}

TEST_F(ToolSheet, PagesFollowTheSettings) {
    for (int i = 0; i < 5; ++i)
        scratch.Write(In(QString("f%1.jwk").arg(i)), JwkWriter().Line(0, 0, 100, 100).Bytes());
    const ToolRun run = Sheet({"--settings", TwoPerSheet()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const Pdf pdf = ReadPdf(pdfPath());
    EXPECT_EQ(pdf.pages, 3);
    EXPECT_EQ(pdf.title, "JWK-List  [無し]");
}

TEST_F(ToolSheet, DrawingFolderAndUnknownFiles) {
    scratch.Write(In("one.jwc"), JwcWriter().Comment("memo-1").Build());
    scratch.Write(In("two.jwc"), JwcWriter().Build());
    scratch.Write(In("text.jwc"), {'n', 'o', 't', ' ', 'a', ' ', 'd', 'r', 'a', 'w', 'i', 'n', 'g'});
    // Landscape pictures of 150 mm: two to a sheet as well.
    ToolRun run = Sheet({"--settings", TwoPerSheet()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    Pdf pdf = ReadPdf(pdfPath());
    EXPECT_EQ(pdf.title, "JWC-List");
    EXPECT_EQ(pdf.pages, 1); // the file of neither kind is left out
    EXPECT_TRUE(pdf.text.contains("memo-1")) << pdf.text.toStdString();
    EXPECT_FALSE(pdf.text.contains("text.jwc"));

    run = Sheet({"--settings", TwoPerSheet("[ApplicationSet]\nUnKnownJwc=1\n")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    pdf = ReadPdf(pdfPath());
    EXPECT_EQ(pdf.pages, 2);
    EXPECT_TRUE(pdf.text.contains("text.jwc"));
}

TEST_F(ToolSheet, FailuresAndNothingToPrint) {
    struct Case {
        QString name;
        std::vector<std::uint8_t> bytes;
        QStringList options;
        int status;
    };
    const Case cases[] = {
        {"", {}, {}, 1},                                            // an empty folder
        {"notes.txt", {'x'}, {}, 1},                                // nothing of either kind
        {"cut.jwk", JwkWriter().Counts(3, 0, 0, 0).Bytes(), {}, 3}, // unreadable, so not listed
        {"", {}, {"--settings", "missing.ini"}, 3},
    };
    for (const Case& c : cases) {
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
        if (!c.name.isEmpty())
            scratch.Write(In(c.name), c.bytes);
        const ToolRun run = Sheet(c.options);
        EXPECT_EQ(run.exitCode, c.status) << c.name.toStdString();
        EXPECT_EQ(ErrorLines(run).size(), 1) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(pdfPath())) << c.name.toStdString();
    }

    // A value of the wrong type in the settings file (an unquoted list) stops before printing.
    scratch.Write(In("f.jwk"), JwkWriter().Bytes());
    ToolRun run = Sheet({"--settings", TwoPerSheet("[ApplicationSet]\nIconSize=1,2\n")});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(ErrorLines(run).value(0).contains("IconSize")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdfPath()));

    run = RunTool({"sheet", scratch.Path("nowhere"), pdfPath()});
    EXPECT_EQ(run.exitCode, 3);
    run = RunTool({"sheet", folder(), scratch.Path("no/such/out.pdf")});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(ErrorLines(run).size(), 1) << run.err.toStdString();
}

#ifndef _WIN32
// "-" is standard output; a PDF cut short by a file size limit exits 4 with the reason and leaves the
// earlier file and nothing else.
TEST_F(ToolSheet, StandardOutputAndAFileSizeLimit) {
    scratch.Write(In("f.jwk"), JwkWriter().Line(0, 0, 100, 100).Bytes());
    const ToolRun piped = RunTool({"sheet", folder(), "-"});
    EXPECT_EQ(piped.exitCode, 0) << piped.err.toStdString();
    EXPECT_TRUE(piped.out.startsWith("%PDF-"));
    EXPECT_TRUE(piped.out.trimmed().endsWith("%%EOF"));

    scratch.Write("out.pdf", {'o', 'l', 'd'});
    const ToolRun limited = RunTool({"sheet", folder(), pdfPath()}, {}, WithFileSizeLimit(2048));
    EXPECT_EQ(limited.exitCode, 4);
    EXPECT_EQ(ErrorLines(limited),
              QStringList{"plavik-render: " + pdfPath() + ": cannot be written: " + std::strerror(EFBIG)});
    QFile old(pdfPath());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    EXPECT_EQ(QDir(scratch.Path("")).entryList(QDir::Files | QDir::Hidden), QStringList{"out.pdf"});
}
#endif

// Every readable file is printed whatever the folder's order; each unreadable one is told on its own
// line and makes the exit status 3.
TEST_F(ToolSheet, UnreadableFilesAmongGoodOnesArePrintedAroundAndTold) {
    scratch.Write(In("a.jwk"), JwkWriter().Line(0, 0, 100, 100).Bytes());
    scratch.Write(In("b-cut.jwk"), JwkWriter().Line(0, 0, 1, 1).Cut(420));
    scratch.Write(In("c.jwk"), JwkWriter().Line(0, 0, 100, 100).Bytes());
    scratch.Write(In("d-cut.jwk"), JwkWriter().Counts(3, 0, 0, 0).Bytes());
    scratch.Write(In("e.jwk"), JwkWriter().Line(0, 0, 100, 100).Bytes());
    for (const bool listRejected : {false, true}) {
        const ToolRun run =
            Sheet({"--settings", TwoPerSheet(listRejected ? "[ApplicationSet]\nUnKnownJwk=1\n" : "")});
        EXPECT_EQ(run.exitCode, 3);
        const QStringList errors = ErrorLines(run);
        ASSERT_EQ(errors.size(), 2) << run.err.toStdString();
        EXPECT_TRUE(errors[0].contains("b-cut.jwk: ")) << errors[0].toStdString();
        EXPECT_TRUE(errors[1].contains("d-cut.jwk: ")) << errors[1].toStdString();
        const Pdf pdf = ReadPdf(pdfPath());
        for (const char* name : {"a.jwk", "c.jwk", "e.jwk"})
            EXPECT_TRUE(pdf.text.contains(name)) << name;
        EXPECT_EQ(pdf.pages, listRejected ? 3 : 2);
        EXPECT_EQ(pdf.text.contains("Not JWK File"), listRejected);
    }
}

// Today's files print beside the old ones: a folder of .jws figures is titled by the first line of its
// name file, and a .jww drawing's memo stands where a comment stands.
TEST_F(ToolSheet, TodaysFiguresAndDrawings) {
    scratch.Write(In("door.jws"), JwwWriter::Figure().Box(0, 0, 10, 10).Line(0, 0, 10, 10).Bytes());
    scratch.Write(In("old.jwk"), JwkWriter().Line(0, 0, 100, 100).Bytes());
    scratch.Write(In("Zu_name.dat"),
                  {'D', 'o', 'o', 'r', 's', ' ', 'a', 'n', 'd', ' ', 'm', 'o', 'r', 'e', '\n'});
    ToolRun run = Sheet();
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    Pdf pdf = ReadPdf(pdfPath());
    EXPECT_EQ(pdf.title, "JWK-List  Doors and more");
    EXPECT_TRUE(pdf.text.contains("door.jws"));
    EXPECT_TRUE(pdf.text.contains("old.jwk"));

    QDir(folder()).removeRecursively();
    QDir().mkpath(folder());
    scratch.Write(In("plan.jww"), JwwWriter::Drawing().Memo("first\r\nsecond").Line(0, 0, 10, 10).Bytes());
    run = Sheet();
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    pdf = ReadPdf(pdfPath());
    EXPECT_EQ(pdf.title, "JWC-List");
    EXPECT_TRUE(pdf.text.contains("first second")) << pdf.text.toStdString();
}

// The folder's title is read as the window reads it: what a short name file holds, up to a NUL.
TEST_F(ToolSheet, TitleFromShortOrOddNameFiles) {
    scratch.Write(In("f.jwk"), JwkWriter().Bytes());
    const std::pair<std::vector<std::uint8_t>, QString> cases[] = {
        {{'a', 'b'}, "JWK-List  ab"},
        {{'A', 'B', 0, 'C', 'D', 'E', 'F', 'G', 'H'}, "JWK-List  AB"},
    };
    for (const auto& [bytes, title] : cases) {
        scratch.Write(In("Zu_name.dat"), bytes);
        const ToolRun run = Sheet();
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(ReadPdf(pdfPath()).title, title);
    }
}

#ifndef _WIN32
// A name that is neither UTF-8 nor code page 932 is printed from its real file, not as a card.
TEST_F(ToolSheet, UndecodableNamesArePrintedFromTheirFiles) {
    scratch.Write(In("a.jwk"), JwkWriter().Line(0, 0, 100, 100).Bytes());
    const std::string odd = "\xFF\xFE\x80.jwk";
    scratch.Write(In(QString::fromLatin1("placeholder.jwk")), JwkWriter().Line(0, 0, 100, 100).Bytes());
    ASSERT_EQ(std::rename(scratch.Path(In("placeholder.jwk")).toStdString().c_str(),
                          (scratch.Path("list").toStdString() + "/" + odd).c_str()),
              0);
    const ToolRun run = Sheet();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const Pdf pdf = ReadPdf(pdfPath());
    EXPECT_FALSE(pdf.text.contains("Not JWK File"));
    EXPECT_EQ(pdf.text.count(QStringLiteral(" バイト")), 2)
        << pdf.text.toStdString(); // both sizes are captioned
    // The scratch folder cannot name the odd file to remove it.
    std::filesystem::remove_all(scratch.Path("list").toStdString());
}
#endif

} // namespace
} // namespace plavik::test
