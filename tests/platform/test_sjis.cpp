// Code page 932 decoding and encoding.
#include "platform/sjis.h"

#include <gtest/gtest.h>

#include <string>

namespace plavik {
namespace {

struct DecodeCase {
    const char* what;
    std::string bytes;
    const char* utf8;
};

class DecodeSjisTest : public ::testing::TestWithParam<DecodeCase> {};

// The case's description as a test name: its ASCII letters and digits, every other run one underscore.
std::string CaseName(const ::testing::TestParamInfo<DecodeCase>& info) {
    std::string name;
    for (const char* p = info.param.what; *p; ++p) {
        const char c = *p;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            name += c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    return name;
}

TEST_P(DecodeSjisTest, Decodes) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(DecodeSjis(c.bytes), QString::fromUtf8(c.utf8)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Sjis, DecodeSjisTest,
    ::testing::Values(
        DecodeCase{"font name", "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e", "ＭＳ ゴシック"},
        DecodeCase{"0x5C stays a backslash, 0x7E a tilde", "C:\\jww\\~a", "C:\\jww\\~a"},
        DecodeCase{"NEC circled digit", "\x87\x40", "①"}, DecodeCase{"NEC Roman numeral", "\x87\x54", "Ⅰ"},
        DecodeCase{"IBM extension", "\xFA\x40", "ⅰ"},
        DecodeCase{"half-width katakana", "\xB1\xB2\xDF", "ｱｲﾟ"}, DecodeCase{"empty", "", ""},
        DecodeCase{"lone lead byte at the end", "ab\x82", "ab\xEF\xBF\xBD"},
        DecodeCase{"lead byte with a bad trail byte keeps the trail", "\x82\x20x", "\xEF\xBF\xBD x"},
        DecodeCase{"undefined single bytes", "\x80\xA0\xFD", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        DecodeCase{"valid text resumes after a bad byte", "\xFF\x82\xA0", "\xEF\xBF\xBDあ"}),
    CaseName);

TEST(DecodeSjis, EmbeddedNulCountsAsACharacter) {
    EXPECT_EQ(DecodeSjis(std::string("a\0b", 3)).size(), 3);
}

TEST(DecodeSjis, ArbitraryBytesNeverFail) {
    // Every byte value in every position, as a damaged file may hold; each input byte gives at most
    // one character (a double-byte character gives one for two).
    std::string all;
    for (int i = 0; i < 256; ++i)
        for (int j = 0; j < 256; j += 17)
            all += {static_cast<char>(i), static_cast<char>(j)};
    const QString s = DecodeSjis(all);
    EXPECT_GT(s.size(), 0);
    EXPECT_LE(s.size(), static_cast<qsizetype>(all.size()));
}

TEST(EncodeSjis, RoundTripsAndReplacesWhatItCannotHold) {
    const char* texts[] = {"ＭＳ Ｐゴシック", "図面 ①Ⅰⅰ ｱｲ", "C:\\jww\\", "abc", ""};
    for (const char* t : texts)
        EXPECT_EQ(DecodeSjis(EncodeSjis(QString::fromUtf8(t))), QString::fromUtf8(t)) << t;
    EXPECT_EQ(EncodeSjis(QString::fromUtf8("ＭＳ ゴシック")),
              std::string("\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e"));
    // One '?' per character without a code page 932 form, the rest kept.
    EXPECT_EQ(EncodeSjis(QString::fromUtf8("a€😀b")), "a??b");
}

} // namespace
} // namespace plavik
