// Drawing the record sections of the old formats straight from the file's bytes, read only as far as
// the drawing gets: a file of millions of records costs what its budget lets be drawn, not its size.
#pragma once

#include "render/budget.h"
#include "render/bytecursor.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace plavik {

// The n bytes from offset of a file or of data in memory (fewer where it ends), read as they are asked
// for; a span may be invalidated by the next call.
using BytesAt = std::function<std::span<const std::uint8_t>(std::uint64_t offset, std::size_t n)>;

// The same over bytes in memory.
inline BytesAt BytesIn(std::span<const std::uint8_t> data) {
    return [data](std::uint64_t offset, std::size_t n) {
        if (offset >= data.size())
            return std::span<const std::uint8_t>{};
        return data.subspan(static_cast<std::size_t>(offset),
                            static_cast<std::size_t>(std::min<std::uint64_t>(n, data.size() - offset)));
    };
}

// Reads the count records of size bytes from offset with read and hands each to draw, until the
// budget is spent. The records are read a block of a few thousand at a time, before any of them is
// drawn, so that draw may read bytes too. Throws ReadError when the bytes end early.
template <typename Read, typename Draw>
void EachRecord(const BytesAt& bytes, std::uint64_t offset, std::size_t count, std::size_t size,
                const DrawBudget& budget, Read read, Draw draw) {
    constexpr std::size_t kBlock = 4096;
    std::vector<decltype(read(std::declval<ByteCursor&>()))> records;
    for (std::size_t i = 0; i < count && !budget.Spent();) {
        const std::size_t n = std::min(kBlock, count - i);
        ByteCursor cursor(bytes(offset + i * size, n * size));
        records.clear();
        for (std::size_t k = 0; k < n; ++k)
            records.push_back(read(cursor));
        for (std::size_t k = 0; k < n && !budget.Spent(); ++k, ++i)
            draw(records[k]);
    }
}

// The NUL-ended strings of a text pool, one per text record, as SplitPool gives them, but read one at a
// time and only as far as a text can show: a pool of 64 MiB without a NUL costs what one text shows.
class PoolStrings {
public:
    // The pool runs from start to end (exclusive) in bytes.
    PoolStrings(const BytesAt& bytes, std::uint64_t start, std::uint64_t end);

    // The next string, cut after most + 1 bytes (so that a cut to most bytes comes out the same as on
    // the whole string); empty once the pool is used up. The view lasts until the next call.
    std::string_view Next(std::size_t most);

private:
    // Moves past the end of the string that starts at pos_: its NUL, or the pool's end.
    void SkipString();

    const BytesAt& bytes_;
    std::uint64_t pos_, end_;
    bool inString_ = false; // pos_ stands inside a string handed out, not at the next one
};

} // namespace plavik
