#include "render/strtofloat.h"

#include <charconv>
#include <string>
#include <system_error>

namespace plavik {

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

std::optional<double> TextToFloat(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The number without its sign or blanks, for the locale-free conversion below.
    const std::size_t start = i;
    int intDigits = 0; // significant digits before the point (leading zeros dropped)
    int leadZeros = 0; // zeros after the point before the first significant digit
    bool anyDigit = false;
    bool significant = false;
    while (i < n && IsDigit(text[i])) {
        anyDigit = true;
        if (text[i] != '0' || significant) {
            significant = true;
            ++intDigits;
        }
        ++i;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) {
            anyDigit = true;
            if (!significant) {
                if (text[i] == '0')
                    ++leadZeros;
                else
                    significant = true;
            }
            ++i;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            expNegative = text[i] == '-';
            ++i;
        }
        if (i >= n || !IsDigit(text[i]))
            return std::nullopt;
        while (i < n && IsDigit(text[i])) {
            if (exponent < 100000)
                exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (expNegative)
            exponent = -exponent;
    }
    const std::size_t end = i;
    while (i < n && text[i] == ' ')
        ++i;
    if (i != n)
        return std::nullopt;

    // The sign was taken off above: from_chars accepts no leading '+'.
    std::string number(text.substr(start, end - start));
    double value = 0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Tell underflow (becomes 0) from overflow (does not convert) by the decimal magnitude.
        const long magnitude = exponent + (intDigits > 0 ? intDigits : -leadZeros);
        if (magnitude > 0)
            return std::nullopt;
        value = 0;
    } else if (ec != std::errc() || ptr != number.data() + number.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

} // namespace plavik
