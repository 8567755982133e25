// thumb and thumbnailer: image sizes, pixels, colour presets, the 16-colour reduction, files of the
// wrong kind and malformed files.
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"
#include "toolrunner.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <set>

namespace plavik::test {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kRed = 0xFFFF0000;

// The standard 16 system colours that reduced thumbnails are made of.
const std::set<QRgb> kSystemColors = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                                      0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                                      0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

// A horizontal line across the box at half height: device row 24 of a 48-pixel thumbnail, columns 5
// to 42 (Round(10 x 0.48) up to, not including, Round(90 x 0.48)).
std::vector<std::uint8_t> HalfLine() {
    return JwkWriter().Line(10, 50, 90, 50).Bytes();
}

struct Drawn {
    ToolRun run;
    QImage image;
};

Drawn Thumb(const Scratch& scratch, const QString& file, QStringList options = {}) {
    const QString png = scratch.Path("out.png");
    QFile::remove(png);
    Drawn d;
    d.run = RunTool(QStringList{"thumb", file, png} + options);
    d.image = QImage(png);
    return d;
}

TEST(ToolThumb, FigureLineAndFlags) {
    Scratch scratch;
    const QString figure = scratch.Write("line.jwk", HalfLine());
    struct Case {
        QStringList options;
        QRgb corner;  // (0, 0): the frame of flag 1 when set
        QRgb onLine;  // (20, 24)
        QRgb offLine; // (20, 23)
    };
    const Case cases[] = {
        {{}, kBlack, kBlack, kWhite},               // default settings: every flag
        {{"--flags", "0"}, kWhite, kBlack, kWhite}, // no frame
        {{"--flags", "0", "--colors", "mono"}, kWhite, kBlack, kWhite},
        {{"--flags", "0", "--colors", "color"}, kWhite, 0xFF008080, kWhite}, // Pen1 teal
        {{"--flags", "0", "--colors", "jwcad"}, kBlack, 0xFF00FFFF, kBlack}, // cyan on black
    };
    for (const Case& c : cases) {
        const Drawn d = Thumb(scratch, figure, c.options);
        const std::string what = c.options.join(' ').toStdString();
        ASSERT_EQ(d.run.exitCode, 0) << what << d.run.err.toStdString();
        EXPECT_TRUE(d.run.err.isEmpty()) << what;
        ASSERT_EQ(d.image.size(), QSize(48, 48)) << what;
        EXPECT_EQ(d.image.pixel(0, 0), c.corner) << what;
        EXPECT_EQ(d.image.pixel(20, 24), c.onLine) << what;
        EXPECT_EQ(d.image.pixel(5, 24), c.onLine) << what;
        EXPECT_EQ(d.image.pixel(43, 24), c.offLine) << what; // the end point is not painted
        EXPECT_EQ(d.image.pixel(20, 23), c.offLine) << what;
    }
}

TEST(ToolThumb, SizesByKindAndOptions) {
    Scratch scratch;
    const QString figure = scratch.Write("f.jwk", HalfLine());
    const QString drawing = scratch.Write("d.jwc", JwcWriter().Line(0, 0, 518, 366).Build());
    const QString figureNamedJwc = scratch.Write("f.jwc", HalfLine());
    struct Case {
        QString file;
        QStringList options;
        QSize size;
    };
    const Case cases[] = {
        {figure, {}, {48, 48}},
        {drawing, {}, {100, 71}},
        {figureNamedJwc, {}, {48, 48}}, // chosen by content, not by name
        {figure, {"--width", "30", "--height", "20"}, {30, 20}},
        {drawing, {"--width=200"}, {200, 71}},
        {drawing, {"--dpi", "600", "--height", "1"}, {100, 1}},
    };
    for (const Case& c : cases) {
        const Drawn d = Thumb(scratch, c.file, c.options);
        EXPECT_EQ(d.run.exitCode, 0) << d.run.err.toStdString();
        EXPECT_EQ(d.image.size(), c.size) << c.file.toStdString() << " " << c.options.join(' ').toStdString();
    }
    // A drawing's frame (default flags) and its white inside.
    const Drawn d = Thumb(scratch, drawing, {"--flags", "1"});
    EXPECT_EQ(d.image.pixel(0, 0), kBlack);
    EXPECT_EQ(d.image.pixel(99, 70), kBlack);
    EXPECT_EQ(d.image.pixel(50, 10), kWhite);
}

// The smallest rectangle holding every pixel that is not white.
QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kWhite)
                box |= QRect(x, y, 1, 1);
    return box;
}

