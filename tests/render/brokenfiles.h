// The kept malformed inputs: where they are, the rectangles they are drawn into, and their bytes.
#pragma once

#include "render/canvas.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace plavik::test {

inline const std::filesystem::path kBroken = std::filesystem::path(PLAVIK_TEST_DATA_DIR) / "broken";
inline constexpr TRect kFigureRect{0, 0, 64, 64};
inline constexpr TRect kDrawingRect{0, 0, 100, 71};

inline std::vector<std::uint8_t> Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace plavik::test
