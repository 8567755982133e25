// The main window under a real window manager (openbox on Xvfb, started by under-openbox.sh): frames
// come and are sized as a user's desktop does it, which the offscreen platform cannot show.
#include "app/tform1.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Bounds print as x,y wxh in failures.
inline void PrintTo(const QRect& r, std::ostream* out) {
    *out << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

namespace plavik {
namespace {

class UnderWindowManager : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server with a window manager (run through under-openbox.sh)";
        ASSERT_TRUE(dir_.isValid());
    }
    QString IniPath() const { return dir_.filePath("plavik.ini"); }

    // Waits until the window manager has framed the window and it has settled: the same bounds for
    // half a second.
    static void Settle(QWidget& window) {
        QElapsedTimer clock;
        clock.start();
        QRect last;
        int steady = 0;
        while (clock.elapsed() < 10000 && steady < 10) {
            QTest::qWait(50);
            const QRect now = window.frameGeometry();
            steady = now == last && now.size() != window.size() ? steady + 1 : 0;
            last = now;
        }
        EXPECT_NE(window.frameGeometry().size(), window.size()) << "the window manager gave no frame";
    }

    // Starts the window over the test's settings, lets it settle and closes it again (which saves the
    // settings). Returns the frame's bounds.
    QRect Run() {
        TForm1 window(OpenIniStore(IniPath()));
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        Settle(window);
        const QRect bounds = window.frameGeometry();
        window.close();
        return bounds;
    }
    QRect Stored() const {
        QSettings ini(IniPath(), QSettings::IniFormat);
        return QRect(ini.value("Form/Left").toInt(), ini.value("Form/Top").toInt(),
                     ini.value("Form/Width").toInt(), ini.value("Form/Height").toInt());
    }

    QTemporaryDir dir_;
};

TEST_F(UnderWindowManager, OuterBoundsStayTheSameOverRuns) {
    {
        QFile file(IniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Form]\nLeft=120\nTop=90\nWidth=640\nHeight=480\n");
    }
    const QRect stored(120, 90, 640, 480);
    for (int run = 1; run <= 3; ++run) {
        EXPECT_EQ(Run(), stored) << "run " << run;
        EXPECT_EQ(Stored(), stored) << "run " << run;
    }
}

TEST_F(UnderWindowManager, FirstRunGivesTheDefaultOuterSizeAndKeepsIt) {
    const QRect first = Run();
    EXPECT_EQ(first.size(), QSize(600, 450));
    EXPECT_EQ(Stored(), first);
    EXPECT_EQ(Run(), first);
    EXPECT_EQ(Stored(), first);
}

TEST_F(UnderWindowManager, MaximisedStartRestoresToTheStoredOuterBounds) {
    {
        QFile file(IniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Form]\nLeft=120\nTop=90\nWidth=640\nHeight=480\nBS=1\n");
    }
    TForm1 window(OpenIniStore(IniPath()));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Settle(window);
    EXPECT_TRUE(window.isMaximized());
    window.showNormal();
    Settle(window);
    EXPECT_EQ(window.frameGeometry(), QRect(120, 90, 640, 480));
    window.close();
    EXPECT_EQ(Stored(), QRect(120, 90, 640, 480));
}

} // namespace
} // namespace plavik
