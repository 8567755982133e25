// The generated files the benchmarks list and print, shaped like real jw_cad figures and drawings.
#pragma once

#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"

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

// A figure of today, about 3.5 KB: 50 lines in a few types and colours, 6 arcs and circles, 2 solids.
inline std::vector<std::uint8_t> TodaysFigure(int n) {
    using test::JwwAttr;
    constexpr double kPi = test::JwwWriter::kPi;
    test::JwwWriter w = test::JwwWriter::Figure(600).Box(0, 0, 100, 100).RefPoint(50, 0);
    for (int i = 0; i < 50; ++i) {
        JwwAttr a;
        a.style = static_cast<std::uint8_t>(1 + i % 4);
        a.color = static_cast<std::uint16_t>(1 + (i + n) % 6);
        w.Line(i % 10 * 10, i / 10 * 15, 100 - i % 7 * 10, 100 - i / 10 * 12, a);
    }
    for (int i = 0; i < 6; ++i)
        w.Arc(50, 50, 5 + 6 * i, 0.3 * i, i % 3 == 0 ? 2 * kPi : kPi, 0.1 * i, i % 2 ? 0.5 : 1,
              i % 3 == 0 ? 1 : 0);
    w.Solid({10, 10, 20, 10, 20, 20, 10, 20});
    w.Solid({80, 20, 5, 1, 0, 0, 2 * kPi, 100}, {.style = 101});
    return w.Bytes();
}

// The old figure of as many records: 50 lines and the two solids as lines, 6 arcs.
inline std::vector<std::uint8_t> OldFigureOfAsManyRecords(int n) {
    test::JwkWriter w;
    for (int i = 0; i < 52; ++i)
        w.Line(static_cast<float>(i % 10 * 10), static_cast<float>(i / 10 * 15),
               static_cast<float>(100 - i % 7 * 10), static_cast<float>(100 - i / 10 * 12), 1 + i % 4,
               1 + (i + n) % 6);
    for (int i = 0; i < 6; ++i)
        w.Arc(50, 50, static_cast<float>(5 + 6 * i), 17.0 * i, i % 3 == 0 ? 0 : 17.0 * i + 180,
              i % 2 ? 0.5 : 0, 5.7 * i);
    return w.Bytes();
}

} // namespace plavik::bench
