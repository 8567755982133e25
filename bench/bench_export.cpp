// The speed goals of the export:
//   - a .jww drawing of about 230 KB and 10,000 entities to DXF within 5 times the time to draw its
//     thumbnail at 600 dpi (the list's 100 x 71 drawing thumbnail at 600 dpi: 625 x 442 pixels, texts
//     as characters);
//   - a folder of 1,000 figures to DXF within 2 times the time to list them at 600 dpi (the list's
//     48-pixel thumbnails at 600 dpi: 300 x 300 pixels), both on one thread.
// Every figure is the median of several runs after a warm-up; the process prints one line per goal and
// exits with 1 when a goal is missed.
//   bench_export [runs] [drawing|folder]
#include "benchfiles.h"
#include "export/exportfile.h"
#include "listing/folderlisting.h"
#include "platform/fonts.h"
#include "platform/rastercanvas.h"
#include "render/jwc.h"
#include "render/jww.h"
#include "support/jwwwriter.h"

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

using namespace plavik;
using test::JwwAttr;
using test::JwwWriter;

namespace {

constexpr double kPi = JwwWriter::kPi;

// An A3 plan of some 10,000 entities drawn, about 230 KB: 3,050 top-level lines, arcs, texts, solids
// and points and 230 door blocks of 30 entities each, a quarter of it on hidden layers.
std::vector<std::uint8_t> Drawing() {
    JwwWriter w = JwwWriter::Drawing(600).Paper(3);
    w.LayerState(0, 8, 0).LayerName(0, 1, "\x95\xc7"); // 壁
    auto attr = [](int i) {
        JwwAttr a;
        a.color = static_cast<std::uint16_t>(1 + i % 7);
        a.style = static_cast<std::uint8_t>(i % 11 == 0 ? 2 : i % 13 == 0 ? 9 : 1);
        a.layer = static_cast<std::uint16_t>(i % 4 == 0 ? 8 : i % 8);
        return a;
    };
    bench::AddPlanEntities(w, {2300, 2700, 2900, 3000, 3050, 3280, 20}, attr, false);
    for (std::uint32_t d = 0; d < 20; ++d) {
        w.BeginDefinition(d, "door" + std::to_string(d));
        for (int i = 0; i < 27; ++i)
            w.Line(0, i * 0.2, 9, i * 0.2 + 0.1);
        w.Arc(0, 0, 9, 0, kPi / 2).Arc(0, 0, 4, 0, kPi / 2).Text(0, -3, 5, -3, bench::kPlanTexts[d % 4], 2);
        w.EndDefinition();
    }
    return w.Bytes();
}

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

double Median(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs + 2; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        if (i >= 2)
            times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2),
                     times.end());
    return times[times.size() / 2];
}

void Check(const ExportOutcome& outcome) {
    if (outcome.status != ExportOutcome::Status::Written) {
        std::fprintf(stderr, "the export failed: %s\n", outcome.message.toLocal8Bit().constData());
        std::exit(2);
    }
}

bool DrawingGoal(const std::filesystem::path& root, int runs) {
    const auto drawing = root / "plan.jww", out = root / "plan.dxf";
    Write(drawing, Drawing());
    const double thumbnail = Median(runs, [&] {
        QImage image(625, 442, QImage::Format_RGB32);
        RasterCanvas canvas(image);
        canvas.SetLogPixels(600, 600);
        if (DrawJww(canvas, drawing, {0, 0, 625, 442}, kJwcBorder | kJwcText) != 0)
            std::exit(2);
    });
    const double dxf = Median(runs, [&] { Check(ExportFile(drawing, out, {})); });
    std::printf("drawing of %ju bytes, about 10,000 entities drawn: thumbnail at 600 dpi %.1f ms, DXF %.1f "
                "ms (%ju bytes), "
                "ratio %.2f (goal <= 5)\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(drawing)), thumbnail, dxf,
                static_cast<std::uintmax_t>(std::filesystem::file_size(out)), dxf / thumbnail);
    return dxf <= 5 * thumbnail;
}

bool FolderGoal(const std::filesystem::path& root, int runs) {
    const auto folder = root / "figures";
    std::filesystem::create_directories(folder);
    for (int i = 0; i < 1000; ++i)
        Write(folder / ("part" + std::to_string(i) + ".jwk"), bench::Figure(i));
    ListingOptions options;
    options.kind = ListKind::Figures;
    options.thumbnailSize = QSize(300, 300);
    options.workers = 1;
    const double list = Median(runs, [&] {
        if (ListFolder(folder, options).items.size() != 1000)
            std::exit(2);
    });
    // Each run into a folder of its own, as an export into a new folder goes: a run that replaced the
    // last run's files would time the file system's reuse of just-deleted inodes too.
    int run = 0;
    const double dxf = Median(runs, [&] {
        if (ExportFolder(folder, root / ("figures-dxf-" + std::to_string(run++)), {}, false).written != 1000)
            std::exit(2);
    });
    // What the file system alone costs: the same outputs written as plain files into a new folder, on as
    // many threads, without a sync. On a disk that takes long to create files, it shows how much of
    // the export is the disk's.
    std::vector<std::pair<std::string, std::string>> outputs;
    for (const auto& entry : std::filesystem::directory_iterator(root / "figures-dxf-0")) {
        std::ifstream in(entry.path(), std::ios::binary);
        outputs.emplace_back(entry.path().filename().string(),
                             std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    int floorRun = 0;
    const double files = Median(runs, [&] {
        const auto into = root / ("files-" + std::to_string(floorRun++));
        std::filesystem::create_directories(into);
        std::atomic<std::size_t> next{0};
        const auto work = [&] {
            for (std::size_t i = next++; i < outputs.size(); i = next++)
                std::ofstream(into / outputs[i].first, std::ios::binary) << outputs[i].second;
        };
        std::vector<std::thread> threads;
        for (int t = 1; t < 8; ++t)
            threads.emplace_back(work);
        work();
        for (std::thread& thread : threads)
            thread.join();
    });
    std::printf("folder of 1,000 figures: listed at 600 dpi %.1f ms, to DXF %.1f ms, ratio %.2f (goal <= 2); "
                "the same files written plain %.1f ms\n",
                list, dxf, dxf / list, files);
    return dxf <= 2 * list;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    const std::string only = argc > 2 ? argv[2] : "";
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    bool ok = true;
    if (only != "folder")
        ok = DrawingGoal(root, runs) && ok;
    if (only != "drawing")
        ok = FolderGoal(root, std::max(1, runs / 2)) && ok;
    return ok ? 0 : 1;
}
