// Feeds any bytes to the drawing reader and renderer: recognition, reading, and drawing on the
// recording canvas and on a QImage, by bytes and by path, with three option words. A crash, a
// sanitizer report, an exception other than the readers' own, or two entry points that disagree
// ends the run.
#include "harness.h"

#include "render/jwc.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

using namespace plavik;
using namespace plavik::fuzz;

namespace {

// None; everything (texts as base lines, auxiliary lines, frame: the list's defaults); texts as
// characters.
constexpr int kFlags[] = {0, kJwcBorder | kJwcText | kJwcBaseLines | kJwcAuxLines, kJwcText};
constexpr TRect kRect{0, 0, 100, 71};

bool SameInfo(const TJwcInfo& a, const TJwcInfo& b) {
    return a.Comment == b.Comment && a.LineCount == b.LineCount && a.ArcCount == b.ArcCount &&
           a.TextCount == b.TextCount && a.PointCount == b.PointCount;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const bool recognised = IsJwcData(bytes);

    const Outcome read = Run([&] {
        const JwcDrawing drawing = ReadJwc(bytes);
        Check(drawing.strings.size() == drawing.texts.size(), "one string per text record");
        Check(drawing.header.comment.size() == 64, "the comment is 64 bytes");
        return 0;
    });

    // What the bytes draw with every option set, for the by-path entry below.
    Outcome allDrawn;
    TJwcInfo allInfo;
    std::uint64_t allDigest = 0;
    for (const int flags : kFlags) {
        DigestCanvas canvas;
        canvas.SetBounds(kRect);
        TJwcInfo info;
        const Outcome drawn = Run([&] { return DrawJwcData(canvas, bytes, kRect, flags, info); });
        if (flags == kFlags[1]) {
            allDrawn = drawn;
            allInfo = info;
            allDigest = canvas.Digest();
        }
        Check(drawn.raised || drawn.result == (recognised ? 0 : -1), "result follows recognition");
        if (recognised)
            Check(drawn == read, "drawing fails exactly when reading fails");
        Check(info.Comment.empty() || info.Comment.size() == 64, "the comment is empty or 64 bytes");
        if (!recognised)
            Check(SameInfo(info, TJwcInfo{}), "a file of another kind leaves the info empty");

        if (RasterAvailable()) {
            TJwcInfo rasterInfo;
            const Outcome raster = DrawOnRaster(100, 71, [&](Canvas& c, const TRect& r) {
                return DrawJwcData(c, bytes, r, flags, rasterInfo);
            });
            Check(raster == drawn, "the raster canvas gives the same outcome");
            Check(SameInfo(rasterInfo, info), "the raster canvas gives the same info");
        }
    }

    // Rectangles no caller should pass, but a setting of 0 or a negative size could: empty,
    // inverted, one pixel.
    {
        constexpr TRect kOdd[] = {{0, 0, 0, 0}, {10, 10, 5, 5}, {0, 0, 1, 1}, {-3, 7, 3, -7}};
        const TRect rect = kOdd[size % std::size(kOdd)];
        DigestCanvas canvas;
        canvas.SetBounds({-16, -16, 16, 16});
        TJwcInfo info;
        const Outcome odd = Run([&] { return DrawJwcData(canvas, bytes, rect, kFlags[1], info); });
        Check(odd == allDrawn, "the rectangle does not change the outcome");
    }

    // The by-path entry reads the file in pieces; it must draw exactly what the bytes draw.
    DigestCanvas fromFile;
    fromFile.SetBounds(kRect);
    TJwcInfo infoFile;
    const Outcome byPath =
        Run([&] { return DrawJwc(fromFile, ScratchFile(bytes, ".jwc"), kRect, kFlags[1], infoFile); });
    Check(byPath == allDrawn, "by path and by bytes end the same");
    Check(SameInfo(infoFile, allInfo), "by path and by bytes give the same info");
    Check(fromFile.Digest() == allDigest, "by path and by bytes draw the same");
    return 0;
}
