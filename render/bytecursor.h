// The one way the readers take bytes from a file: a bounded cursor that checks the bytes left
// before every read and assembles numbers from little-endian bytes.
#pragma once

#include "render/bytes.h"
#include "render/errors.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace plavik {

class ByteCursor {
public:
    explicit ByteCursor(std::span<const std::uint8_t> data, std::size_t pos = 0)
        : data_(data), size_(data.size()), pos_(pos) {}
    // Reads the open file a window at a time, so that a large file costs no more memory than the
    // window. Bytes taken stay valid until the next read beyond the window.
    explicit ByteCursor(FileBytes& file, std::uint64_t pos = 0)
        : file_(&file), size_(file.Size()), pos_(pos) {}

    // A cursor over the same bytes from pos. Cursors over one file share its window: once a copy
    // is made, read from the copy only.
    ByteCursor From(std::uint64_t pos) const {
        ByteCursor c = *this;
        c.pos_ = pos;
        if (file_) {
            c.data_ = {};
            c.base_ = 0;
        }
        return c;
    }

    std::uint64_t Position() const { return pos_; }
    std::uint64_t Remaining() const { return pos_ <= size_ ? size_ - pos_ : 0; }
    bool CanRead(std::uint64_t n) const { return n <= Remaining(); }

    // Throws ReadError when fewer than n bytes are left.
    void Require(std::size_t n) {
        if (pos_ < base_ || pos_ - base_ > data_.size() || n > data_.size() - (pos_ - base_))
            Fetch(n);
    }
    void Skip(std::uint64_t n) {
        if (!CanRead(n))
            throw ReadError();
        pos_ += n;
    }
    // The next n bytes, without copying. Throws ReadError when fewer are left.
    std::span<const std::uint8_t> Take(std::size_t n) {
        Require(n);
        auto s = data_.subspan(static_cast<std::size_t>(pos_ - base_), n);
        pos_ += n;
        return s;
    }
    std::uint8_t U8() { return Take(1)[0]; }
    std::uint16_t U16() { return LoadU16(Take(2).data()); }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::uint32_t U32() { return LoadU32(Take(4).data()); }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::uint64_t U64() { return LoadU64(Take(8).data()); }
    float F32() { return std::bit_cast<float>(U32()); }
    double F64() { return std::bit_cast<double>(U64()); }

    // Little-endian numbers at p, for records taken whole.
    static std::uint16_t LoadU16(const std::uint8_t* p) {
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    static std::uint32_t LoadU32(const std::uint8_t* p) {
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    static std::uint64_t LoadU64(const std::uint8_t* p) {
        return LoadU32(p) | (std::uint64_t{LoadU32(p + 4)} << 32);
    }
    static double LoadF64(const std::uint8_t* p) { return std::bit_cast<double>(LoadU64(p)); }

private:
    // A file is read in windows of this size, or of the read's size when that is larger.
    static constexpr std::size_t kWindow = std::size_t{256} << 10;

    // Reads the window that starts at the position; throws when n bytes are not there. Out of line,
    // so that the reads stay small enough to inline.
    void Fetch(std::size_t n);

    FileBytes* file_ = nullptr;
    std::span<const std::uint8_t> data_; // the bytes at hand, from file offset base_
    std::uint64_t base_ = 0;
    std::uint64_t size_;
    std::uint64_t pos_;
};

// Bytes as text, for the fixed text fields of the headers.
inline std::string_view AsText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace plavik
