// The library search on a generated library of today's figures, shaped like real ones: 40 lines, 6
// arcs and circles, three common Japanese words and a part number each, spread over folders with a
// title (Zu_name.dat).
// Every figure is the median of five runs (wall and CPU time of all threads).
//
//   bench_search [N [BIG]]   a library of N files (10,000 by default) and one of BIG (100,000)
//
// Each library is written to the disk before it is measured (as a real one lies there), so that the
// index's own syncs do not wait for the library's files to be written back.
// N files: the floor (opening and reading every file on the listing's workers), building the index
// from nothing (the search that builds it, and closing the index file), and searching again with
// nothing changed. BIG files: the index built once, then the search again, and the query alone (the
// full-text look-up, the check of each candidate's words, the shown match and the sorted hits) for a
// word of two characters and one of four found in one file of 50, and for very common words found in
// one of five. The output ends with the ratios to the floor and the goals.
#include "listing/workers.h"
#include "platform/sjis.h"
#include "search/searchindex.h"
#include "support/jwwwriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace plavik;

namespace {

constexpr int kRuns = 5;
constexpr int kFilesPerFolder = 500;

const char* const kWords[] = {"洋式便器",     "手洗器",   "洗面台 W750", "キッチン 2550", "浴槽 1600",
                              "片開き戸",     "引違い窓", "冷蔵庫",      "洗濯機パン",    "下駄箱",
                              "ユニットバス", "トイレ",   "食器棚",      "階段 UP",       "玄関収納"};

// Part numbers of two kanji each, one of 50 in a figure's fourth text: words as rare as one file in 50.
QString PartOf(int n) {
    static const QString kanji =
        QStringLiteral("山川田林森木火水土石雨雪空風花草竹虫貝犬牛馬鳥魚羊米豆糸車船刀弓矢"
                       "門戸柱梁板釘鉄銅鋼紙布皮毛角骨肉首指爪耳鼻口歯舌頭顔髪肩腰膝腕胸背"
                       "東西南北春夏秋冬朝昼夕夜赤青白黒黄緑紫茶銀竜亀虎熊鹿猫鯨蛇狐猿鶴鷲鳩");
    const int i = n % 50;
    return kanji.mid(2 * i, 2);
}

std::vector<std::uint8_t> Figure(int n) {
    test::JwwWriter w = test::JwwWriter::Figure(600).Box(0, 0, 100, 100).RefPoint(50, 0);
    for (int i = 0; i < 40; ++i) {
        test::JwwAttr a;
        a.style = static_cast<std::uint8_t>(1 + i % 4);
        a.color = static_cast<std::uint16_t>(1 + (i + n) % 6);
        w.Line(i % 10 * 10, i / 10 * 15, 100 - i % 7 * 10, 100 - i / 10 * 12, a);
    }
    for (int i = 0; i < 6; ++i)
        w.Arc(50, 50, 5 + 6 * i, 0.3 * i, i % 3 == 0 ? 2 * test::JwwWriter::kPi : test::JwwWriter::kPi);
    const int words = static_cast<int>(std::size(kWords));
    for (int i = 0; i < 3; ++i)
        w.Text(10, 10 + 10 * i, 90, 10 + 10 * i,
               EncodeSjis(QString::fromUtf8(kWords[(n * 7 + i * 5) % words])));
    w.Text(10, 80, 90, 80, EncodeSjis(QStringLiteral("部材") + PartOf(n)));
    w.Text(10, 90, 90, 90, "No." + std::to_string(n));
    return w.Bytes();
}

// Writes count figures into folders of kFilesPerFolder below root; returns their paths.
std::vector<std::filesystem::path> WriteLibrary(const std::filesystem::path& root, int count) {
    std::vector<std::filesystem::path> files;
    for (int n = 0; n < count; ++n) {
        const std::filesystem::path folder = root / ("parts" + std::to_string(n / kFilesPerFolder));
        if (n % kFilesPerFolder == 0) {
            std::filesystem::create_directories(folder);
            std::ofstream(folder / "Zu_name.dat")
                << EncodeSjis(QStringLiteral("部品集 %1\r\n").arg(n / kFilesPerFolder));
        }
        files.push_back(folder / ("fig" + std::to_string(n) + ".jws"));
        const std::vector<std::uint8_t> bytes = Figure(n);
        std::ofstream(files.back(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    return files;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Cost {
    double wall = 0, cpu = 0;
};

// The median wall and CPU time of runs of work (prepare, untimed, before each).
Cost Median(const std::function<void()>& work, const std::function<void()>& prepare = {}) {
    std::vector<double> walls, cpus;
    for (int run = 0; run < kRuns; ++run) {
        if (prepare)
            prepare();
        QElapsedTimer clock;
        const double cpu = CpuSeconds();
        clock.start();
        work();
        walls.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        cpus.push_back(CpuSeconds() - cpu);
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[kRuns / 2], cpus[kRuns / 2]};
}

double MedianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Opening and reading every file on the listing's workers.
void ReadAll(const std::vector<std::filesystem::path>& files) {
    RunOnWorkers(files.size(), WorkerCount(), [&](std::size_t i, int) {
        const int fd = ::open(files[i].c_str(), O_RDONLY);
        if (fd < 0)
            return;
        char buffer[65536];
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        ::close(fd);
    });
}

void RemoveIndex(const QString& file) {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(file + QString::fromLatin1(suffix));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10'000;
    const int big = argc > 2 ? std::atoi(argv[2]) : 100'000;
    QTemporaryDir dir;
    const std::filesystem::path base(dir.path().toStdString());
    const QString indexFile = dir.filePath(QStringLiteral("index.sqlite"));
    const QString word = QStringLiteral("便器");

    std::printf("%d files in %d folders, %d workers\n", count,
                (count + kFilesPerFolder - 1) / kFilesPerFolder, WorkerCount());
    const std::vector<std::filesystem::path> files = WriteLibrary(base / "small", count);
    ::sync();       // the library on the disk, as a real one is: the index's own writes wait for no other
    ReadAll(files); // the same warm cache for every measurement
    const Cost floor = Median([&] { ReadAll(files); });
    std::size_t hits = 0;
    const Cost build = Median(
        [&] {
            SearchIndex index(indexFile);
            hits = index.Search(base / "small", word).hits.size();
            const auto& t = index.LastTimes();
            std::printf("  build: walk %.0f ms, words %.0f ms, update %.0f ms, query %.0f ms\n", t.walk,
                        t.read, t.update, t.query);
        },
        [&] { RemoveIndex(indexFile); });
    SearchIndex index(indexFile);
    const Cost again = Median([&] { index.Search(base / "small", word); });
    std::printf("floor (open and read)  wall %7.3f s  cpu %7.3f s\n", floor.wall, floor.cpu);
    std::printf("build from nothing     wall %7.3f s  cpu %7.3f s  (%zu hits)\n", build.wall, build.cpu,
                hits);
    std::printf("search again           wall %7.3f s  cpu %7.3f s\n", again.wall, again.cpu);

    std::printf("\n%d files in %d folders\n", big, (big + kFilesPerFolder - 1) / kFilesPerFolder);
    WriteLibrary(base / "big", big);
    ::sync();
    const QString bigFile = dir.filePath(QStringLiteral("big.sqlite"));
    SearchIndex bigIndex(bigFile);
    QElapsedTimer clock;
    clock.start();
    bigIndex.Search(base / "big", word);
    const double bigBuild = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const Cost bigAgain = Median([&] { bigIndex.Search(base / "big", word); });
    struct Query {
        QString text;
        double ms = 0;
        std::size_t hits = 0;
    };
    // Words in one file of 50 (two characters and four), in one of five, and in one file.
    std::vector<Query> queries{{PartOf(7)},
                               {QStringLiteral("部材") + PartOf(7)},
                               {QStringLiteral("便器")},
                               {QStringLiteral("洋式便器")},
                               {QStringLiteral("No.12345")}};
    for (Query& q : queries) {
        std::vector<double> times;
        for (int run = 0; run < kRuns; ++run) {
            q.hits = bigIndex.Search(base / "big", q.text).hits.size();
            times.push_back(bigIndex.LastTimes().query);
        }
        q.ms = MedianOf(times);
    }
    const auto& t = bigIndex.LastTimes();
    std::printf("build once             wall %7.3f s\n", bigBuild);
    std::printf(
        "search again           wall %7.3f s  cpu %7.3f s  (walk %.0f ms, stamps %.0f ms, update %.0f ms)\n",
        bigAgain.wall, bigAgain.cpu, t.walk, t.read, t.update);
    for (const Query& q : queries)
        std::printf("query %-16s %7.1f ms  (%zu hits)\n", q.text.toStdString().c_str(), q.ms, q.hits);
    std::printf("index file             %7.1f MB\n", static_cast<double>(QFile(bigFile).size()) / 1e6);

    std::printf("\nratios and goals\n");
    std::printf("build / floor          wall %5.2f  cpu %5.2f   (goal: at most 3)\n", build.wall / floor.wall,
                build.cpu / floor.cpu);
    std::printf("search again, %d      %6.3f s            (goal: at most 0.2 s)\n", count, again.wall);
    std::printf("search again, %d     %6.3f s            (goal: at most 1 s)\n", big, bigAgain.wall);
    std::printf("query, two characters  %6.1f ms, %zu hits (goal: at most 50 ms)\n", queries[0].ms,
                queries[0].hits);
    std::printf("query, four characters %6.1f ms, %zu hits (goal: at most 50 ms)\n", queries[1].ms,
                queries[1].hits);
    std::printf("query, common, two    %6.1f ms, %zu hits (goal: at most 50 ms)\n", queries[2].ms,
                queries[2].hits);
    std::printf("query, common, four   %6.1f ms, %zu hits (goal: at most 50 ms)\n", queries[3].ms,
                queries[3].hits);
    return 0;
}
