#include "render/jwwstring.h"

#include "render/errors.h"
#include "render/jwwdocument.h"

namespace plavik {

namespace {

struct Length {
    std::uint64_t units = 0;
    bool wide = false;
};

Length ReadLength(ByteCursor& c) {
    Length length;
    std::uint64_t n = c.U8();
    if (n < 0xFF)
        return {n, false};
    n = c.U16();
    if (n == 0xFFFE) {
        // UTF-16: the length forms start over, counting code units.
        length.wide = true;
        n = c.U8();
        if (n < 0xFF)
            return {n, true};
        n = c.U16();
    }
    if (n == 0xFFFF) {
        n = c.U32();
        if (n == 0xFFFFFFFF)
            n = c.U64();
    }
    length.units = n;
    return length;
}

// The string's bytes in the file, checked against the cap and the bytes left.
std::span<const std::uint8_t> TakeString(ByteCursor& c, Length& length) {
    length = ReadLength(c);
    const std::uint64_t limit = length.wide ? kJwwMaxStringBytes / 2 : kJwwMaxStringBytes;
    if (length.units > limit)
        throw ReadError();
    return c.Take(static_cast<std::size_t>(length.wide ? length.units * 2 : length.units));
}

void AppendUtf16(std::span<const std::uint8_t> bytes, std::string& out) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = bytes[i] | (bytes[i + 1] << 8);
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit >= 0xFF61 && unit <= 0xFF9F) {
            out += static_cast<char>(0xA1 + (unit - 0xFF61)); // half-width katakana
        } else {
            out += '?';
            // A surrogate pair is one character.
            if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
                const unsigned next = bytes[i + 2] | (bytes[i + 3] << 8);
                if (next >= 0xDC00 && next < 0xE000)
                    i += 2;
            }
        }
    }
}

} // namespace

void ReadCString(ByteCursor& cursor, std::string& out) {
    Length length;
    const auto bytes = TakeString(cursor, length);
    if (length.wide)
        AppendUtf16(bytes, out);
    else
        out.append(AsText(bytes));
}

void SkipCString(ByteCursor& cursor) {
    Length length;
    TakeString(cursor, length);
}

} // namespace plavik
