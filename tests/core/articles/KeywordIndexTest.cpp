// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/KeywordIndex.h"

#include "core/authoring/TopicParser.h"
#include "core/common/Cp1252.h"
#include "core/common/FrenchOrder.h"
#include "core/common/LittleEndian.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tolvane {
namespace {

using test::TempDir;

std::string W(const char* utf8) {
    return cp1252::fromUtf8(utf8);
}

std::vector<std::string> Keywords(const KeywordIndex& index) {
    std::vector<std::string> out;
    for (const KeywordEntry& e : index.entries())
        out.push_back(cp1252::toUtf8(e.keyword));
    return out;
}

// A K footnote's text as the parser hands it, split into keywords.
TEST(KeywordIndexTest, SplitAtSemicolonsTrimmedEmptyDropped) {
    const struct {
        const char* footnote;
        std::vector<std::string> keywords;
    } cases[] = {
        {"imprimer", {"imprimer"}},
        {"imprimer;aperçu", {"imprimer", "aperçu"}},
        {"  imprimer ;\taperçu  ; ", {"imprimer", "aperçu"}},
        {";;", {}},
        {"", {}},
        {"fichiers: ouvrir; fichiers: fermer", {"fichiers: ouvrir", "fichiers: fermer"}},
        {"mot composé", {"mot composé"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> expected;
        for (const std::string& k : c.keywords)
            expected.push_back(W(k.c_str()));
        EXPECT_EQ(authoring::TopicParser::splitKeywords(W(c.footnote)), expected) << c.footnote;
    }
}

// The same keyword in another case joins the first spelling met; an
// article is listed once under a keyword; accents make another keyword.
TEST(KeywordIndexTest, AddMergesCaseKeepsFirstSpellingAndArticleOrder) {
    KeywordIndex index;
    const std::pair<const char*, ArticleNumber> adds[] = {
        {"Été", 4}, {"été", 2}, {"ÉTÉ", 4}, {"ete", 7}, {"œuvre", 3}, {"ŒUVRE", 9}, {"", 5},
    };
    for (const auto& [keyword, article] : adds)
        index.add(W(keyword), article);
    ASSERT_EQ(index.size(), 3u);
    EXPECT_EQ(Keywords(index), (std::vector<std::string>{"Été", "ete", "œuvre"}));
    EXPECT_EQ(index[0].articles, (std::vector<ArticleNumber>{4, 2}));
    EXPECT_EQ(index[1].articles, (std::vector<ArticleNumber>{7}));
    EXPECT_EQ(index[2].articles, (std::vector<ArticleNumber>{3, 9}));
}

// Each row comes strictly before the next one.
TEST(KeywordIndexTest, FrenchOrder) {
    const std::vector<std::vector<const char*>> chains = {
        {"est", "été", "étude", "Europe"},
        {"cote", "coté", "côte", "côté"},
        {"peche", "pêche", "Pêche", "pêcher"},
        {"été", "Été"},
        {"oeuvre", "œuvre", "œuvres", "ouvrir"},
        {"pomme de terre", "pommeau", "pommes"},
        {"10 pages", "2 pages", "abc"}, // digit by digit
        {"Ça", "çà et là", "cab", "ceci"},
        {"zèbre", "zébu", "zèle"},
        {"a", "à", "À", "ab"},
    };
    for (const auto& chain : chains)
        for (size_t k = 0; k + 1 < chain.size(); ++k) {
            EXPECT_LT(french::compare(W(chain[k]), W(chain[k + 1])), 0)
                << chain[k] << " < " << chain[k + 1];
            EXPECT_GT(french::compare(W(chain[k + 1]), W(chain[k])), 0);
        }
    EXPECT_EQ(french::compare(W("même"), W("même")), 0);
    // The comparison and the sort keys give one order, pair by pair.
    std::vector<std::string> all;
    for (const auto& chain : chains)
        for (const char* word : chain)
            all.push_back(W(word));
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const std::string& a : all)
        for (const std::string& b : all)
            EXPECT_EQ(sign(french::compare(a, b)),
                      sign(french::sortKey(a).compare(french::sortKey(b))))
                << cp1252::toUtf8(a) << " / " << cp1252::toUtf8(b);

    KeywordIndex index;
    for (const char* k : {"étude", "Europe", "zèbre", "été", "est", "Œil", "abri"})
        index.add(W(k), 1);
    index.sort();
    EXPECT_EQ(Keywords(index),
              (std::vector<std::string>{"abri", "est", "été", "étude", "Europe", "Œil", "zèbre"}));
}

// Type-ahead: the first keyword that starts with what was typed, case
// aside and accents as typed; else where it would stand.
TEST(KeywordIndexTest, FindPrefix) {
    KeywordIndex index;
    for (const char* k : {"abri", "est", "été", "Étude", "Europe", "zèbre", "zébu", "Zèle", "zoo"})
        index.add(W(k), 1);
    index.sort();
    const struct {
        const char* typed;
        size_t row;
        bool exact;
    } cases[] = {
        {"", 0, true},    {"a", 0, true},  {"e", 1, true},   {"é", 2, true},    {"ÉT", 2, true},
        {"étu", 3, true}, {"eu", 4, true}, {"zè", 5, true},  {"ZÉ", 6, true},   {"zèl", 7, true},
        {"ze", 5, false}, {"b", 1, false}, {"zz", 8, false}, {"étz", 4, false},
    };
    for (const auto& c : cases) {
        const KeywordIndex::Found found = index.findPrefix(W(c.typed));
        EXPECT_EQ(found.row, c.row) << c.typed;
        EXPECT_EQ(found.exact, c.exact) << c.typed;
    }
    EXPECT_EQ(KeywordIndex().findPrefix("a").row, 0u);
}

std::string Record(const std::string& keyword, std::vector<int32_t> articles) {
    std::string out;
    appendU32LE(out, static_cast<uint32_t>(keyword.size()));
    out += keyword;
    appendU32LE(out, static_cast<uint32_t>(articles.size()));
    for (const int32_t a : articles)
        appendI32LE(out, a);
    return out;
}

std::string File(uint32_t count, const std::string& records) {
    std::string out("PGK1");
    appendU32LE(out, count);
    return out + records;
}

TEST(KeywordIndexTest, EncodeDecodeRoundTrip) {
    KeywordIndex index;
    index.add(W("zèbre"), 12);
    index.add(W("été"), 3);
    index.add(W("été"), -4);
    index.sort();
    const std::string bytes = index.encode();
    EXPECT_EQ(bytes, File(2, Record(W("été"), {3, -4}) + Record(W("zèbre"), {12})));
    KeywordIndex back;
    ASSERT_EQ(KeywordIndex::decode(bytes, back), KeywordIndex::ReadStatus::Ok);
    EXPECT_EQ(Keywords(back), Keywords(index));
    EXPECT_EQ(back[0].articles, (std::vector<ArticleNumber>{3, -4}));
}

// Broken files: the status, and the keywords read whole before the damage.
TEST(KeywordIndexTest, DecodeDamagedFiles) {
    const std::string two = Record("b", {2}) + Record("a", {1, 3});
    const struct {
        const char* name;
        std::string bytes;
        KeywordIndex::ReadStatus status;
        std::vector<std::string> keywords;
    } cases[] = {
        {"whole, out of order", File(2, two), KeywordIndex::ReadStatus::Ok, {"a", "b"}},
        {"empty index", File(0, ""), KeywordIndex::ReadStatus::Ok, {}},
        {"empty file", "", KeywordIndex::ReadStatus::Damaged, {}},
        {"header cut", "PGK1\x01", KeywordIndex::ReadStatus::Damaged, {}},
        {"wrong type", "{\\rtf1 not an index}", KeywordIndex::ReadStatus::Damaged, {}},
        {"outline bytes", std::string(160, '\0'), KeywordIndex::ReadStatus::Damaged, {}},
        {"huge count", File(0xFFFFFFFFu, two), KeywordIndex::ReadStatus::Damaged, {"a", "b"}},
        {"count short", File(3, two), KeywordIndex::ReadStatus::Damaged, {"a", "b"}},
        {"bytes after", File(1, two), KeywordIndex::ReadStatus::Damaged, {"b"}},
        {"cut in a number",
         File(2, two.substr(0, two.size() - 2)),
         KeywordIndex::ReadStatus::Damaged,
         {"b"}},
        {"huge length",
         File(1, std::string("\xFF\xFF\xFF\x7F", 4) + "abc"),
         KeywordIndex::ReadStatus::Damaged,
         {}},
        {"huge article count",
         File(1, Record("a", {1}).replace(5, 4, "\xFF\xFF\xFF\xFF")),
         KeywordIndex::ReadStatus::Damaged,
         {}},
        {"zero length", File(1, Record("", {1})), KeywordIndex::ReadStatus::Damaged, {}},
        {"no article", File(1, Record("a", {})), KeywordIndex::ReadStatus::Damaged, {}},
    };
    for (const auto& c : cases) {
        KeywordIndex index;
        index.add("left over", 1);
        EXPECT_EQ(KeywordIndex::decode(c.bytes, index), c.status) << c.name;
        EXPECT_EQ(Keywords(index), c.keywords) << c.name;
    }
}

TEST(KeywordIndexTest, ReadAbsentFolderAndFile) {
    TempDir dir;
    KeywordIndex index;
    EXPECT_EQ(KeywordIndex::read(dir.file("NONE.PGK"), index), KeywordIndex::ReadStatus::Absent);
    ASSERT_EQ(::mkdir(dir.file("DIR.PGK").c_str(), 0755), 0);
    EXPECT_EQ(KeywordIndex::read(dir.file("DIR.PGK"), index), KeywordIndex::ReadStatus::Unreadable);
    TempDir::writeFile(dir.file("OK.PGK"), File(1, Record("mot", {5})));
    EXPECT_EQ(KeywordIndex::read(dir.file("OK.PGK"), index), KeywordIndex::ReadStatus::Ok);
    EXPECT_EQ(Keywords(index), (std::vector<std::string>{"mot"}));
}

} // namespace
} // namespace tolvane
