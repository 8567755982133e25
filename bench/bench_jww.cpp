// The speed goals of the .jws and .jww renderer, on the QImage canvas of the thumbnails, by path as the
// listing draws them:
//   - a drawing of 350 KB and 2,000 entities (most on hidden layers, texts, solids, blocks) drawn as
//     thumbnails of 48 x 34 to 150 x 106 within 20 ms, with texts as characters and as base lines;
//   - a figure of about 3 KB (lines, arcs, solids) costs no more than an old .jwk figure of as many
//     records.
// Every figure is the median of many renders after a warm-up; the process prints one line per goal
// and exits with 1 when a goal is missed.
//   bench_jww [runs] [drawing|figure]   both goals, or only one
#include "benchfiles.h"
#include "platform/fonts.h"
#include "platform/rastercanvas.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "render/jww.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace plavik;
using test::JwwAttr;
using test::JwwWriter;

namespace {

constexpr double kPi = JwwWriter::kPi;

// An A3 plan at 1/100: a frame, walls, doors (blocks), dimensions as loose lines and texts, hatching
// solids, and as much again on hidden layers (construction lines, another storey).
std::vector<std::uint8_t> Drawing() {
    JwwWriter w = JwwWriter::Drawing(600).Paper(3).Memo("\x88\xea\x8a\x4b\x95\xbd\x96\xca\x90\x7d\r\nA-01");
    w.LayerState(0, 8, 0).LayerState(0, 9, 0).GroupState(1, 0);
    auto attr = [](int i) {
        JwwAttr a;
        a.color = static_cast<std::uint16_t>(1 + i % 7);
        a.style = static_cast<std::uint8_t>(i % 11 == 0 ? 2 : i % 13 == 0 ? 9 : 1);
        // More than half of everything lies on hidden layers, as in real drawings.
        a.layer = static_cast<std::uint16_t>(i % 9 < 5 ? 8 + i % 2 : i % 8);
        a.group = static_cast<std::uint16_t>(i % 17 == 0 ? 1 : 0);
        return a;
    };
    bench::AddPlanEntities(w, {1400, 1700, 1850, 1900, 1950, 2000, 100}, attr, true);
    // A hundred definitions of some 45 entities each: doors, windows, fittings.
    for (std::uint32_t d = 0; d < 100; ++d) {
        w.BeginDefinition(d, "door" + std::to_string(d) + "@@SfigorgFlag@@4");
        for (int i = 0; i < 40; ++i)
            w.Line(0, i * 0.2, 9, i * 0.2 + 0.1);
        w.Arc(0, 0, 9, 0, kPi / 2).Arc(0, 0, 4, 0, kPi / 2).Text(0, -3, 5, -3, bench::kPlanTexts[d % 4], 2);
        w.Solid({0, 0, 1, 0, 1, 1, 0, 1}).Point(0, 0);
        w.EndDefinition();
    }
    return w.Bytes();
}

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The median time of one render in microseconds, each into a fresh image as the listing makes them.
double Median(int runs, int width, int height, const std::function<int(Canvas&, const TRect&)>& draw) {
    std::vector<double> times;
    for (int i = 0; i < runs + 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        QImage image(width, height, QImage::Format_RGB32);
        RasterCanvas canvas(image);
        if (draw(canvas, TRect{0, 0, width, height}) != 0) {
            std::fprintf(stderr, "the file did not draw\n");
            std::exit(2);
        }
        const auto end = std::chrono::steady_clock::now();
        if (i >= 5) // the first renders warm up caches and fonts
            times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2),
                     times.end());
    return times[times.size() / 2];
}

// Thumbnails of the drawing at the listing's sizes, texts as base lines (the listing's default) and as
// characters.
bool DrawingGoal(const std::filesystem::path& drawing, int runs) {
    JwwInfo info;
    QImage scratch(8, 8, QImage::Format_RGB32);
    RasterCanvas scratchCanvas(scratch);
    DrawJww(scratchCanvas, drawing, {0, 0, 8, 8}, 0, &info);
    std::printf(
        "drawing: %ju bytes, %d top-level entities (%d lines, %d arcs, %d texts, %d solids, %d points, %d "
        "blocks), %d definitions\n",
        static_cast<std::uintmax_t>(std::filesystem::file_size(drawing)),
        info.lines + info.arcs + info.texts + info.solids + info.points + info.blocks, info.lines, info.arcs,
        info.texts, info.solids, info.points, info.blocks, info.blockDefinitions);
    bool ok = true;
    const int listFlags = kJwcBorder | kJwcText | kJwcBaseLines | kJwcAuxLines;
    for (const auto& [w, h] : {std::pair{48, 34}, std::pair{100, 71}, std::pair{150, 106}}) {
        for (const int flags : {listFlags, kJwcBorder | kJwcText}) {
            const double us =
                Median(runs, w, h, [&](Canvas& c, const TRect& r) { return DrawJww(c, drawing, r, flags); });
            std::printf("drawing %3d x %3d, texts as %-10s %7.2f ms (goal 20 ms)\n", w, h,
                        flags & kJwcBaseLines ? "base lines" : "characters", us / 1000);
            ok = ok && us <= 20000;
        }
    }
    return ok;
}

// Rounds of both kinds in turn, so that neither gains from the machine's state; the medians of the
// rounds' medians.
bool FigureGoal(const std::filesystem::path& figure, const std::filesystem::path& old, int runs) {
    const int flags = kJwkBorder | kJwkText | kJwkAuxLines | kJwkRefPoint;
    std::vector<double> jwsRounds, jwkRounds;
    for (int round = 0; round < 10; ++round) {
        jwsRounds.push_back(Median(runs / 10, 48, 48,
                                   [&](Canvas& c, const TRect& r) { return DrawJws(c, figure, r, flags); }));
        jwkRounds.push_back(
            Median(runs / 10, 48, 48, [&](Canvas& c, const TRect& r) { return DrawJwk(c, old, r, flags); }));
    }
    std::sort(jwsRounds.begin(), jwsRounds.end());
    std::sort(jwkRounds.begin(), jwkRounds.end());
    const double jws = (jwsRounds[4] + jwsRounds[5]) / 2, jwk = (jwkRounds[4] + jwkRounds[5]) / 2;
    std::printf("figure 48 x 48: .jws of %ju bytes %.1f us, .jwk of as many records %.1f us (ratio %.2f, "
                "goal <= 1)\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(figure)), jws, jwk, jws / jwk);
    return jws <= jwk;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 101;
    const std::string only = argc > 2 ? argv[2] : "";

    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    const auto drawing = root / "plan.jww", figure = root / "part.jws", old = root / "part.jwk";
    Write(drawing, Drawing());
    Write(figure, plavik::bench::TodaysFigure(0));
    Write(old, plavik::bench::OldFigureOfAsManyRecords(0));

    bool ok = true;
    if (only != "figure")
        ok = DrawingGoal(drawing, runs) && ok;
    if (only != "drawing")
        ok = FigureGoal(figure, old, runs * 10) && ok;
    return ok ? 0 : 1;
}
