// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/Cp1252.h"
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
    // In UTF-8 here; the captions are Windows-1252.
    const struct {
        const char* text;
        size_t count;
        const char* caption;
    } cases[] = {
        {"mot", 1, "Recherche sur «mot» (1 sujet trouvé)"},
        {"mot", 2, "Recherche sur «mot» (2 sujets trouvés)"},
        {"mot", 0, "Recherche sur «mot» (0 sujet trouvé)"},
        {"été", 1000, "Recherche sur «été» (1000 sujets trouvés)"},
        {"", 3, "Résultats de la recherche (3 sujets trouvés)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResultsCaption(cp1252::fromUtf8(c.text), c.count), cp1252::fromUtf8(c.caption));
    }
    EXPECT_EQ(QueryCaption("mot"), cp1252::fromUtf8("Recherche sur «mot»"));
    EXPECT_EQ(QueryCaption(""), cp1252::fromUtf8("Résultats de la recherche"));
}

} // namespace
} // namespace tolvane
