// The command line: help, and every kind of bad argument ending with status 2 and one error line.
#include "support/jwkwriter.h"
#include "toolrunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace plavik::test {
namespace {

TEST(ToolArguments, HelpAnywhereExitsZero) {
    for (const QStringList& args : {QStringList{"--help"}, QStringList{"-h"}, QStringList{"thumb", "--help"},
                                    QStringList{"sheet", "x", "--help"}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.startsWith("Usage: plavik-render")) << run.out.toStdString();
        EXPECT_TRUE(run.err.isEmpty());
    }
}

TEST(ToolArguments, VersionAnywhereExitsZero) {
    for (const QStringList& args : {QStringList{"--version"}, QStringList{"thumb", "x", "--version"}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, QByteArray("plavik-render " PLAVIK_VERSION "\n"));
        EXPECT_TRUE(run.err.isEmpty());
    }
}

// As a file manager's sandbox runs it: the session's runtime folder missing (or unset, or not one Qt
// accepts) and the session's window system named, without a display. It draws on the offscreen
// platform, makes no runtime folder where the session's was, and leaves nothing in the temporary folder.
TEST(ToolArguments, ThumbnailLeavesNoRuntimeFolderBehind) {
    Scratch scratch;
    const QString temp = scratch.Path("tmp");
    ASSERT_TRUE(QDir().mkpath(temp));
    const QString figure = scratch.Write("f.jwk", JwkWriter().Line(0, 0, 100, 100).Bytes());
    const QString notAFolder = scratch.Write("runtime-file", {});
    const QString open = scratch.Path("runtime-open");
    ASSERT_TRUE(QDir().mkpath(open));
    ASSERT_TRUE(QFile::setPermissions(open, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                QFile::ExeOther));
    struct Case {
        QString runtime;  // XDG_RUNTIME_DIR, unset when null
        QString platform; // QT_QPA_PLATFORM, unset when null
    };
    const Case cases[] = {
        {QString(), QString()},               // no session at all
        {scratch.Path("missing"), "wayland"}, // a Wayland session's folder, hidden by the sandbox
        {scratch.Path("missing"), "xcb"},     // an X session's
        {QString(), "wayland;xcb"},           // a list of platforms to try
        {notAFolder, QString()},              // not a folder
        {open, "wayland"},                    // readable by others: Qt refuses it
    };
    for (const Case& c : cases) {
        const std::string name = c.runtime.toStdString() + " " + c.platform.toStdString();
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM"})
            environment.remove(display);
        if (!c.runtime.isNull())
            environment.insert("XDG_RUNTIME_DIR", c.runtime);
        if (!c.platform.isNull())
            environment.insert("QT_QPA_PLATFORM", c.platform);
        environment.insert("TMPDIR", temp);
        // Qt's own warnings are shown: a runtime folder that Qt refused would say so.
        environment.insert("PLAVIK_RENDER_DEBUG", "1");
        process.setProcessEnvironment(environment);
        QFile::remove(scratch.Path("out.png"));
        process.start(PLAVIK_RENDER_EXE, {"thumbnailer", "-s", "64", figure, scratch.Path("out.png")});
        ASSERT_TRUE(process.waitForFinished(60000)) << name;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << name;
        EXPECT_EQ(process.exitCode(), 0) << name;
        EXPECT_EQ(process.readAllStandardError().toStdString(), "") << name;
        EXPECT_EQ(QImage(scratch.Path("out.png")).size(), QSize(64, 64)) << name;
        EXPECT_EQ(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList())
            << name;
        EXPECT_FALSE(QFileInfo::exists(scratch.Path("missing"))) << name;
        EXPECT_TRUE(QFileInfo(notAFolder).isFile()) << name;
        EXPECT_EQ(QDir(open).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList())
            << name;
    }
}

TEST(ToolArguments, BadArgumentsExitTwoWithOneLine) {
    Scratch scratch;
    const QString figure = scratch.Write("f.jwk", JwkWriter().Line(0, 0, 100, 100).Bytes());
    const QString png = scratch.Path("out.png");
    const QStringList cases[] = {
        {},
        {"draw", figure, png},
        {"thumb"},
        {"thumb", figure},
        {"thumb", figure, png, "extra"},
        {"thumb", figure, png, "--width"},
        {"thumb", figure, png, "--width", "abc"},
        {"thumb", figure, png, "--width", "-5"},
        {"thumb", figure, png, "--width", "0"},
        {"thumb", figure, png, "--width", "10001"},
        {"thumb", figure, png, "--height", "12px"},
        {"thumb", figure, png, "--height", "99999999999999999999"},
        {"thumb", figure, png, "--flags", "16"},
        {"thumb", figure, png, "--flags", "0x3"},
        {"thumb", figure, png, "--dpi", "0"},
        {"thumb", figure, png, "--colors", "blue"},
        {"thumb", figure, png, "--fit", "page"},
        {"thumb", figure, png, "--fit"},
        {"thumb", figure, png, "--true-color=yes"},
        {"thumb", figure, png, "--nope"},
        {"info"},
        {"info", figure, figure},
        {"info", figure, "--flags", "1"},
        {"sheet", scratch.Path("")},
        {"sheet", scratch.Path(""), "o.pdf", "--settings"},
        {"thumbnailer", figure, png},
        {"thumbnailer", "-s", "0", figure, png},
        {"thumbnailer", "-s", "64", figure},
    };
    for (const QStringList& args : cases) {
        const ToolRun run = RunTool(args);
        const std::string what = args.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << what;
        const QStringList lines = ErrorLines(run);
        ASSERT_EQ(lines.size(), 1) << what << "\n" << run.err.toStdString();
        EXPECT_TRUE(lines[0].startsWith("plavik-render: ")) << lines[0].toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << what;
    }
    EXPECT_FALSE(QFile::exists(png));
}

TEST(ToolArguments, DoubleDashEndsTheOptions) {
    Scratch scratch;
    scratch.Write("-odd.jwk", JwkWriter().Bytes());
    const ToolRun run = RunTool({"thumb", "--width=20", "--", "-odd.jwk", "o.png"}, scratch.Path(""));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QImage(scratch.Path("o.png")).size(), QSize(20, 48));
}

} // namespace
} // namespace plavik::test
