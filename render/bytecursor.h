// The one way the readers take bytes from a file: a bounded cursor that checks the bytes left
// before every read and assembles numbers from little-endian bytes.
#pragma once

#include "render/errors.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace plavik {

class ByteCursor {
public:
    explicit ByteCursor(std::span<const std::uint8_t> data, std::size_t pos = 0) : data_(data), pos_(pos) {}

    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return pos_ <= data_.size() ? data_.size() - pos_ : 0; }
    bool CanRead(std::size_t n) const { return n <= Remaining(); }

    // Throws ReadError when fewer than n bytes are left.
    void Require(std::size_t n) const {
        if (!CanRead(n))
            throw ReadError();
    }
    void Skip(std::size_t n) {
        Require(n);
        pos_ += n;
    }
    // The next n bytes, without copying. Throws ReadError when fewer are left.
    std::span<const std::uint8_t> Take(std::size_t n) {
        Require(n);
        auto s = data_.subspan(pos_, n);
        pos_ += n;
        return s;
    }
    std::uint8_t U8() { return Take(1)[0]; }
    std::uint16_t U16() {
        auto b = Take(2);
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::uint32_t U32() {
        auto b = Take(4);
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::uint64_t U64() {
        const std::uint64_t low = U32();
        return low | (std::uint64_t{U32()} << 32);
    }
    float F32() { return std::bit_cast<float>(U32()); }
    double F64() { return std::bit_cast<double>(U64()); }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_;
};

// Bytes as text, for the fixed text fields of the headers.
inline std::string_view AsText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace plavik
