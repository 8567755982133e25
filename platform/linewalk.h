// The pixels of a line as a Windows device draws them, limited to a clip rectangle.
#pragma once

#include "render/canvas.h"

#include <algorithm>
#include <cstdint>

namespace plavik {

// Calls plot(x, y) for each pixel of the midpoint (Bresenham) walk from (x0, y0) towards (x1, y1) that
// lies inside clip: the start pixel is painted, the end pixel is not, a zero-length line paints
// nothing. Along the longer axis the walk takes one pixel per step; the shorter axis steps when the
// line has moved more than half a pixel past the current one (a tie does not step). Only the steps
// inside clip are walked, so a line from far outside costs no more than one across the clip.
template <typename Plot> void WalkLine(int x0, int y0, int x1, int y1, const TRect& clip, Plot&& plot) {
    using i64 = std::int64_t;
    using u64 = std::uint64_t;
    if (clip.right <= clip.left || clip.bottom <= clip.top)
        return;
    const i64 dx = i64{x1} - x0;
    const i64 dy = i64{y1} - y0;
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    const i64 dMajor = xMajor ? dx : dy;
    const i64 dMinor = xMajor ? dy : dx;
    // Both fit 32 bits unsigned, so that step * m below fits 64 bits.
    const u64 n = static_cast<u64>(dMajor < 0 ? -dMajor : dMajor);
    const u64 m = static_cast<u64>(dMinor < 0 ? -dMinor : dMinor);
    if (n == 0)
        return;
    const i64 sMajor = dMajor < 0 ? -1 : 1;
    const i64 sMinor = dMinor < 0 ? -1 : 1;
    const i64 major0 = xMajor ? x0 : y0;
    const i64 minor0 = xMajor ? y0 : x0;
    const i64 majorLo = xMajor ? clip.left : clip.top;
    const i64 majorHi = (xMajor ? clip.right : clip.bottom) - 1;
    const i64 minorLo = xMajor ? clip.top : clip.left;
    const i64 minorHi = (xMajor ? clip.bottom : clip.right) - 1;
    const auto inside = [&](int x, int y) {
        return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
    };
    // A line with both ends inside walks every step from the start, with no division.
    i64 first = 0;
    i64 last = static_cast<i64>(n) - 1;
    u64 q = 0; // the running quotient and remainder of i * m / n
    u64 r = 0;
    if (!inside(x0, y0) || !inside(x1, y1)) {
        // Steps whose major coordinate lies inside the clip.
        first = std::max<i64>(sMajor > 0 ? majorLo - major0 : major0 - majorHi, 0);
        last = std::min<i64>(sMajor > 0 ? majorHi - major0 : major0 - majorLo, last);
        if (first > last)
            return;

        // Minor offset of step i: i * m / n rounded to the nearest, halves down. It never decreases.
        auto offset = [n, m](i64 i) {
            const u64 p = static_cast<u64>(i) * m;
            return static_cast<i64>(p / n + (2 * (p % n) > n ? 1 : 0));
        };
        i64 kMin = sMinor > 0 ? minorLo - minor0 : minor0 - minorHi;
        const i64 kMax = sMinor > 0 ? minorHi - minor0 : minor0 - minorLo;
        if (kMax < 0 || offset(first) > kMax || offset(last) < kMin)
            return;
        kMin = std::max<i64>(kMin, 0);
        // The first step with offset >= kMin and the last with offset <= kMax, by bisection.
        if (offset(first) < kMin) {
            i64 lo = first, hi = last; // offset(lo) < kMin <= offset(hi)
            while (hi - lo > 1) {
                const i64 mid = lo + (hi - lo) / 2;
                (offset(mid) < kMin ? lo : hi) = mid;
            }
            first = hi;
        }
        if (offset(last) > kMax) {
            i64 lo = first, hi = last; // offset(lo) <= kMax < offset(hi)
            while (hi - lo > 1) {
                const i64 mid = lo + (hi - lo) / 2;
                (offset(mid) <= kMax ? lo : hi) = mid;
            }
            last = lo;
        }
        const u64 p = static_cast<u64>(first) * m;
        q = p / n;
        r = p % n;
    }

    // Walk the steps from first to last.
    for (i64 i = first; i <= last; ++i) {
        const i64 k = static_cast<i64>(q + (2 * r > n ? 1 : 0));
        const i64 major = major0 + sMajor * i;
        const i64 minor = minor0 + sMinor * k;
        if (xMajor)
            plot(static_cast<int>(major), static_cast<int>(minor));
        else
            plot(static_cast<int>(minor), static_cast<int>(major));
        r += m;
        if (r >= n) {
            r -= n;
            ++q;
        }
    }
}

} // namespace plavik
