// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/search/SearchEngine.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(TitleMatches, UpperCasesThroughTheCodePageAndIgnoresWords) {
    const struct {
        const char* title;
        const char* text;
        bool matchCase;
        bool matches;
    } cases[] = {
        {"\xC9"
         "COLE PRIMAIRE",
         "\xE9"
         "cole",
         false, true},
        {"\xC9"
         "COLE PRIMAIRE",
         "ecole", false, false},
        {"\xC9"
         "COLE PRIMAIRE",
         "\xE9"
         "cole",
         true, false},
        {"\xC9"
         "COLE PRIMAIRE",
         "\xC9"
         "COLE",
         true, true},
        {"Le c\x9Cur du sujet",
         "C\x8C"
         "UR",
         false, true},
        {"Ann\xE9"
         "e",
         "ANN\xC9"
         "E",
         false, true},
        {"Transport", "port", false, true},
        {"Transport", "PORT", true, false},
        {"Transport", "Transports", false, false},
        {"", "a", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TitleMatches(c.title, c.text, c.matchCase), c.matches)
            << c.title << " / " << c.text << " / " << c.matchCase;
}

TEST(ResultsCaption, NamesTheTextAndCountsTheRows) {
    const struct {
        const char* text;
        size_t count;
        const char* caption;
    } cases[] = {
        {"mot", 1, "Recherche sur \xABmot\xBB (1 sujet trouv\xE9)"},
        {"mot", 2, "Recherche sur \xABmot\xBB (2 sujets trouv\xE9s)"},
        {"mot", 0, "Recherche sur \xABmot\xBB (0 sujet trouv\xE9)"},
        {"\xE9t\xE9", 1000, "Recherche sur \xAB\xE9t\xE9\xBB (1000 sujets trouv\xE9s)"},
        {"", 3, "R\xE9sultats de la recherche (3 sujets trouv\xE9s)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResultsCaption(c.text, c.count), c.caption);
    EXPECT_EQ(QueryCaption("mot"), "Recherche sur \xABmot\xBB");
    EXPECT_EQ(QueryCaption(""), "R\xE9sultats de la recherche");
}

} // namespace
} // namespace tolvane
