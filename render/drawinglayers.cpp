#include "render/drawinglayers.h"

#include "render/bytecursor.h"
#include "render/jwc.h"
#include "render/jww.h"
#include "render/jwwdocument.h"

namespace plavik {

LayerMask DrawingLayers::Shown() const {
    LayerMask mask{};
    for (std::size_t g = 0; g < mask.size(); ++g)
        mask[g] = groupShown[g] ? layerShown[g] : 0;
    return mask;
}

std::optional<DrawingLayers> ReadJwcLayers(std::span<const std::uint8_t> data) {
    if (!IsJwcData(data))
        return std::nullopt;
    const JwcHeader header = ReadJwcHeader(data);
    DrawingLayers layers;
    for (std::size_t g = 0; g < 16; ++g) {
        layers.groupShown[g] = header.groupFlags[g] != 0;
        for (std::size_t l = 0; l < 16; ++l)
            if (header.layerStates[g * 16 + l] == 1)
                layers.layerShown[g] = static_cast<std::uint16_t>(layers.layerShown[g] | (1u << l));
    }
    return layers;
}

std::optional<DrawingLayers> ReadJwwLayers(std::span<const std::uint8_t> data) {
    if (!IsJwwData(data))
        return std::nullopt;
    ByteCursor cursor(data);
    const JwwDocument doc = ReadJwwHeader(cursor, JwwKind::Drawing);
    DrawingLayers layers;
    layers.named = true;
    layers.scales = doc.scales;
    layers.groupNames = doc.layers.groupNames;
    layers.layerNames = doc.layers.layerNames;
    for (std::size_t g = 0; g < 16; ++g)
        layers.groupShown[g] = (doc.layers.groupOn >> g & 1) != 0;
    layers.layerShown = doc.layers.layerOn;
    return layers;
}

std::optional<DrawingLayers> ReadDrawingLayers(FileFormat format, std::span<const std::uint8_t> data) {
    const FormatRow& row = RowOf(format);
    try {
        if (row.readLayers)
            return row.readLayers(data);
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

} // namespace plavik
