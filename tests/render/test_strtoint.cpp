#include "render/strtoint.h"

#include <gtest/gtest.h>

#include <climits>
#include <string_view>
#include <utility>

namespace plavik {
namespace {

using namespace std::string_view_literals;

TEST(TextToInt, ConvertsBlanksSignsAndHexadecimal) {
    // clang-format off
    const std::pair<std::string_view, std::int32_t> cases[] = {
        {"0", 0}, {"64", 64}, {" 64", 64}, {"   -5", -5}, {"+7", 7}, {"-0", 0}, {"007", 7}, {"$40", 64},
        {"0x40", 64}, {"0X40", 64}, {"$ff", 255}, {"$FF", 255}, {" $10", 16}, {"-$10", -16}, {"+0x10", 16},
        {"$000000000040", 64}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"$7FFFFFFF", INT_MAX},
        {"$80000000", INT_MIN}, {"$FFFFFFFF", -1}, {"-$FFFFFFFF", 1}, {"-$80000000", INT_MIN}};
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TextToInt(text), expected) << "text \"" << text << "\"";
}

TEST(TextToInt, RejectsEverythingElse) {
    const std::string_view cases[] = {
        // nothing to convert
        "", " ", "+", "-", "$", "0x", "-$", "+0x",
        // something after, between or before the digits
        "64 ", "6a", "\t5", "- 5", "--5", "+-5", "1 2", "1.0", "1e3", "$G", "$-5", "0x-5", "$$1", "0x0x1",
        "x40", "\xEF\xBC\x91", // a full-width digit one
        // beyond 32 bits
        "2147483648", "-2147483649", "99999999999999999999", "$100000000", "0x1FFFFFFFF",
        // a NUL is not a digit: callers cut stored text at its first NUL themselves
        "64\0"sv,
        "\0"
        "64"sv};
    for (const std::string_view text : cases)
        EXPECT_EQ(TextToInt(text), std::nullopt) << "text \"" << text << "\"";
}

} // namespace
} // namespace plavik
