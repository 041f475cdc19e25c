#include "core/search/SearchEngine.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(StripBraceGroups, CleansAsTheStepsSay) {
    const struct {
        const char* body;
        const char* cleaned;
    } cases[] = {
        {"abc {123456xyz} def {uvwxyz} gh", "abcefh"},
        // No group: unchanged, and so is a text that begins with one.
        {"plain text} with a closing brace", "plain text} with a closing brace"},
        {" {123456xyz} def", " {123456xyz} def"},
        {"", ""},
        // After a group, a remainder beginning with " {" stays as it is.
        {"a {123456} b {654321} c", "a {654321} c"},
        // A group never closed drops the rest of the body.
        {"abc {123456xyz def ghi", "abc"},
        // Bodies cut short inside the six characters or the closing.
        {"ab {12", "ab"},
        {"ab {123456} ", "ab"},
        {"ab {123456} x", "ab"},
        {"ab {123456} xyz", "abyz"},
        // A "} " among the six characters after the brace does not close.
        {"x {ab} cd} ef", "xf"},
        // Braces without the blank do not open or close a group.
        {"a{b {1234567}x} y z", "a{b z"},
        {"ab {123456}", "ab"},
        // Groups that follow one another directly.
        {"a {bcdefghij} kl {mnopqrstu} v w", "al w"},
        // Bytes outside ASCII are copied untouched.
        {"\xE9t\xE9 {\\b gras} apr\xE8s", "\xE9t\xE9pr\xE8s"},
    };
    for (const auto& c : cases) {
        std::string body = c.body;
        StripBraceGroups(body);
        EXPECT_EQ(body, c.cleaned) << "body: " << c.body;
        std::string appended = "prefix:";
        AppendStrippedBody(c.body, appended);
        EXPECT_EQ(appended, std::string("prefix:") + c.cleaned) << "body: " << c.body;
    }
}

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
