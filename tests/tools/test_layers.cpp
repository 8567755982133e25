// The command-line program is a Gui program: neither its links nor its loaded libraries may bring in
// Qt Widgets or Qt's printer support.
#include "support/jwkwriter.h"
#include "toolrunner.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace plavik::test {
namespace {

TEST(ToolLayers, LinksNeitherWidgetsNorPrintSupport) {
    const QString readelf = QStandardPaths::findExecutable("readelf");
    QFile exe(PLAVIK_RENDER_EXE);
    if (readelf.isEmpty() || !exe.open(QIODevice::ReadOnly) ||
        exe.read(4) != "\x7f"
                       "ELF")
        GTEST_SKIP() << "no ELF program or no readelf";
    const ToolRun run = RunProgram(readelf, {"-d", PLAVIK_RENDER_EXE});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList needed;
    for (const QString& line : QString::fromUtf8(run.out).split('\n'))
        if (line.contains("(NEEDED)"))
            needed << line.section('[', 1).section(']', 0, 0);
    EXPECT_TRUE(needed.filter("Qt6Gui").size() == 1) << needed.join(' ').toStdString();
    EXPECT_TRUE(needed.filter("Widgets").isEmpty()) << needed.join(' ').toStdString();
    EXPECT_TRUE(needed.filter("PrintSupport").isEmpty()) << needed.join(' ').toStdString();
}

TEST(ToolLayers, SheetLoadsNoWidgetsAtRunTime) {
#ifndef Q_OS_LINUX
    GTEST_SKIP() << "the loader's trace is read on Linux only";
#else
    Scratch scratch;
    ASSERT_TRUE(QDir().mkpath(scratch.Path("list")));
    scratch.Write("list/a.jwk", JwkWriter().Line(0, 0, 100, 100).Bytes());
    // The dynamic loader names every library it loads, plugins included, on standard error.
    qputenv("LD_DEBUG", "files");
    const ToolRun run = RunTool({"sheet", scratch.Path("list"), scratch.Path("out.pdf")});
    qunsetenv("LD_DEBUG");
    const QString trace = QString::fromUtf8(run.err);
    ASSERT_EQ(run.exitCode, 0);
    ASSERT_TRUE(trace.contains("libQt6Gui")) << "no loader trace";
    EXPECT_FALSE(trace.contains("libQt6Widgets"));
    EXPECT_FALSE(trace.contains("libQt6PrintSupport"));
#endif
}

} // namespace
} // namespace plavik::test
