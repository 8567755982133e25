#include "render/bytes.h"

#include <algorithm>
#include <fstream>

namespace plavik {

bool StartsWithMagic(std::span<const std::uint8_t> data, std::string_view magic) {
    return data.size() >= kRecognitionBytes && data.size() >= magic.size() &&
           std::equal(magic.begin(), magic.end(), data.begin(),
                      [](char m, std::uint8_t b) { return static_cast<std::uint8_t>(m) == b; });
}

bool FileStartsWithMagic(const std::filesystem::path& path, std::string_view magic) {
    const auto prefix = ReadFilePrefix(path, kRecognitionBytes);
    return prefix && StartsWithMagic(*prefix, magic);
}

std::optional<Bytes> ReadFilePrefix(const std::filesystem::path& path, std::size_t count) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    Bytes bytes(count);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

FileBytes::FileBytes(const std::filesystem::path& path) : in_(path, std::ios::binary) {
    std::error_code error;
    size_ = std::filesystem::file_size(path, error);
    open_ = in_.is_open() && !error;
}

std::span<const std::uint8_t> FileBytes::Prefix(std::size_t n) {
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_));
    if (open_ && bytes_.size() < wanted && in_) {
        const std::size_t have = bytes_.size();
        bytes_.resize(wanted);
        in_.read(reinterpret_cast<char*>(bytes_.data() + have), static_cast<std::streamsize>(wanted - have));
        bytes_.resize(have + static_cast<std::size_t>(in_.gcount()));
    }
    return std::span<const std::uint8_t>(bytes_).first(std::min(n, bytes_.size()));
}

} // namespace plavik
