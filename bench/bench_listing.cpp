// Lists generated folders of figure and drawing files through the main window, as a user's open
// command does, and compares the cost with merely reading the same files (the floor: POSIX open, read
// and close of each file). Every figure is the median of five runs, each in a fresh process so that
// its peak memory is its own.
//
//   bench_listing [N ...]        folders of N files of each kind (1,000, 10,000 and 100,000 by default)
//   bench_listing --write DIR N  only writes the folders of every kind below DIR, N files each
//
// For each listing: the time to the first screen (every item listed, the visible thumbnails drawn), to
// all thumbnails, the CPU time of all threads, the peak memory above the window's own, and the bytes
// each item holds beyond its 16-colour thumbnail. The output ends with the ratios to the floor for
// 10,000 files (CPU to the floor's CPU).
#include "app/tform1.h"
#include "benchfiles.h"
#include "platform/settingsstore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace plavik;

namespace {

constexpr int kRuns = 5;
// The listed kinds: old figures and drawings, today's figures (.jws) and old figures of as many records.
const char* const kKinds[] = {"figures", "drawings", "jws", "jwk-same"};

bool WriteFolder(const std::filesystem::path& folder, int count, int kind) {
    std::filesystem::create_directories(folder);
    const char* const extensions[] = {"jwk", "jwc", "jws", "jwk"};
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%06d.%s", i, extensions[kind]);
        const std::vector<std::uint8_t> bytes = kind == 0   ? bench::Figure(i)
                                                : kind == 1 ? bench::Drawing(i)
                                                : kind == 2 ? bench::TodaysFigure(i)
                                                            : bench::OldFigureOfAsManyRecords(i);
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            return false;
    }
    return true;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The resident set now, in kilobytes.
long ResidentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// One floor run: every file of the folder opened, read whole and closed. Prints "wall cpu".
int RunFloor(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path().string());
    std::vector<char> buffer(1 << 16);
    QElapsedTimer timer;
    const double cpu = CpuSeconds();
    timer.start();
    std::size_t bytes = 0;
    for (const std::string& file : files) {
        const int fd = ::open(file.c_str(), O_RDONLY);
        if (fd < 0)
            return 1;
        for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
            bytes += static_cast<std::size_t>(n);
        ::close(fd);
    }
    std::printf("%.6f %.6f %zu\n", timer.nsecsElapsed() / 1e9, CpuSeconds() - cpu, bytes);
    return 0;
}

// One listing run in the main window. Prints "first all cpu peakKiB thumbBytes itemBytes".
int RunListing(int argc, char** argv, const std::string& kind, const std::filesystem::path& folder) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TForm1 window(OpenIniStore(dir.filePath(QStringLiteral("bench.ini"))));
    window.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    double firstScreen = -1;
    QObject::connect(&window, &TForm1::FirstScreenShown, [&] {
        if (firstScreen < 0)
            firstScreen = timer.nsecsElapsed() / 1e9;
    });
    const long baseline = PeakKilobytes();
    const long residentBefore = ResidentKilobytes();
    const double cpu = CpuSeconds();
    timer.start();
    const QString path = QString::fromStdString(folder.string());
    if (kind == "drawings")
        window.FileListing2(path);
    else
        window.FileListing(path, kind == "jws");
    const double all = timer.nsecsElapsed() / 1e9;
    const double cpuSeconds = CpuSeconds() - cpu;
    const long residentAfter = ResidentKilobytes();
    const std::size_t thumbs = window.ImageList1().ByteCount();
    const int count = window.Model().Count();
    const double itemBytes =
        count > 0 ? ((residentAfter - residentBefore) * 1024.0 - static_cast<double>(thumbs)) / count : 0;
    std::printf("%.6f %.6f %.6f %ld %zu %.1f %d\n", firstScreen, all, cpuSeconds, PeakKilobytes() - baseline,
                thumbs, itemBytes, count);
    return 0;
}

