// Code page 932 (Shift-JIS) text as bytes: where its two-byte characters start, so that text is never
// cut inside one.
#pragma once

#include <cstddef>
#include <string_view>

namespace plavik {

// Lead bytes of two-byte characters: 0x81..0x9F and 0xE0..0xFC.
constexpr bool IsSjisLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Bytes of the character that starts at text[i]: two for a lead byte with a byte after it.
constexpr std::size_t CharacterBytes(std::string_view text, std::size_t i) {
    return IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// The length of text's longest start of whole characters that fits in limit bytes; a lead byte at the
// end of text (its character cut off) is left out too.
constexpr std::size_t WholeCharacterBytes(std::string_view text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = IsSjisLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > limit || end + width > text.size())
            break;
        end += width;
    }
    return end;
}

} // namespace plavik
