// The runtime's text-to-real rules.
#include "render/strtofloat.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace plavik {
namespace {

TEST(TextToFloat, Accepted) {
    struct Case {
        std::string text;
        double value;
    };
    const std::vector<Case> cases = {
        {"0", 0},
        {"1", 1},
        {"-2.5", -2.5},
        {"+2.5", 2.5},
        {".5", 0.5},
        {"5.", 5},
        {"  4.000000", 4},
        {"4.000000  ", 4},
        {" 0.048889 ", 0.048889},
        {"1e3", 1000},
        {"1E+3", 1000},
        {"-1.5e-2", -0.015},
        {"007.25", 7.25},
        {"1e-400", 0},
        {"0.0000e999", 0},
        {"1.7e308", 1.7e308},
    };
    for (const Case& c : cases) {
        const auto v = TextToFloat(c.text);
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
    }
}

TEST(TextToFloat, Rejected) {
    const std::vector<std::string> cases = {
        "",     " ",   ".",   "-",   "+",  "e5",   "1e",  "1e+", "1.2.3", "1,5",    "1 2",   "--1", "+-1",
        "0x10", "$10", "inf", "nan", "1f", "1.5x", "\t1", "1\t", "1e400", "-1e309", "1e5.5", "١",
    };
    for (const std::string& text : cases)
        EXPECT_FALSE(TextToFloat(text).has_value()) << text;
}

} // namespace
} // namespace plavik
