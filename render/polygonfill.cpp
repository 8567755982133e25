#include "render/polygonfill.h"

#include <algorithm>
#include <cmath>

namespace plavik {

namespace {

// The pixel range [first, last] of the clip's range [lo, hi] whose offsets from origin lie within
// [a, b]; empty when first > last. Computed in double, so that no coordinate can overflow.
void PixelRange(double a, double b, int origin, int lo, int hi, int& first, int& last) {
    const double f = std::fmax(std::ceil(a) + origin, lo);
    const double l = std::fmin(std::floor(b) + origin, hi);
    first = f > l ? 1 : static_cast<int>(f);
    last = f > l ? 0 : static_cast<int>(l);
}

} // namespace

std::int64_t FillPolygon(Canvas& canvas, std::span<const DPoint> points,
                         std::span<const std::size_t> ringEnds, TPoint origin, const TRect& clip,
                         std::vector<double>& scratch) {
    if (points.empty() || clip.right <= clip.left || clip.bottom <= clip.top)
        return 0;
    double minY = points[0].y, maxY = points[0].y;
    for (const DPoint& p : points) {
        minY = std::fmin(minY, p.y);
        maxY = std::fmax(maxY, p.y);
    }
    int top = 0, bottom = 0;
    PixelRange(minY, maxY, origin.y, clip.top, clip.bottom - 1, top, bottom);

    std::int64_t fills = 0, tests = 0;
    TRect pending{}; // the rectangle of the rows merged so far
    auto fill = [&](const TRect& r) {
        canvas.FillRect(r);
        ++fills;
    };
    auto flush = [&] {
        if (pending.right > pending.left)
            fill(pending);
        pending = {};
    };
    for (int y = top; y <= bottom; ++y) {
        const double yc = static_cast<double>(y) - origin.y;
        tests += static_cast<std::int64_t>(points.size());
        scratch.clear();
        std::size_t begin = 0;
        for (const std::size_t end : ringEnds) {
            for (std::size_t i = begin; i < end; ++i) {
                const DPoint& p = points[i];
                const DPoint& q = points[i + 1 < end ? i + 1 : begin];
                // Half-open in y, so that a vertex on the row counts once; the fraction of the edge lies
                // in [0, 1], so that no product overflows however far the points lie.
                if ((p.y <= yc) != (q.y <= yc))
                    scratch.push_back(p.x + (yc - p.y) / (q.y - p.y) * (q.x - p.x));
            }
            begin = end;
        }
        std::sort(scratch.begin(), scratch.end());
        int spans = 0;
        int first = 0, last = -1;
        for (std::size_t k = 0; k + 1 < scratch.size(); k += 2) {
            int a = 0, b = 0;
            PixelRange(scratch[k], scratch[k + 1], origin.x, clip.left, clip.right - 1, a, b);
            if (a > b)
                continue;
            if (++spans == 1) {
                first = a;
                last = b;
                continue;
            }
            // Rows of several spans are filled span by span.
            if (spans == 2) {
                flush();
                fill({first, y, last + 1, y + 1});
            }
            fill({a, y, b + 1, y + 1});
        }
        if (spans == 0) {
            flush();
            continue;
        }
        if (spans > 1)
            continue;
        if (pending.left == first && pending.right == last + 1 && pending.bottom == y) {
            pending.bottom = y + 1;
        } else {
            flush();
            pending = {first, y, last + 1, y + 1};
        }
    }
    flush();
    return fills + tests / 8;
}

} // namespace plavik
