// Feeds any bytes to the figure reader and renderer: recognition, reading, and drawing on the
// recording canvas and on a QImage, by bytes and by path, with three option words. A crash, a
// sanitizer report, an exception other than the readers' own, or two entry points that disagree
// ends the run.
#include "harness.h"

#include "render/jwk.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

using namespace plavik;
using namespace plavik::fuzz;

namespace {

// None; everything (auxiliary lines, texts, reference mark, frame, as the list's defaults ask);
// texts and auxiliary lines without the marks.
constexpr int kFlags[] = {0, kJwkBorder | kJwkText | kJwkAuxLines | kJwkRefPoint, kJwkText | kJwkAuxLines};
constexpr TRect kRect{0, 0, 64, 64};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const bool recognised = IsJwkData(bytes);

    const Outcome read = Run([&] {
        const JwkFigure figure = ReadJwk(bytes);
        Check(figure.strings.size() == figure.texts.size(), "one string per text record");
        return 0;
    });

    // What the bytes draw with every option set, for the by-path entry below.
    Outcome allDrawn;
    std::uint64_t allDigest = 0;
    for (const int flags : kFlags) {
        DigestCanvas canvas;
        canvas.SetBounds(kRect);
        const Outcome drawn = Run([&] { return DrawJwkData(canvas, bytes, kRect, flags); });
        if (flags == kFlags[1]) {
            allDrawn = drawn;
            allDigest = canvas.Digest();
        }
        Check(drawn.raised || drawn.result == (recognised ? 0 : -1), "result follows recognition");
        // Recognised files that read draw; those that fail to read fail to draw with the same error.
        if (recognised)
            Check(drawn == read, "drawing fails exactly when reading fails");

        if (RasterAvailable()) {
            const Outcome raster = DrawOnRaster(
                64, 64, [&](Canvas& c, const TRect& r) { return DrawJwkData(c, bytes, r, flags); });
            Check(raster == drawn, "the raster canvas gives the same outcome");
        }
    }

    // Rectangles no caller should pass, but a setting of 0 or a negative size could: empty,
    // inverted, one pixel.
    {
        constexpr TRect kOdd[] = {{0, 0, 0, 0}, {10, 10, 5, 5}, {0, 0, 1, 1}, {-3, 7, 3, -7}};
        const TRect rect = kOdd[size % std::size(kOdd)];
        DigestCanvas canvas;
        canvas.SetBounds({-16, -16, 16, 16});
        const Outcome odd = Run([&] { return DrawJwkData(canvas, bytes, rect, kFlags[1]); });
        Check(odd == allDrawn, "the rectangle does not change the outcome");
    }

    // The by-path entry reads the file in pieces; it must draw exactly what the bytes draw.
    DigestCanvas fromFile;
    fromFile.SetBounds(kRect);
    const Outcome byPath =
        Run([&] { return DrawJwk(fromFile, ScratchFile(bytes, ".jwk"), kRect, kFlags[1]); });
    Check(byPath == allDrawn, "by path and by bytes end the same");
    Check(fromFile.Digest() == allDigest, "by path and by bytes draw the same");
    return 0;
}
