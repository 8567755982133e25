#include "render/bytes.h"

#include <fstream>

namespace plavik {

std::optional<Bytes> ReadFilePrefix(const std::filesystem::path& path, std::size_t count) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    Bytes bytes(count);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

} // namespace plavik
