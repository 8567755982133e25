// Hostile inputs against the goals that every file, whatever it holds, must meet: a thumbnail within
// 0.2 s and 256 MB, a printed cell at 600 dpi within 1 s, and an export to DXF that walks no more than
// the largest picture's budget of entities, within the thumbnail's 256 MB, never writing more than
// 64 MiB (its time is shown: it writes up to 64 MiB). The inputs are generated into a scratch
// folder: a sparse file of 4 GiB whose header claims 190 million lines, a text pool of 64 MiB without a
// NUL, thousands of texts on base lines of length 0, printer fonts of 500 and 5000 points, arcs winding
// round many times, and files of 64 MiB of valid records of each kind.
//
// Each render runs in a child process of its own (killed after 20 s), so that its wall time and its
// peak memory (the child's resident high-water mark from wait4) are its alone; the figures are medians
// of a few runs. Prints one line per input and exits with 1 when a goal is missed.
//   bench_hostile [runs] [name...]   runs per measure (3 when not given), only the inputs named
#include "export/exportfile.h"
#include "platform/fonts.h"
#include "platform/paintercanvas.h"
#include "platform/rastercanvas.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/formats.h"
#include "samplefiles.h"
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace plavik;
using test::JwcWriter;
using test::JwkWriter;
using test::JwwAttr;
using test::JwwWriter;

