// Text to real with the Windows runtime's StrToFloat rules, shared by the readers.
#pragma once

#include <optional>
#include <string_view>

namespace plavik {

// Optional blanks, an optional '+' or '-', decimal digits with at most one '.' as the decimal point
// (at least one digit in all), an optional exponent ('E' or 'e', optional sign, at least one digit),
// then optional blanks and nothing else. The decimal point is always '.', whatever the locale.
// Nothing when the text does not convert or its value is too large for a double; values too small
// for one become 0.
std::optional<double> TextToFloat(std::string_view text);

} // namespace plavik
