// The generated files the benchmarks list and print, shaped like real jw_cad figures and drawings.
#pragma once

#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"

#include <cstdint>
#include <functional>
#include <string>
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

// "居間", "寝室", "ﾄｲﾚ", "9,000": texts as jw_cad writes them.
inline const std::string kPlanTexts[] = {"\x8b\x8f\x8a\xd4", "\x90\x51\x8e\xba", "\xc4\xb2\xda", "9,000"};

// Where each kind of a generated plan's top-level entities ends, numbered on from one kind to the next:
// lines, arcs, texts, solids, points, then references to definitions 0 .. definitions - 1.
struct PlanEnds {
    int lines, arcs, texts, solids, points, references;
    std::uint32_t definitions;
};

// The top-level entities of an A3 plan at 1/100, spread over the sheet: walls and dimension lines,
// door swings, room names and figures, hatching solids, points and door blocks. attr gives entity n's
// pen, line type and layer; with someTemporary every other point is a temporary one.
inline void AddPlanEntities(test::JwwWriter& w, const PlanEnds& ends,
                            const std::function<test::JwwAttr(int)>& attr, bool someTemporary) {
    constexpr double kPi = test::JwwWriter::kPi;
    int n = 0;
    for (; n < ends.lines; ++n) {
        const double x = -190 + (n * 37) % 380, y = -130 + (n * 53) % 260;
        w.Line(x, y, x + 10 + n % 40, y + (n % 3 == 0 ? 0 : 7), attr(n));
    }
    for (; n < ends.arcs; ++n) {
        const double x = -150 + (n * 29) % 300, y = -100 + (n * 31) % 200;
        w.Arc(x, y, 2 + n % 15, 0, n % 4 == 0 ? 2 * kPi : kPi / 2, (n % 6) * 0.3, n % 5 == 0 ? 0.5 : 1,
              n % 4 == 0 ? 1 : 0, attr(n));
    }
    for (; n < ends.texts; ++n) {
        const double x = -180 + (n * 41) % 360, y = -120 + (n * 23) % 240;
        const std::string& t = kPlanTexts[n % 4];
        w.Text(x, y, x + 2.5 * static_cast<double>(t.size()), y, t, 2.5, n % 9 == 0 ? 90 : 0, attr(n));
    }
    for (; n < ends.solids; ++n) {
        const double x = -100 + (n * 17) % 200, y = -80 + (n * 19) % 160;
        w.Solid({x, y, x + 4, y, x + 4, y + 3, x, y + 3}, attr(n));
    }
    for (; n < ends.points; ++n)
        w.Point(-100 + n % 200, -50 + n % 100, someTemporary ? n % 2 : 0, attr(n));
    for (; n < ends.references; ++n)
        w.Block(-150 + (n * 13) % 300, -100 + (n * 7) % 200, 1, 1, (n % 4) * kPi / 2,
                static_cast<std::uint32_t>(n) % ends.definitions, attr(n));
}

} // namespace plavik::bench
