// The generated files the benchmarks list and print.
#pragma once

#include "support/jwcwriter.h"
#include "support/jwkwriter.h"

#include <cstdint>
#include <vector>

namespace plavik::bench {

// A figure of some substance: a frame, a fan of lines, circles and a text.
inline std::vector<std::uint8_t> Figure(int n) {
    test::JwkWriter w;
    w.Line(0, 0, 100, 0).Line(100, 0, 100, 100).Line(100, 100, 0, 100).Line(0, 100, 0, 0);
    for (int i = 0; i < 20; ++i)
        w.Line(50, 50, static_cast<float>(i * 5), 100, 1 + i % 4, 1 + i % 6);
    w.Arc(50, 50, 30).Arc(50, 50, 10.0f + static_cast<float>(n % 20), 0, 180, 0.5, 30);
    w.Point(20, 20).Text(10, 10, 90, 10, "BENCH");
    return w.Bytes();
}

inline std::vector<std::uint8_t> Drawing(int n) {
    test::JwcWriter w;
    w.Line(10, 10, 508, 10).Line(508, 10, 508, 356).Line(508, 356, 10, 356).Line(10, 356, 10, 10);
    for (int i = 0; i < 20; ++i)
        w.Line(259, 183, static_cast<float>(i * 25), 356, static_cast<std::uint8_t>(1 + i % 4));
    w.Arc(259, 183, 80.0f + static_cast<float>(n % 40), 0, 0, 0, 0).Text(20, 20, 200, 20, "BENCH");
    return w.Build();
}

} // namespace plavik::bench