// --fit content fills the picture with a small plan on a large sheet, strays and a setting record
// left out; --fit sheet and no --fit draw the sheet.
TEST(ToolThumb, FitContentFillsThePictureWithTheDrawing) {
    Scratch scratch;
    const QString plan = scratch.Write("plan.jww", JwwWriter::Drawing()
                                                       .Paper(3)
                                                       .Line(0, 0, 40, 0)
                                                       .Line(40, 0, 40, 20)
                                                       .Line(40, 20, 0, 20)
                                                       .Line(0, 20, 0, 0)
                                                       .Point(5000, 5000)
                                                       .Text(0, -1000, 10, -1000, "View_D")
                                                       .Bytes());
    const QStringList flags = {"--flags", "2", "--width", "200", "--height", "100"};
    const Drawn sheet = Thumb(scratch, plan, flags);
    const Drawn named = Thumb(scratch, plan, flags + QStringList{"--fit", "sheet"});
    const Drawn content = Thumb(scratch, plan, flags + QStringList{"--fit=content"});
    for (const Drawn* d : {&sheet, &named, &content})
        ASSERT_EQ(d->run.exitCode, 0) << d->run.err.toStdString();
    EXPECT_EQ(Pixels(named.image), Pixels(sheet.image));
    EXPECT_LT(InkBox(sheet.image).width(), 40) << "a 40 mm plan on a 420 mm sheet";
    // The 2 : 1 plan in a 2 : 1 picture: from edge to edge, a pixel short at the far ones.
    EXPECT_EQ(InkBox(content.image), QRect(0, 0, 199, 100));
}

TEST(ToolThumb, ReducedToSystemColoursUnlessTrueColour) {
    Scratch scratch;
    const QString figure = scratch.Write(
        "text.jwk", JwkWriter().Text(5, 40, 95, 40, "ABCDEFGH").Arc(50, 50, 30).Line(0, 0, 100, 100).Bytes());
    const QStringList options = {"--width", "200", "--height", "200", "--colors", "color"};
    const Drawn reduced = Thumb(scratch, figure, options);
    ASSERT_EQ(reduced.run.exitCode, 0);
    ASSERT_EQ(reduced.image.format(), QImage::Format_Indexed8);
    EXPECT_LE(reduced.image.colorCount(), 16);
    for (const QRgb c : reduced.image.colorTable())
        EXPECT_TRUE(kSystemColors.count(c | 0xFF000000u)) << std::hex << c;

    const Drawn full = Thumb(scratch, figure, options + QStringList{"--true-color"});
    ASSERT_EQ(full.run.exitCode, 0);
    EXPECT_NE(full.image.format(), QImage::Format_Indexed8);
    // The presets hold system colours only, so both images show the same picture.
    EXPECT_EQ(Pixels(full.image), Pixels(reduced.image));
    const auto pixels = Pixels(full.image);
    EXPECT_TRUE(std::count(pixels.begin(), pixels.end(), 0xFF008080u) > 50); // Pen1 teal
    EXPECT_TRUE(std::count(pixels.begin(), pixels.end(), kBlack) > 20);      // the texts
}

TEST(ToolThumb, FileOfNeitherKindGetsTheCardAndExitsOne) {
    Scratch scratch;
    const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o', '\n'};
    struct Case {
        QString name;
        QSize size;
    };
    for (const Case& c : {Case{"plain.jwk", {48, 48}}, Case{"plain.JWC", {100, 71}},
                          Case{"plain.txt", {48, 48}}, Case{"empty.jwk", {48, 48}}}) {
        const QString file =
            scratch.Write(c.name, c.name.startsWith("empty") ? std::vector<std::uint8_t>{} : text);
        const Drawn d = Thumb(scratch, file);
        EXPECT_EQ(d.run.exitCode, 1) << c.name.toStdString();
        EXPECT_EQ(ErrorLines(d.run).size(), 1);
        ASSERT_EQ(d.image.size(), c.size) << c.name.toStdString();
        EXPECT_EQ(d.image.pixel(0, 0), kWhite);
        const auto pixels = Pixels(d.image);
        EXPECT_TRUE(std::count(pixels.begin(), pixels.end(), kRed) > 5) << c.name.toStdString();
    }
}

