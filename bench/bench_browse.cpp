// How long the window stalls when a folder of many files is clicked in the folder pane: the time from
// the click until the event loop runs again (the emptied list painted, the listing's progress showing),
// and the longest time the event loop waits while the folder is listed.
//   bench_browse [N]   N .jws figures in one folder (100,000 by default); medians of 5 clicks after one
// more to warm the disk cache.
#include "app/foldertree.h"
#include "app/tform1.h"
#include "benchfiles.h"
#include "platform/folderscan.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace plavik;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    const QString folder = dir.filePath("library/many");
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        const std::vector<std::uint8_t> bytes = bench::TodaysFigure(i);
        std::ofstream out(PathFromText(folder + QStringLiteral("/f%1.jws").arg(i, 6, 10, QLatin1Char('0'))),
                          std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath("cache")));
    TForm1 window(OpenIniStore(dir.filePath("plavik.ini")));
    window.resize(1000, 700);
    window.show();
    window.FolderModel().AddLibraryRoot(PathFromText(dir.filePath("library")));
    QSignalSpy revealed(&window.FolderModel(), &FolderTreeModel::Revealed);
    window.FolderModel().Reveal(PathFromText(folder));
    while (revealed.isEmpty())
        revealed.wait(1000);
    const QModelIndex index = revealed.takeFirst().at(0).toModelIndex();

    // A timer that fires whenever the event loop runs: the gaps between its ticks are the stalls.
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> ticks;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticks.push_back(clock.nsecsElapsed()); });
    ticker.start();

    std::vector<double> firstPump, longest, total;
    for (int run = 0; run < 6; ++run) {
        window.ListFolder(PathFromText(dir.filePath("library")), std::nullopt, true); // away, then back
        QTest::qWait(50);
        ticks.clear();
        const qint64 click = clock.nsecsElapsed();
        emit window.FolderTree()->clicked(index);
        const qint64 end = clock.nsecsElapsed();
        if (run == 0 || ticks.empty())
            continue;
        firstPump.push_back((ticks.front() - click) / 1e6);
        qint64 gap = ticks.front() - click;
        for (std::size_t i = 1; i < ticks.size(); ++i)
            gap = std::max(gap, ticks[i] - ticks[i - 1]);
        gap = std::max(gap, end - ticks.back());
        longest.push_back(gap / 1e6);
        total.push_back((end - click) / 1e6);
    }
    std::printf("files %d, listed %d; medians of %zu clicks, milliseconds\n", count, window.Model().Count(),
                firstPump.size());
    std::printf("click to first pump %8.1f   (goal 100)\n", Median(firstPump));
    std::printf("longest stall       %8.1f\n", Median(longest));
    std::printf("whole listing       %8.1f\n", Median(total));
    return 0;
}
