// Builds files byte by byte, little-endian, for the test fixtures.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace plavik::test {

class ByteWriter {
public:
    std::vector<std::uint8_t> bytes;

    ByteWriter& U8(std::uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    ByteWriter& U16(std::uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    ByteWriter& I16(std::int16_t v) { return U16(static_cast<std::uint16_t>(v)); }
    ByteWriter& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    ByteWriter& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    ByteWriter& U64(std::uint64_t v) { return U32(v & 0xFFFFFFFF).U32(v >> 32); }
    ByteWriter& F32(float v) { return U32(std::bit_cast<std::uint32_t>(v)); }
    ByteWriter& F64(double v) { return U64(std::bit_cast<std::uint64_t>(v)); }
    ByteWriter& Zeros(std::size_t n) {
        bytes.insert(bytes.end(), n, 0);
        return *this;
    }
    ByteWriter& Text(std::string_view s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    // Text padded with NULs (or cut) to exactly n bytes.
    ByteWriter& Field(std::string_view s, std::size_t n) {
        std::size_t k = s.size() < n ? s.size() : n;
        Text(s.substr(0, k));
        return Zeros(n - k);
    }
    // Overwrites bytes at an offset, growing the buffer with NULs if needed.
    ByteWriter& Put(std::size_t offset, std::string_view s) {
        if (bytes.size() < offset + s.size())
            bytes.resize(offset + s.size(), 0);
        std::memcpy(bytes.data() + offset, s.data(), s.size());
        return *this;
    }
    std::size_t Size() const { return bytes.size(); }

    void Save(const std::filesystem::path& path) const {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
};

} // namespace plavik::test
