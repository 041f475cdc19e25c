// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/Cp1252.h"

#include <gtest/gtest.h>
#include <string>

namespace tolvane::cp1252 {
namespace {

TEST(Cp1252Test, EveryByteRoundTripsThroughUtf8AndUtf16) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);

    bool lossless = false;
    EXPECT_EQ(fromUtf8(toUtf8(all), &lossless), all);
    EXPECT_TRUE(lossless);
    lossless = false;
    const std::u16string utf16 = toUtf16(all);
    ASSERT_EQ(utf16.size(), 256u);
    EXPECT_EQ(fromUtf16(utf16, &lossless), all);
    EXPECT_TRUE(lossless);

    for (int b = 0; b < 256; ++b) {
        const char16_t unit = toUnicode(static_cast<unsigned char>(b));
        EXPECT_EQ(fromUnicode(unit), b) << "byte " << b;
    }
}

TEST(Cp1252Test, KnownCharactersMapToTheirUnicodeValues) {
    EXPECT_EQ(toUnicode(0x80), u'\u20AC'); // €
    EXPECT_EQ(toUnicode(0x9C), u'\u0153'); // œ
    EXPECT_EQ(toUnicode(0x9F), u'\u0178'); // Ÿ
    EXPECT_EQ(toUnicode(0xE9), u'\u00E9'); // é
    EXPECT_EQ(toUnicode(0x81), u'\u0081'); // undefined byte: the C1 control
    EXPECT_EQ(toUtf8("\xE9t\xE9 \x80"), "été €");
    EXPECT_EQ(fromUnicode(U'\u4E2D'), -1);
}

TEST(Cp1252Test, UpperCaseKeepsAccentsAndLeavesLettersWithoutPartner) {
    struct Case {
        unsigned char lower;
        unsigned char upper;
    };
    const Case pairs[] = {
        {0xE9, 0xC9}, // é É
        {0xE0, 0xC0}, // à À
        {0xE7, 0xC7}, // ç Ç
        {0x9C, 0x8C}, // œ Œ
        {0x9A, 0x8A}, // š Š
        {0x9E, 0x8E}, // ž Ž
        {0xFF, 0x9F}, // ÿ Ÿ
        {0xFE, 0xDE}, // þ Þ
    };
    for (const Case& c : pairs) {
        EXPECT_EQ(toUpper(c.lower), c.upper) << int(c.lower);
        EXPECT_EQ(toLower(c.upper), c.lower) << int(c.upper);
        EXPECT_EQ(toUpper(c.upper), c.upper) << int(c.upper);
    }
    for (unsigned char b = 'a'; b <= 'z'; ++b)
        EXPECT_EQ(toUpper(b), b - 0x20);
    // ß, µ, ÷, ×, ª and punctuation have no partner.
    for (const int same :
         {0xDF, 0xB5, 0xF7, 0xD7, 0xAA, 0x83, int('1'), int('_'), int('@'), int('[')})
        EXPECT_EQ(toUpper(static_cast<unsigned char>(same)), same) << same;
    EXPECT_EQ(toLower(0xD7), 0xD7);

    EXPECT_EQ(toUpper("Mon_aide \xE9t\xE9 c\x9Cur \xDF"), "MON_AIDE \xC9T\xC9 C\x8CUR \xDF");
    EXPECT_EQ(toUpper16(u'\u00E9'), u'\u00C9');
    EXPECT_EQ(toUpper16(u'\u0153'), u'\u0152');
    EXPECT_EQ(toUpper16(u'\u00FF'), u'\u0178');
    EXPECT_EQ(toUpper16(u'\u03B1'), u'\u03B1'); // outside the code page
}

TEST(Cp1252Test, MalformedOrUnrepresentableInputBecomesQuestionMark) {
    struct Case {
        const char* name;
        std::string utf8;
        std::string expected;
    };
    const Case cases[] = {
        {"CJK", "a中b", "a?b"},
        {"beyond the BMP", "😀", "?"},
        {"lone continuation byte",
         "a\x80"
         "b",
         "a?b"},
        {"truncated sequence", "a\xC3", "a?"},
        {"lead byte followed by ASCII", "\xE9t\xE9", "?t?"},
        {"overlong slash", "\xC0\xAF", "?"},
        {"encoded surrogate", "\xED\xA0\x80", "?"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "?"},
        {"invalid lead", "\xFF", "?"},
    };
    for (const Case& c : cases) {
        bool lossless = true;
        EXPECT_EQ(fromUtf8(c.utf8, &lossless), c.expected) << c.name;
        EXPECT_FALSE(lossless) << c.name;
    }

    bool lossless = true;
    EXPECT_EQ(fromUtf16(u"a\u4E2D\U0001F600\xD800z", &lossless), "a???z");
    EXPECT_FALSE(lossless);
    lossless = false;
    EXPECT_EQ(fromUtf8("œ€", &lossless), "\x9C\x80");
    EXPECT_TRUE(lossless);
}

TEST(Cp1252Test, WordCharactersAreLettersDigitsAndUnderscore) {
    for (const int yes :
         {int('a'), int('Z'), int('0'), int('9'), int('_'), 0xE9, 0xC9, 0x9C, 0xDF, 0xB5})
        EXPECT_TRUE(isWordChar(static_cast<unsigned char>(yes))) << yes;
    for (const int no : {int(' '), int('-'), int('\''), int('.'), 0xA0, 0xD7, 0xF7, 0x80, 0x85})
        EXPECT_FALSE(isWordChar(static_cast<unsigned char>(no))) << no;
    EXPECT_TRUE(isWordChar16(u'\u00E9'));
    EXPECT_TRUE(isWordChar16(u'\u4E2D'));
    EXPECT_FALSE(isWordChar16(u'\u2014'));
}

} // namespace
} // namespace tolvane::cp1252
