// The main window under a real window manager (openbox on Xvfb, started by under-openbox.sh): frames
// come and are sized as a user's desktop does it, which the offscreen platform cannot show.
#include "app/modalanswers.h"
#include "app/tform1.h"
#include "app/viewerwindow.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QScreen>
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

// The first start is centred on the screen and shows four rows of the larger thumbnails (drawings)
// and the quick view whole, frame and all.
TEST_F(UnderWindowManager, FirstRunGivesTheDefaultOuterSizeAndKeepsIt) {
    QRect first;
    {
        TForm1 window(OpenIniStore(IniPath()));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        Settle(window);
        first = window.frameGeometry();
        const QRect screen = window.screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(first));
        EXPECT_LE(std::abs(first.center().x() - screen.center().x()), 1);
        EXPECT_LE(std::abs(first.center().y() - screen.center().y()), 1);
        window.Init2();
        if (first.height() < screen.height()) // else a small screen (scale factor 2) cut it to its height
            EXPECT_GE(window.ListView()->viewport()->height(), 4 * window.ListView()->gridSize().height());
        else
            EXPECT_EQ(first.height(), screen.height());
        EXPECT_GE(window.findChild<QWidget*>("Panel2")->height(),
                  window.findChild<QLabel*>("Label3")->geometry().bottom());
        window.close();
    }
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

// plavik PATH: the program starts its window and hands the path to OpenPath, as here.
TEST_F(UnderWindowManager, StartedOnAFolderAFileOrAMissingPath) {
    QCoreApplication::setApplicationName(QStringLiteral("Plavik"));
    const QString folder = dir_.filePath("《図形》衛生");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"a.jwk", "b.jwk"}) {
        const std::vector<std::uint8_t> bytes = test::JwkWriter().Line(0, 50, 100, 50).Bytes();
        QFile file(folder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    TForm1 window(OpenIniStore(IniPath()));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    window.OpenPath(folder);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("《図形》衛生 — %1 — Plavik").arg(folder));
    EXPECT_EQ(window.Model().Count(), 2);
    EXPECT_TRUE(window.ListView()->hasFocus());
    EXPECT_EQ(window.ListView()->currentIndex().row(), 0);

    window.OpenPath(folder + "/b.jwk");
    EXPECT_EQ(window.ListView()->currentIndex().row(), 1);
    EXPECT_EQ(window.findChild<QLabel*>("Label2")->text(), QStringLiteral("b.jwk"));

    testing::ModalAnswers answers;
    answers.ThenAccept();
    window.OpenPath(dir_.filePath("missing"));
    ASSERT_EQ(answers.Boxes().size(), 1u);
    EXPECT_EQ(answers.Boxes()[0].text,
              QStringLiteral("「%1」を開けません。\n見つかりません。").arg(dir_.filePath("missing")));
    EXPECT_EQ(window.Model().Count(), 2);
    window.close();
}

// The viewer comes up where it was left, at its size, run after run.
TEST_F(UnderWindowManager, TheViewerKeepsItsSizeAndPlaceOverRuns) {
    const QString file = dir_.filePath("plan.jww");
    {
        const std::vector<std::uint8_t> bytes =
            test::JwwWriter::Drawing().Paper(3).Line(-100, 0, 100, 0).Bytes();
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    const auto run = [&](const std::function<void(ViewerWindow&)>& change) {
        TForm1 window(OpenIniStore(IniPath()));
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.OpenPath(file);
        ViewerWindow* viewer = window.Viewer();
        EXPECT_NE(viewer, nullptr);
        if (!viewer)
            return QRect();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(viewer));
        Settle(*viewer);
        change(*viewer);
        const QRect bounds = viewer->frameGeometry();
        window.close();
        return bounds;
    };
    const QRect moved = run([](ViewerWindow& viewer) {
        viewer.setGeometry(200, 150, 700, 500);
        Settle(viewer);
        EXPECT_EQ(viewer.size(), QSize(700, 500));
    });
    for (int again = 1; again <= 2; ++again)
        EXPECT_EQ(run([](ViewerWindow&) {}), moved) << "run " << again;
}

} // namespace
} // namespace plavik