namespace {

constexpr double kThumbnailSeconds = 0.2;
constexpr double kThumbnailMegabytes = 256;
constexpr double kCellSeconds = 1.0;
constexpr unsigned kChildSeconds = 20;
constexpr std::size_t kMaxFile = std::size_t{64} << 20;
// "あいうえおかきくけこ" and so on: kana as jw_cad writes them (code page 932).
const std::string kKana = "\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\x82\xa9\x82\xab\x82\xad\x82\xaf\x82\xb1"
                          "\x82\xb3\x82\xb5\x82\xb7\x82\xb9\x82\xbb\x82\xbd\x82\xbf";

struct Input {
    std::string name;
    std::vector<std::filesystem::path> files; // drawn one after the other, as one listing or cell row
    FileFormat format = FileFormat::Jwk;
    int fontPoints = 0; // the canvas font in points at the device's resolution; 0 keeps the default
};

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A figure file of records repeated until it is as large as the cap allows.
template <typename Add> std::vector<std::uint8_t> FullFigure(std::size_t recordBytes, Add add) {
    JwkWriter w;
    const std::size_t count = (kMaxFile - 400) / recordBytes;
    for (std::size_t i = 0; i < count; ++i)
        add(w, static_cast<int>(i));
    return w.Bytes();
}

std::vector<Input> MakeInputs(const std::filesystem::path& dir) {
    std::vector<Input> inputs;
    auto single = [&](const std::string& name, const std::vector<std::uint8_t>& bytes, FileFormat format) {
        const auto path = dir / (name + (format == FileFormat::Jwk ? ".jwk" : ".jwc"));
        Write(path, bytes);
        inputs.push_back({name, {path}, format, 0});
        return path;
    };

    // A valid header claiming 190 million lines over 4 GiB of holes.
    const auto sparse =
        single("sparse-4GiB.jwk", JwkWriter().Counts(190'000'000, 0, 0, 0).Bytes(), FileFormat::Jwk);
    std::filesystem::resize_file(sparse, std::uint64_t{4} << 30);
    const auto sparseJwc =
        single("sparse-4GiB.jwc", JwcWriter().CountsText("100000000,0,0,0,").Build(), FileFormat::Jwc);
    std::filesystem::resize_file(sparseJwc, std::uint64_t{4} << 30);

    single("pool-without-NUL",
           JwkWriter().Text(0, 50, 100, 50, "").Pool(std::string(kMaxFile - 424, 'W')).Bytes(),
           FileFormat::Jwk);
    {
        JwkWriter w;
        for (int i = 0; i < 3000; ++i) {
            const auto x = static_cast<float>(i % 100), y = static_cast<float>(i / 30);
            w.Text(x, y, x, y, kKana);
        }
        single("3000-texts-on-points", w.Bytes(), FileFormat::Jwk);
    }
    {
        Input sheet{"font-500pt", {}, FileFormat::Jwk, 500};
        for (const auto& s : samples::SampleFiles()) {
            if (s.path.ends_with(".jwk")) {
                sheet.files.push_back(dir / std::filesystem::path(s.path).filename());
                Write(sheet.files.back(), s.bytes);
            }
        }
        inputs.push_back(sheet);
        sheet.name = "font-5000pt";
        sheet.fontPoints = 5000;
        inputs.push_back(sheet);
    }
    // Huge flat ellipses winding round 65 times, centred far away: the kept fuzz input's arcs.
    auto winding = [](JwkWriter& w, int) {
        w.Arc(1.7859880e31f, 1.2936991e-20f, 1.6879343e25f, 0, 23296, 0.011, 0, 1, 1);
    };
    {
        JwkWriter w;
        w.Origin(50, 50).Scale(2);
        for (int i = 0; i < 115; ++i)
            winding(w, i);
        single("winding-arcs-4KB", w.Bytes(), FileFormat::Jwk);
    }
    single("winding-arcs-64MiB", FullFigure(32, winding), FileFormat::Jwk);
    single("dashed-lines-64MiB",
           FullFigure(22,
                      [](JwkWriter& w, int i) {
                          w.Line(static_cast<float>(i % 97), 0, 100, static_cast<float>(i % 89), 2 + i % 8,
                                 1 + i % 7);
                      }),
           FileFormat::Jwk);
    single("circles-64MiB",
           FullFigure(32,
                      [](JwkWriter& w, int i) {
                          w.Arc(static_cast<float>(i % 100), static_cast<float>(i % 73),
                                static_cast<float>(1 + i % 40), 0, 0, 0, 0, 1 + i % 9, 1 + i % 7);
                      }),
           FileFormat::Jwk);
    single("points-64MiB",
           FullFigure(12,
                      [](JwkWriter& w, int i) {
                          w.Point(static_cast<float>(i % 100), static_cast<float>(i % 71), i % 8);
                      }),
           FileFormat::Jwk);
    single("texts-64MiB",
           FullFigure(26,
                      [](JwkWriter& w, int i) {
                          w.Text(static_cast<float>(i % 90), static_cast<float>(i % 97), 100,
                                 static_cast<float>(i % 97), "A");
                      }),
           FileFormat::Jwk);
    {
        JwcWriter w;
        const std::size_t count = (kMaxFile - 2421) / 22;
        for (std::size_t i = 0; i < count; ++i)
            w.Line(static_cast<float>(i % 500), 0, 518, static_cast<float>(i % 366),
                   static_cast<std::uint8_t>(1 + i % 9));
        single("jwc-lines-64MiB", w.Build(), FileFormat::Jwc);
    }
    // Today's formats: files filled up to the cap with one kind of record each.
    auto full = [&](const char* name, bool drawing, const std::function<void(JwwWriter&)>& begin,
                    const std::function<void(JwwWriter&, std::size_t)>& add) {
        JwwWriter w = drawing ? JwwWriter::Drawing() : JwwWriter::Figure().Box(0, 0, 1000, 700);
        begin(w);
        const std::size_t empty = w.Bytes().size();
        add(w, 0);
        const std::size_t one = w.Bytes().size();
        add(w, 1);
        const std::size_t record = w.Bytes().size() - one; // the first record also declares its class
        for (std::size_t i = 2; i < (kMaxFile - empty - 4096) / record; ++i)
            add(w, i);
        const auto path = dir / (std::string(name) + (drawing ? ".jww" : ".jws"));
        Write(path, w.Bytes());
        inputs.push_back({path.stem().string(), {path}, drawing ? FileFormat::Jww : FileFormat::Jws, 0});
    };
    auto nothing = [](JwwWriter&) {};
    auto dashed = [](JwwWriter& w, std::size_t i) {
        JwwAttr a;
        a.style = static_cast<std::uint8_t>(2 + i % 8);
        w.Line(static_cast<double>(i % 97), 0, 1000, static_cast<double>(i % 89) * 7, a);
    };
    full("jww-dashed-lines-64MiB", true, nothing, dashed);
    full("jws-dashed-lines-64MiB", false, nothing, dashed);
    full("jww-circles-64MiB", true, nothing, [](JwwWriter& w, std::size_t i) {
        w.Circle(static_cast<double>(i % 400), static_cast<double>(i % 280),
                 static_cast<double>(1 + i % 300));
    });
    full("jww-texts-64MiB", true, nothing, [](JwwWriter& w, std::size_t i) {
        w.Text(static_cast<double>(i % 390), static_cast<double>(i % 270), 400, static_cast<double>(i % 270),
               kKana.substr(0, 20), static_cast<double>(2 + i % 20)); // one size, so that the count fits
    });
    full("jws-discs-64MiB", false, nothing, [](JwwWriter& w, std::size_t i) {
        JwwAttr a;
        a.style = 101;
        w.Solid({static_cast<double>(i % 1000), static_cast<double>(i % 700),
                 static_cast<double>(10 + i % 300), 1, 0, 0, 2 * 3.141592653589793, 5},
                a);
    });
    full("jws-points-64MiB", false, nothing, [](JwwWriter& w, std::size_t i) {
        w.Point(static_cast<double>(i % 1000), static_cast<double>(i % 701));
    });
    // Every line on a hidden layer.
    full(
        "jww-hidden-lines-64MiB", true, [](JwwWriter& w) { w.LayerState(0, 0, 0); }, dashed);
    // One definition placed once, holding every line of the file.
    full(
        "jws-one-block-64MiB", false,
        [](JwwWriter& w) {
            w.Block(0, 0, 1, 1, 0, 1);
            w.BeginDefinition(1);
        },
        dashed);
    // Hundreds of thousands of definitions of one line each, one of them placed once.
    full(
        "jws-many-blocks-64MiB", false, [](JwwWriter& w) { w.Block(0, 0, 1, 1, 0, 500'000); },
        [](JwwWriter& w, std::size_t i) {
            w.BeginDefinition(static_cast<std::uint32_t>(i));
            w.Line(static_cast<double>(i % 97), 0, 1000, static_cast<double>(i % 89) * 7);
            w.EndDefinition();
        });
    return inputs;
}

int FlagsOf(FileFormat format) {
    return format == FileFormat::Jwc || format == FileFormat::Jww
               ? kJwcBorder | kJwcText | kJwcAuxLines
               : kJwkBorder | kJwkText | kJwkAuxLines | kJwkRefPoint;
}

// Checks and draws the input's files as the listing or a printout does; an unreadable file counts
// as handled (its card is someone else's cost).
void DrawInput(Canvas& canvas, const Input& input, const TRect& rect) {
    RenderOptions options;
    options.flags = FlagsOf(input.format);
    if (input.fontPoints > 0) {
        Font font = canvas.GetFont();
        font.name = "ＭＳ ゴシック";
        font.height = -input.fontPoints * canvas.GetDeviceCaps(DeviceCap::LogPixelsY) / 72;
        canvas.SetFont(font);
    }
    for (const auto& file : input.files) {
        try {
            if (CheckListedFile(input.format, file) == 0)
                DrawListedFile(canvas, input.format, file, rect, options);
        } catch (const std::exception&) {
        }
    }
}

// A thumbnail as the listing draws it.
void Thumbnail(const Input& input) {
    QImage image(150, 106, QImage::Format_RGB32);
    RasterCanvas canvas(image);
    DrawInput(canvas, input, TRect{0, 0, 150, 106});
}

// A cell of a printout at 600 dpi, about 42 mm square, on a PDF page.
void Cell(const Input& input, const std::filesystem::path& pdf) {
    QPdfWriter writer(QString::fromStdString(pdf.string()));
    writer.setResolution(600);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    {
        PainterCanvas canvas(painter);
        DrawInput(canvas, input, TRect{200, 200, 1200, 1200});
    }
    painter.end();
}

// The input's files exported to DXF as the command line exports them, each over the last.
void Export(const Input& input, const std::filesystem::path& out) {
    for (const auto& file : input.files)
        ExportFile(file, out, {});
}

struct Run {
    double seconds = 0;
    double megabytes = 0;
    bool finished = false;
};

// Runs work in a child process and measures its wall time and peak resident memory.
Run InChild(const std::function<void()>& work) {
    int fds[2];
    if (pipe(fds) != 0)
        std::exit(2);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        alarm(kChildSeconds);
        const auto start = std::chrono::steady_clock::now();
        work();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (write(fds[1], &seconds, sizeof seconds) != sizeof seconds)
            _exit(3);
        _exit(0);
    }
    close(fds[1]);
    Run run;
    const bool got = read(fds[0], &run.seconds, sizeof run.seconds) == sizeof run.seconds;
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.finished = got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    if (!run.finished)
        run.seconds = kChildSeconds;
    return run;
}

Run MedianRun(int runs, const std::function<void()>& work) {
    std::vector<Run> all;
    for (int i = 0; i < runs; ++i) {
        all.push_back(InChild(work));
        if (!all.back().finished)
            return all.back(); // no use waiting for it again
    }
    std::sort(all.begin(), all.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    Run median = all[all.size() / 2];
    median.megabytes = std::max_element(all.begin(), all.end(), [](const Run& a, const Run& b) {
                           return a.megabytes < b.megabytes;
                       })->megabytes;
    return median;
}

std::string Seconds(const Run& r) {
    char text[32];
    std::snprintf(text, sizeof text, r.finished ? "%7.3f s" : ">%6.0f s", r.seconds);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::vector<std::string> only(argv + std::min(argc, 2), argv + argc);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    const std::filesystem::path folder = dir.path().toStdString();
    const std::vector<Input> inputs = MakeInputs(folder);
    malloc_trim(0); // the children start from what a program holds, not from the inputs' making
    {
        // Loads the fonts before the children are forked, as a running program has them.
        QImage image(32, 32, QImage::Format_RGB32);
        RasterCanvas canvas(image);
        canvas.TextOut(0, 0, kKana);
    }

    std::printf("%-22s %10s %9s %10s %10s %9s %11s   goals: thumbnail %.1f s and %.0f MB, cell %.0f s, DXF "
                "%.0f MB and 64 MiB\n",
                "input", "thumbnail", "peak", "cell", "DXF", "peak", "written", kThumbnailSeconds,
                kThumbnailMegabytes, kCellSeconds, kThumbnailMegabytes);
    bool ok = true;
    for (const Input& input : inputs) {
        if (!only.empty() && std::find(only.begin(), only.end(), input.name) == only.end())
            continue;
        const Run thumb = MedianRun(runs, [&] { Thumbnail(input); });
        const Run cell = MedianRun(runs, [&] { Cell(input, folder / "cell.pdf"); });
        const Run dxf = MedianRun(runs, [&] { Export(input, folder / "out.dxf"); });
        const std::filesystem::path out = folder / "out.dxf";
        const std::uintmax_t written = std::filesystem::exists(out) ? std::filesystem::file_size(out) : 0;
        const bool met = thumb.finished && cell.finished && thumb.seconds <= kThumbnailSeconds &&
                         thumb.megabytes <= kThumbnailMegabytes && cell.seconds <= kCellSeconds &&
                         dxf.finished && dxf.megabytes <= kThumbnailMegabytes && written <= kMaxFile;
        std::printf("%-22s %10s %6.0f MB %10s %10s %6.0f MB %8.1f MB  %s\n", input.name.c_str(),
                    Seconds(thumb).c_str(), thumb.megabytes, Seconds(cell).c_str(), Seconds(dxf).c_str(),
                    dxf.megabytes, static_cast<double>(written) / (1 << 20), met ? "ok" : "MISSED");
        std::filesystem::remove(out);
        std::fflush(stdout);
        ok = ok && met;
    }
    return ok ? 0 : 1;
}
