// Text to integer with the Windows runtime's rules, shared by the readers and the settings.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace plavik {

// Optional leading blanks, an optional '+' or '-', then decimal digits, or hexadecimal digits after
// "$" or "0x" (up to FFFFFFFF, taken as a 32-bit two's complement value). Nothing may follow the
// digits. Nothing when the text does not convert or a decimal value overflows 32 bits.
std::optional<std::int32_t> TextToInt(std::string_view text);

} // namespace plavik