// Runs this program again with args and reads the numbers it prints.
std::vector<double> RunChild(const std::string& self, const std::string& args) {
    std::vector<double> values;
    FILE* pipe = popen(("'" + self + "' " + args + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return values;
    double v = 0;
    while (std::fscanf(pipe, "%lf", &v) == 1)
        values.push_back(v);
    pclose(pipe);
    return values;
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Medians {
    std::vector<double> values; // the median of each printed number over the runs
    bool ok = true;
};

Medians MedianOfRuns(const std::string& self, const std::string& args, std::size_t numbers) {
    std::vector<std::vector<double>> runs(numbers);
    Medians out;
    for (int r = 0; r < kRuns; ++r) {
        const std::vector<double> v = RunChild(self, args);
        if (v.size() < numbers) {
            out.ok = false;
            return out;
        }
        for (std::size_t i = 0; i < numbers; ++i)
            runs[i].push_back(v[i]);
    }
    for (const auto& r : runs)
        out.values.push_back(Median(r));
    return out;
}

} // namespace

int main(int argc, char** argv) {
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    if (argc == 4 && std::string(argv[1]) == "--write") {
        const std::filesystem::path root(argv[2]);
        const int count = std::max(1, std::atoi(argv[3]));
        return WriteFolder(root / "figures", count, 0) && WriteFolder(root / "drawings", count, 1) ? 0 : 1;
    }
    if (argc == 3 && std::string(argv[1]) == "--floor")
        return RunFloor(argv[2]);
    if (argc == 4 && std::string(argv[1]) == "--list")
        return RunListing(1, argv, argv[2], argv[3]);

    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::max(1, std::atoi(argv[i])));
    if (counts.empty())
        counts = {1000, 10000, 100000};

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    std::printf("medians of %d runs; times in seconds, memory in KiB\n", kRuns);
    std::printf("%-9s %7s %8s %8s %8s %8s %8s %7s %7s %7s %10s %10s %9s\n", "kind", "files", "floor",
                "floorcpu", "first", "all", "cpu", "first/f", "all/f", "cpu/fc", "peak", "thumbs", "B/item");
    std::array<std::array<double, 3>, 2> ratios{};
    bool haveRatios = false;
    for (const int count : counts) {
        const std::filesystem::path root =
            std::filesystem::path(dir.path().toStdString()) / std::to_string(count);
        for (int k = 0; k < 4; ++k) {
            if (!WriteFolder(root / kKinds[k], count, k)) {
                std::fprintf(stderr, "cannot write the files\n");
                return 1;
            }
        }
        for (int k = 0; k < 4; ++k) {
            const std::string folder = (root / kKinds[k]).string();
            RunChild(self, "--floor '" + folder + "'"); // the cache warmed as the listing finds it
            const Medians floor = MedianOfRuns(self, "--floor '" + folder + "'", 2);
            const Medians list =
                MedianOfRuns(self, std::string("--list ") + kKinds[k] + " '" + folder + "'", 7);
            if (!floor.ok || !list.ok || static_cast<int>(list.values[6]) != count) {
                std::fprintf(stderr, "a run of %s failed\n", kKinds[k]);
                return 1;
            }
            const double f = floor.values[0], fc = floor.values[1];
            const auto& v = list.values;
            std::printf("%-9s %7d %8.4f %8.4f %8.4f %8.4f %8.4f %7.2f %7.2f %7.2f %10.0f %10.0f %9.0f\n",
                        kKinds[k], count, f, fc, v[0], v[1], v[2], v[0] / f, v[1] / f, v[2] / fc, v[3],
                        v[4] / 1024, v[5]);
            std::fflush(stdout);
            if (count == 10000 && k < 2) {
                ratios[static_cast<std::size_t>(k)] = {v[0] / f, v[1] / f, v[2] / fc};
                haveRatios = true;
            }
        }
        std::filesystem::remove_all(root);
    }
    if (haveRatios)
        for (int k = 0; k < 2; ++k)
            std::printf("ratio %s first-screen=%.2f all=%.2f cpu=%.2f\n", kKinds[k], ratios[k][0],
                        ratios[k][1], ratios[k][2]);
    return 0;
}
