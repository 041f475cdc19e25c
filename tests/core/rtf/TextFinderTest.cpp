// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/TextFinder.h"

#include <gtest/gtest.h>

namespace tolvane::rtf {
namespace {

// A find of needle in text under the two options, and what it gives.
template <typename Expected> struct FindCase {
    const char* name;
    std::u16string text;
    std::u16string needle;
    bool matchCase;
    bool wholeWord;
    Expected expected;
};

TEST(TextFinderTest, Find_AppliesCaseAndWholeWordRules) {
    const FindCase<int64_t> cases[] = {
        {"plain", u"un mot ici", u"mot", false, false, 3},
        {"inside a word without whole word", u"un motif", u"mot", false, false, 3},
        {"not inside motif", u"un motif", u"mot", false, true, -1},
        {"whole word after a longer one", u"motif mot", u"mot", false, true, 6},
        {"word char before", u"_mot mot", u"mot", false, true, 5},
        {"digit after", u"mot2 mot", u"mot", false, true, 5},
        {"accented letter is a word char", u"mot\u00E9 mot", u"mot", false, true, 5},
        {"punctuation bounds a word", u"(mot)", u"mot", false, true, 1},
        {"paragraph mark bounds a word", u"a\r\nmot\r\n", u"mot", false, true, 3},
        {"accents fold through case pairs", u"L'\u00C9COLE", u"\u00E9cole", false, false, 2},
        {"accents kept", u"\u00E9cole", u"ecole", false, false, -1},
        {"match case rejects other case", u"Mot mot", u"mot", true, false, 4},
        {"oe ligature pair", u"\u0152UVRE", u"\u0153uvre", false, false, 0},
        {"y diaeresis pair", u"\u0178", u"\u00FF", false, false, 0},
        {"first letter lower in text", u"abc ABC", u"Abc", false, false, 0},
        {"empty needle", u"abc", u"", false, false, -1},
        {"needle longer than text", u"ab", u"abc", false, false, -1},
        {"at the very end", u"xxmot", u"mot", false, true, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TextFinder finder(c.needle, FindOptions{c.matchCase, c.wholeWord});
        EXPECT_EQ(finder.find(c.text), c.expected);
    }
}

TEST(TextFinderTest, Find_StaysInsideTheRange) {
    const std::u16string text = u"mot mot mot";
    const TextFinder finder(u"mot", FindOptions{});
    EXPECT_EQ(finder.find(text, 1), 4);
    EXPECT_EQ(finder.find(text, 4, 7), 4);
    EXPECT_EQ(finder.find(text, 5, 10), -1); // the match at 8 would end past 10
    EXPECT_EQ(finder.find(text, 8, 100), 8);
    EXPECT_EQ(finder.find(text, 12), -1);
    EXPECT_EQ(finder.find(text, 9, 8), -1);
}

// Every occurrence a reader sees marked, under the rules of find().
TEST(TextFinderTest, FindAll_MarksEachOccurrenceUnderTheSameRules) {
    const FindCase<std::vector<size_t>> cases[] = {
        {"every case", u"Mot mot MOT", u"mot", false, false, {0, 4, 8}},
        {"match case", u"Mot mot MOT", u"mot", true, false, {4}},
        {"whole words skip motif", u"mot motif mot", u"mot", false, true, {0, 10}},
        {"inside words without whole word", u"mot motif mot", u"mot", false, false, {0, 4, 10}},
        {"no overlap", u"aaaa", u"aa", false, false, {0, 2}},
        {"odd run", u"aaa", u"aa", false, false, {0}},
        {"accents fold, not vanish",
         u"\u00C9cole ecole \u00E9cole",
         u"\u00E9cole",
         false,
         false,
         {0, 12}},
        {"across paragraph marks", u"fin\r\nfin\r\n", u"fin", false, true, {0, 5}},
        {"none", u"abc", u"x", false, false, {}},
        {"empty needle", u"abc", u"", false, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TextFinder finder(c.needle, FindOptions{c.matchCase, c.wholeWord});
        EXPECT_EQ(finder.findAll(c.text), c.expected);
        // The first of them is what find() gives.
        EXPECT_EQ(finder.find(c.text), c.expected.empty() ? -1 : int64_t(c.expected.front()));
    }
}

} // namespace
} // namespace tolvane::rtf
