// The generated files the benchmarks list and print, shaped like real jw_cad figures and drawings.
#pragma once

#include "support/jwcwriter.h"
#include "support/jwkwriter.h"

#include <cstdint>
#include <vector>

namespace plavik::bench {

// A figure as jw_cad's own parts libraries hold them: about 20 lines in several line types and
// colours, 10 circles and arcs (some flattened and tilted) and a short text.
inline std::vector<std::uint8_t> Figure(int n) {
    test::JwkWriter w;
    w.Line(0, 0, 100, 0).Line(100, 0, 100, 100).Line(100, 100, 0, 100).Line(0, 100, 0, 0);
    for (int i = 0; i < 16; ++i)
        w.Line(50, 50, static_cast<float>(i * 6), 100, 1 + i % 4, 1 + i % 6);
    for (int i = 0; i < 10; ++i) {
        const auto r = static_cast<float>(5 + (n + 3 * i) % 40);
        if (i % 3 == 0)
            w.Arc(50, 50, r);
        else
            w.Arc(50, 50, r, 15.0 * i, 90.0 + 20.0 * i, i % 2 ? 0.5 : 0, i % 2 ? 30.0 : 0, 1 + i % 2,
                  1 + i % 5);
    }
    w.Text(10, 10, 90, 10, "W-" + std::to_string(n % 1000));
    return w.Bytes();
}

// A drawing of the same weight: a sheet frame, lines, circles and arcs, and two texts.
inline std::vector<std::uint8_t> Drawing(int n) {
    test::JwcWriter w;
    w.Line(10, 10, 508, 10).Line(508, 10, 508, 356).Line(508, 356, 10, 356).Line(10, 356, 10, 10);
    for (int i = 0; i < 16; ++i)
        w.Line(259, 183, static_cast<float>(i * 32), 356, static_cast<std::uint8_t>(1 + i % 4));
    for (int i = 0; i < 10; ++i)
        w.Arc(259, 183, 40.0f + static_cast<float>((n + 7 * i) % 120),
              static_cast<std::int16_t>(i % 2 ? 5000 : 0), 10.0 * i, 180.0 + 10.0 * i, 0);
    w.Text(20, 20, 200, 20, "PLAN " + std::to_string(n % 1000)).Text(300, 20, 480, 20, "A-1");
    return w.Build();
}

} // namespace plavik::bench