TEST(ToolThumb, FailuresToReadExitThreeAndWriteNothing) {
    Scratch scratch;
    struct Case {
        QString file;
        QString message; // part of the one error line
    };
    const Case cases[] = {
        {scratch.Write("short.jwk", JwkWriter().Counts(5, 0, 0, 0).Bytes()),
         "ファイルの終わりを越えて読み込もうとしました"},
        {scratch.Write("cut.jwk", JwkWriter().Line(0, 0, 1, 1).Cut(410)),
         "ファイルの終わりを越えて読み込もうとしました"},
        {scratch.Write("bad.jwk", JwkWriter().Descriptor("x1,0,0,0,0,0,1").Bytes()),
         "'x1' は数値ではありません"},
        {scratch.Write("head.jwc", JwcWriter().Build(100)), "ファイルの終わりを越えて読み込もうとしました"},
        {scratch.Write("huge.jwc", JwcWriter().CountsText("2000000000,0,0,0,").Build()),
         "ファイルの終わりを越えて読み込もうとしました"},
        {scratch.Path("missing.jwk"), "no such file"},
        {scratch.Path(""), "folder"},
    };
    for (const Case& c : cases) {
        const Drawn d = Thumb(scratch, c.file);
        EXPECT_EQ(d.run.exitCode, 3) << c.file.toStdString();
        const QStringList lines = ErrorLines(d.run);
        ASSERT_EQ(lines.size(), 1) << d.run.err.toStdString();
        EXPECT_TRUE(lines[0].contains(c.message)) << lines[0].toStdString();
        EXPECT_FALSE(QFile::exists(scratch.Path("out.png"))) << c.file.toStdString();
    }
}

#ifndef _WIN32
// A named pipe with a figure's name is refused at once by every command, never waited on.
TEST(ToolThumb, ANamedPipeIsRefusedWithoutWaitingAndALinkLoopSaysSo) {
    Scratch scratch;
    const QString pipe = scratch.Path("pipe.jwk");
    ASSERT_EQ(mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    // A loop of symbolic links says so, rather than that there is no such file.
    ASSERT_TRUE(QFile::link(scratch.Path("b.jwk"), scratch.Path("a.jwk")));
    ASSERT_TRUE(QFile::link(scratch.Path("a.jwk"), scratch.Path("b.jwk")));
    const ToolRun loop = RunTool({"thumb", scratch.Path("a.jwk"), scratch.Path("out.png")});
    EXPECT_EQ(loop.exitCode, 3);
    EXPECT_TRUE(loop.err.contains(std::strerror(ELOOP))) << loop.err.toStdString();
    for (const QStringList& args :
         {QStringList{"thumb", pipe, scratch.Path("out.png")}, QStringList{"info", pipe},
          QStringList{"thumbnailer", "-s", "64", pipe, scratch.Path("out.png")}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.exitCode, 3) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("not a regular file")) << run.err.toStdString();
    }
}
#endif

TEST(ToolThumb, OutputThatCannotBeWrittenExitsFour) {
    Scratch scratch;
    const QString figure = scratch.Write("f.jwk", HalfLine());
    const ToolRun run = RunTool({"thumb", figure, scratch.Path("no/such/folder/out.png")});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(ErrorLines(run).size(), 1);
    // An earlier file stays whole when the new one cannot replace it.
    const ToolRun intoFolder = RunTool({"thumb", figure, scratch.Path("")});
    EXPECT_EQ(intoFolder.exitCode, 4);
    EXPECT_TRUE(QFileInfo(scratch.Path("")).isDir());
}

#ifndef _WIN32
// "-" is standard output. An output that fails (a full device, a file size limit) exits 4 with one
// line naming it and the system's reason, and an earlier file stays as it was.
TEST(ToolThumb, StandardOutputAndOutputsThatFail) {
    Scratch scratch;
    const QString figure = scratch.Write("f.jwk", HalfLine());
    const ToolRun piped = RunTool({"thumb", figure, "-"});
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(QImage::fromData(piped.out, "PNG").size(), QSize(48, 48));

    const ToolRun full =
        RunTool({"thumb", figure, "-"}, {}, [](QProcess& p) { p.setStandardOutputFile("/dev/full"); });
    EXPECT_EQ(full.exitCode, 4);
    EXPECT_EQ(ErrorLines(full), QStringList{QString("plavik-render: standard output: cannot be written: ") +
                                            std::strerror(ENOSPC)});

    const QString png = scratch.Write("out.png", {'o', 'l', 'd'});
    const ToolRun limited = RunTool({"thumb", figure, png}, {}, WithFileSizeLimit(100));
    EXPECT_EQ(limited.exitCode, 4);
    EXPECT_EQ(ErrorLines(limited),
              QStringList{"plavik-render: " + png + ": cannot be written: " + std::strerror(EFBIG)});
    QFile old(png);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    EXPECT_EQ(QDir(scratch.Path("")).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"f.jwk", "out.png"}));
}
#endif

