#include "render/numbers.h"

namespace plavik {

namespace {
int Saturate(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= kDeviceLimit)
        return kDeviceLimit;
    if (v <= -kDeviceLimit)
        return -kDeviceLimit;
    return static_cast<int>(v);
}
} // namespace

int Trunc(double v) {
    return Saturate(std::isfinite(v) ? std::trunc(v) : v);
}

} // namespace plavik
