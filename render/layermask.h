// The layers a drawing shows: 16 groups of 16 layers, as .jwc and .jww files have them.
#pragma once

#include <array>
#include <cstdint>

namespace plavik {

// Bit l of [g]: layer l of group g is shown (and so is its group).
using LayerMask = std::array<std::uint16_t, 16>;

inline bool LayerShown(const LayerMask& mask, unsigned group, unsigned layer) {
    return group < 16 && layer < 16 && (mask[group] >> layer & 1) != 0;
}

} // namespace plavik