// A thumbnail service makes the output file, holds it open and reads it after the thumbnailer ends.
TEST(ToolThumbnailer, WritesIntoTheFileItIsGiven) {
    Scratch scratch;
    const QString figure = scratch.Write("f.jwk", HalfLine());
    const QString png = scratch.Write("t.png", {});
    QFile held(png);
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    const ToolRun run = RunTool({"thumbnailer", "-s", "64", figure, png});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QImage::fromData(held.readAll(), "PNG").size(), QSize(64, 64));
}

// A file it cannot draw gets nothing, so that every file manager shows the file type's icon and no
// card is kept as the file's thumbnail: no output file, and an output made by the service stays empty.
TEST(ToolThumbnailer, WritesNothingForAFileItCannotDraw) {
    Scratch scratch;
    const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o', '\n'};
    struct Case {
        QString input;
        int exitCode;
    };
    const Case cases[] = {
        {scratch.Write("fake.jws", text), 1},
        {scratch.Write("fake.jww", text), 1},
        {scratch.Write("fake.jwc", text), 1},
        {scratch.Write("empty.jwk", {}), 1},
        {scratch.Write("cut.jwk", JwkWriter().Line(0, 0, 1, 1).Cut(410)), 3},
        {scratch.Path("missing.jws"), 3},
    };
    const QStringList inputs = QDir(scratch.Path("")).entryList(QDir::Files | QDir::Hidden);
    for (const Case& c : cases) {
        for (const bool made : {false, true}) {
            const QString png = scratch.Path("t.png");
            QFile::remove(png);
            if (made)
                scratch.Write("t.png", {});
            const ToolRun run = RunTool({"thumbnailer", "-s", "128", c.input, png});
            EXPECT_EQ(run.exitCode, c.exitCode) << c.input.toStdString();
            EXPECT_EQ(ErrorLines(run).size(), 1) << run.err.toStdString();
            EXPECT_EQ(QFile::exists(png), made) << c.input.toStdString();
            EXPECT_EQ(QFileInfo(png).size(), 0) << c.input.toStdString();
            // Nor a temporary file beside it.
            QStringList expected = inputs;
            if (made)
                expected << "t.png";
            expected.sort();
            EXPECT_EQ(QDir(scratch.Path("")).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
        }
    }
}

TEST(ToolThumbnailer, LongerSideIsTheSize) {
    Scratch scratch;
    const QString figure = scratch.Write("f g.jwk", HalfLine());
    const QString drawing = scratch.Write("d.jwc", JwcWriter().Build());
    const QString png = scratch.Path("t.png");
    struct Case {
        QString input;
        QString size;
        QSize expected;
    };
    const Case cases[] = {
        {figure, "256", {256, 256}},
        {drawing, "256", {256, 181}},
        {drawing, "128", {128, 91}},
        {drawing, "1", {1, 1}},
        {scratch.Write("s.jws", JwwWriter::Figure().Line(0, 0, 10, 10).Bytes()), "64", {64, 64}},
        {scratch.Write("w.jww", JwwWriter::Drawing().Line(0, 0, 10, 10).Bytes()), "128", {128, 91}},
        {QUrl::fromLocalFile(figure).toString(QUrl::FullyEncoded), "64", {64, 64}}, // "file:///...f%20g.jwk"
    };
    for (const Case& c : cases) {
        QFile::remove(png);
        const ToolRun run = RunTool({"thumbnailer", "-s", c.size, c.input, png});
        EXPECT_EQ(run.exitCode, 0) << c.input.toStdString() << run.err.toStdString();
        EXPECT_EQ(QImage(png).size(), c.expected) << c.input.toStdString() << " " << c.size.toStdString();
    }
}

} // namespace
} // namespace plavik::test
