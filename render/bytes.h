// Whole-file and partial reads of the files the readers recognise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace plavik {

using Bytes = std::vector<std::uint8_t>;

// The first `count` bytes of the file (fewer when it is shorter), or nothing when it cannot be opened.
std::optional<Bytes> ReadFilePrefix(const std::filesystem::path& path, std::size_t count);

} // namespace plavik
