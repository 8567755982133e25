#include "render/numbers.h"

#include <gtest/gtest.h>

#include <limits>

namespace plavik {
namespace {

TEST(Numbers, RoundHalvesToEvenAndSaturates) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double v;
        int round;
        int trunc;
    };
    for (const Case c :
         {Case{0.5, 0, 0}, Case{1.5, 2, 1}, Case{2.5, 2, 2}, Case{-0.5, 0, 0}, Case{-1.5, -2, -1},
          Case{-2.5, -2, -2}, Case{2.4999, 2, 2}, Case{-2.7, -3, -2}, Case{1e30, kDeviceLimit, kDeviceLimit},
          Case{-1e30, -kDeviceLimit, -kDeviceLimit}, Case{inf, kDeviceLimit, kDeviceLimit},
          Case{-inf, -kDeviceLimit, -kDeviceLimit}, Case{std::numeric_limits<double>::quiet_NaN(), 0, 0},
          Case{kDeviceLimit + 0.4, kDeviceLimit, kDeviceLimit},
          Case{kDeviceLimit - 1.0, kDeviceLimit - 1, kDeviceLimit - 1},
          Case{kDeviceLimit - 1.5, kDeviceLimit - 2, kDeviceLimit - 2},
          Case{-(kDeviceLimit - 0.5), -kDeviceLimit, -(kDeviceLimit - 1)}, Case{0.49999999999999994, 0, 0},
          Case{-0.0, 0, 0}}) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(Round(c.v), c.round);
        EXPECT_EQ(ToDevice(c.v), c.round);
        EXPECT_EQ(Trunc(c.v), c.trunc);
    }
}

} // namespace
} // namespace plavik
