// Rounding and conversion of reals to device coordinates.
#pragma once

#include <cmath>

namespace plavik {

// Device coordinates are kept within +-kDeviceLimit so that adding a rectangle's corner or
// subtracting two coordinates can never overflow an int.
inline constexpr int kDeviceLimit = 1 << 29;

// Round half to even, as the Windows runtime rounds. NaN gives 0; values beyond the device range
// saturate at +-kDeviceLimit.
int Round(double v);

// The one conversion of a real to a device coordinate: Round with saturation.
inline int ToDevice(double v) {
    return Round(v);
}

// Trunc toward zero with the same saturation and NaN handling.
int Trunc(double v);

} // namespace plavik
