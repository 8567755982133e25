// Lists generated folders of figure and drawing files through the main window's listing and reports
// files per second, the time of merely reading the same files (the floor), their ratio and the peak
// memory. The argument is the number of files of each folder (1,000 when not given).
#include "app/tform1.h"
#include "benchfiles.h"
#include "platform/settingsstore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace plavik;

namespace {

bool WriteFolder(const std::filesystem::path& folder, int count, bool figures) {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%05d.%s", i, figures ? "jwk" : "jwc");
        const std::vector<std::uint8_t> bytes = figures ? bench::Figure(i) : bench::Drawing(i);
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            return false;
    }
    return true;
}

// Opens and reads every file of the folder: what no listing can do faster.
double ReadSeconds(const std::filesystem::path& folder, std::size_t& bytes) {
    QElapsedTimer timer;
    timer.start();
    bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<char> data(static_cast<std::size_t>(entry.file_size()));
        in.read(data.data(), static_cast<std::streamsize>(data.size()));
        bytes += static_cast<std::size_t>(in.gcount());
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    TForm1 window(OpenIniStore(dir.filePath(QStringLiteral("bench.ini"))));
    window.show();
    QApplication::processEvents();
    const std::filesystem::path root(QFile::encodeName(dir.path()).toStdString());

    std::printf("%-9s %7s %10s %11s %10s %7s %12s %10s\n", "kind", "files", "listing s", "files / s",
                "read s", "ratio", "thumbs KiB", "peak KiB");
    for (bool figures : {true, false}) {
        const std::filesystem::path folder = root / (figures ? "figures" : "drawings");
        if (!WriteFolder(folder, count, figures)) {
            std::fprintf(stderr, "cannot write the files\n");
            return 1;
        }
        std::size_t bytes = 0;
        ReadSeconds(folder, bytes); // warm the cache, as the listing will find it
        const double floor = ReadSeconds(folder, bytes);
        QElapsedTimer timer;
        timer.start();
        const QString path = QString::fromStdString(folder.string());
        if (figures)
            window.FileListing(path);
        else
            window.FileListing2(path);
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (window.Model().Count() != count) {
            std::fprintf(stderr, "listed %d of %d files\n", window.Model().Count(), count);
            return 1;
        }
        std::printf("%-9s %7d %10.3f %11.0f %10.3f %7.2f %12zu %10ld\n", figures ? "figures" : "drawings",
                    count, seconds, count / seconds, floor, seconds / floor,
                    window.ImageList1().ByteCount() / 1024, PeakKilobytes());
    }
    return 0;
}
