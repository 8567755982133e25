// Rounding and conversion of reals to device coordinates.
#pragma once

#include <cmath>

namespace plavik {

// Device coordinates are kept within +-kDeviceLimit so that adding a rectangle's corner or
// subtracting two coordinates can never overflow an int.
inline constexpr int kDeviceLimit = 1 << 29;

// v rounded to a whole number, half to even, for |v| below 2^52: std::nearbyint under the default
// rounding mode, without a call into the maths library (adding and taking away 2^52 leaves no
// fraction to keep).
inline double NearbyWhole(double v) {
    constexpr double kWhole = 0x1p52;
    return v >= 0 ? (v + kWhole) - kWhole : (v - kWhole) + kWhole;
}

// Round half to even, as the Windows runtime rounds. NaN gives 0; values beyond the device range
// saturate at +-kDeviceLimit. Inline: every coordinate of every line goes through here.
inline int Round(double v) {
    if (v > -kDeviceLimit && v < kDeviceLimit)
        return static_cast<int>(NearbyWhole(v));
    return v >= kDeviceLimit ? kDeviceLimit : v <= -kDeviceLimit ? -kDeviceLimit : 0; // NaN gives 0
}

// The one conversion of a real to a device coordinate: Round with saturation.
inline int ToDevice(double v) {
    return Round(v);
}

// Trunc toward zero with the same saturation and NaN handling.
int Trunc(double v);

} // namespace plavik
