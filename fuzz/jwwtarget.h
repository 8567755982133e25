// What the figure (.jws) and drawing (.jww) targets share: any bytes through recognition, the reader
// and the renderer, on the recording canvas and on a QImage, by bytes and by path. A crash, a
// sanitizer report, an exception other than the readers' own, or two entry points that disagree ends
// the run.
#pragma once

#include "harness.h"

#include "render/jww.h"
#include "render/jwwdocument.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

namespace plavik::fuzz {

inline bool SameInfo(const JwwInfo& a, const JwwInfo& b) {
    return a.kind == b.kind && a.version == b.version && a.memo == b.memo && a.paper == b.paper &&
           a.shownLayers == b.shownLayers &&
           std::equal(a.extent, a.extent + 4, b.extent, b.extent + 4,
                      [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); }) &&
           a.lines == b.lines && a.arcs == b.arcs && a.points == b.points && a.texts == b.texts &&
           a.solids == b.solids && a.blocks == b.blocks && a.dimensions == b.dimensions &&
           a.blockDefinitions == b.blockDefinitions && a.textStrings == b.textStrings &&
           a.complete == b.complete;
}

// The document's own promises: definitions sorted and within their entities, one string per text.
inline void CheckDocument(std::span<const std::uint8_t> bytes, JwwDocument doc) {
    Check(std::is_sorted(doc.blocks.begin(), doc.blocks.end(),
                         [](const JwwBlockDef& a, const JwwBlockDef& b) { return a.number < b.number; }),
          "definitions sorted by number");
    for (const JwwBlockDef& d : doc.blocks)
        Check(std::uint64_t{d.first} + d.count <= doc.blockEntities.size(),
              "a definition within its entities");
    Check(doc.topTexts.size() == static_cast<std::size_t>(doc.texts), "one string per top-level text");
    auto withinPool = [&doc](const JwwEntity& e) {
        Check(e.shape != JwwShape::Text || std::uint64_t{e.extra} + e.textSize <= doc.textPool.size(),
              "a text within the pool");
        return true;
    };
    std::for_each(doc.blockEntities.begin(), doc.blockEntities.end(), withinPool);
    std::uint64_t visited = 0;
    ForEachJwwEntity(ByteCursor(bytes), doc, [&](const JwwEntity& e) { return withinPool(e) && ++visited; });
    Check(visited <= 2 * doc.topLevelRead, "no more entities than were read");
}

// allFlags: every option; otherFlags: another set to compare with.
template <typename Draw>
int RunTarget(std::span<const std::uint8_t> bytes, JwwKind kind, bool recognised, int allFlags,
              int otherFlags, const TRect& rect, const char* extension, Draw draw) {
    const Outcome read = Run([&] {
        CheckDocument(bytes, ReadJwwDocument(bytes, kind, {.topTexts = true}));
        return 0;
    });

    // Every option, then another set: the outcome is the reader's, the info the same.
    Outcome allDrawn;
    JwwInfo allInfo;
    std::uint64_t allDigest = 0;
    for (const int flags : {allFlags, otherFlags}) {
        DigestCanvas canvas;
        canvas.SetBounds(rect);
        JwwInfo info;
        const Outcome drawn = Run([&] { return draw(canvas, bytes, rect, flags, &info); });
        Check(drawn.raised || drawn.result == (recognised ? 0 : -1), "result follows recognition");
        if (recognised)
            Check(drawn == read, "drawing fails exactly when reading fails");
        Check(info.kind == kind, "the info names the kind");
        Check(drawn.raised || info.textStrings.size() == static_cast<std::size_t>(info.texts),
              "one string per text");
        if (flags == allFlags) {
            allDrawn = drawn;
            allInfo = info;
            allDigest = canvas.Digest();
        } else {
            Check(SameInfo(info, allInfo), "the options do not change the info");
        }
    }

    if (RasterAvailable()) {
        const Outcome raster = DrawOnRaster(rect.right, rect.bottom, [&](Canvas& c, const TRect& r) {
            return draw(c, bytes, r, allFlags, nullptr);
        });
        Check(raster == allDrawn, "the raster canvas gives the same outcome");
    }

    // Rectangles no caller should pass, but a setting of 0 or a negative size could.
    {
        constexpr TRect kOdd[] = {{0, 0, 0, 0}, {10, 10, 5, 5}, {0, 0, 1, 1}, {-3, 7, 3, -7}};
        const TRect odd = kOdd[bytes.size() % std::size(kOdd)];
        DigestCanvas canvas;
        canvas.SetBounds({-16, -16, 16, 16});
        const Outcome outcome = Run([&] { return draw(canvas, bytes, odd, allFlags, nullptr); });
        Check(outcome == allDrawn, "the rectangle does not change the outcome");
    }

    // By path: one open, the whole file read; the same drawing and info.
    DigestCanvas fromFile;
    fromFile.SetBounds(rect);
    JwwInfo fileInfo;
    const Outcome byPath = Run([&] {
        const auto path = ScratchFile(bytes, extension);
        return kind == JwwKind::Figure ? DrawJws(fromFile, path, rect, allFlags, kDefaultJwkColors, &fileInfo)
                                       : DrawJww(fromFile, path, rect, allFlags, &fileInfo);
    });
    Check(byPath == allDrawn, "by path and by bytes end the same");
    Check(SameInfo(fileInfo, allInfo), "by path and by bytes give the same info");
    Check(fromFile.Digest() == allDigest, "by path and by bytes draw the same");
    return 0;
}

} // namespace plavik::fuzz
