// The layer groups and layers of a drawing as its file saved them, for a panel that shows and hides
// them.
#pragma once

#include "render/formats.h"
#include "render/layermask.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace plavik {

struct DrawingLayers {
    bool named = false;                     // the file names its groups and layers
    std::array<std::string, 16> groupNames; // code page 932 bytes; empty when unnamed
    std::array<std::array<std::string, 16>, 16> layerNames;
    std::array<bool, 16> groupShown{}; // the group's own state
    LayerMask layerShown{};            // each layer's own state, whatever its group's
    std::array<double, 16> scales{};   // .jww: each group's scale denominator, else 0

    // The layers that show: a shown layer of a shown group.
    LayerMask Shown() const;
};

// The groups and layers of a drawing's bytes, by its format's row; nothing for figures and for files
// whose header cannot be read.
std::optional<DrawingLayers> ReadDrawingLayers(FileFormat format, std::span<const std::uint8_t> data);

// The rows' readers: nothing when the bytes are not of the format; throw for a header that cannot be
// read.
std::optional<DrawingLayers> ReadJwcLayers(std::span<const std::uint8_t> data);
std::optional<DrawingLayers> ReadJwwLayers(std::span<const std::uint8_t> data);

} // namespace plavik
