// The work one render call of the figure and drawing renderers may do, so that no file, whatever it
// holds, keeps a thumbnail or a printed cell busy for long.
#pragma once

#include "render/canvas.h"

#include <algorithm>
#include <cstdint>

namespace plavik {

// Work is counted in canvas calls: a line, a chord, a dash or a pen move between dashes, a point (as
// kPointWork: a printer fills a rectangle for it), a record that is read but not drawn, and a text as
// kTextWork. The budget grows with the target rectangle's area from kMinWork, some ten times what
// the largest real files take, up to kMaxWork, which a printed cell at 600 dpi draws within a
// second.
//
// Arcs far larger than the canvas (drawn only where they can be seen) cost much more per chord: each
// chord is found by halving angle ranges and testing what can be seen. Their work has a share of its
// own that grows with the rectangle's outline, so that thousands of arcs winding round many times
// cannot multiply it: a few hundred chords per pixel of the outline, far more than all the arcs that
// cross a picture ever need.
class DrawBudget {
public:
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Fuzzing runs every input through several renders under the sanitizers within a second: there
    // a smaller budget tests the same limits.
    static constexpr std::int64_t kMinWork = 20'000;
    static constexpr std::int64_t kMaxWork = 40'000;
    static constexpr std::int64_t kMinHugeArcWork = 4'096;
#else
    static constexpr std::int64_t kMinWork = 400'000;
    static constexpr std::int64_t kMaxWork = 800'000;
    static constexpr std::int64_t kMinHugeArcWork = 65'536;
#endif
    static constexpr std::int64_t kPixelsPerWork = 4;
    static constexpr std::int64_t kTextWork = 100;
    static constexpr std::int64_t kPointWork = 2;
    static constexpr std::int64_t kHugeArcWorkPerPixel = 32;

    explicit DrawBudget(const TRect& rect) {
        const std::int64_t w = std::max<std::int64_t>(std::int64_t{rect.right} - rect.left, 0);
        const std::int64_t h = std::max<std::int64_t>(std::int64_t{rect.bottom} - rect.top, 0);
        // Each side is below 2^32: neither the area nor the outline can overflow.
        work_ = std::clamp(std::min(w * h, kMaxWork * kPixelsPerWork) / kPixelsPerWork, kMinWork, kMaxWork);
        hugeArcWork_ =
            std::clamp(std::min(2 * (w + h), work_) * kHugeArcWorkPerPixel, kMinHugeArcWork, work_);
    }

    // The budget of the largest rectangle, for walks that visit what any drawing may.
    static DrawBudget Largest() {
        return DrawBudget(TRect{0, 0, 1 << 20, 1 << 20});
    }

    // The work still to spend.
    std::int64_t Left() const {
        return work_;
    }

    bool Spent() const {
        return work_ <= 0;
    }
    void Charge(std::int64_t work) {
        work_ -= work;
    }

    // The share of the arcs drawn only where they can be seen; their work counts as work too.
    bool HugeArcsSpent() const {
        return hugeArcWork_ <= 0 || work_ <= 0;
    }
    void ChargeHugeArc(std::int64_t work) {
        hugeArcWork_ -= work;
        work_ -= work;
    }

private:
    std::int64_t work_ = 0;
    std::int64_t hugeArcWork_ = 0;
};

} // namespace plavik
