// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchFixture.h"
#include "core/articles/DataSourceGenerator.h"
#include "core/common/Cp1252.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace tolvane::test {
namespace {

using namespace std::string_literals;

SearchRequest request(const std::string& text, bool inTitle, bool inText, bool wholeWord = false,
                      bool matchCase = false) {
    return SearchRequest{text, matchCase, wholeWord, inTitle, inText};
}

TEST(SearchArticles, FindsByTheRulesOfTitlesAndTexts) {
    const SearchFixture source(smallSource());
    const std::string ecole = "\xE9"
                              "cole";
    const std::string ECOLE = "\xC9"
                              "COLE";
    const struct {
        const char* what;
        SearchRequest request;
        std::set<ArticleNumber> found;
    } cases[] = {
        {"titles only", request("voyage", true, false), {4}},
        {"texts only", request("voyage", false, true), {3}},
        {"whole word ignored in titles", request("port", true, false, true), {3, 7}},
        {"substring in titles", request("port", true, false), {3, 7}},
        {"whole word in texts", request("port", false, true, true), {7, 8}},
        {"substring in texts", request("port", false, true), {4, 7, 8}},
        {"title match listed once", request("port", true, true, true), {3, 7, 8}},
        {"accent, any case, titles", request(ecole, true, false), {2}},
        {"accent, any case, texts", request(ECOLE, false, true), {10}},
        {"accent, both", request(ecole, true, true), {2, 10}},
        {"accents are kept", request("ecole", true, true), {}},
        {"match case, titles", request(ECOLE, true, false, false, true), {2}},
        {"match case refuses", request(ecole, true, false, false, true), {}},
        {"match case, texts", request(ecole, false, true, false, true), {10}},
        {"match case refuses in texts", request("le port", false, true, false, true), {}},
        {"any case in texts", request("le port", false, true), {7}},
        {"text of a group", request("avant gras apr\xE8s", false, true), {9}},
        {"whole word in a group", request("GRAS", false, true, true), {9}},
        {"no join across a group", request("avantpr\xE8s", false, true), {}},
        {"hidden text", request("cach\xE9", false, true), {}},
        {"field instruction", request("instruction", false, true), {}},
        {"field result", request("apr\xE8sr\xE9sultat", false, true, true), {9}},
        {"plain body", request("abc 123456xyz", false, true, true), {12}},
        {"plain body after its first group", request("uvwxyz", false, true), {}},
        {"no join in a plain body", request("abcefh", false, true), {}},
        {"one match", request("Bienvenue", true, true), {1}},
        {"no match", request(DataSourceGenerator::absentWord(), true, true), {}},
    };
    const std::vector<ArticleNumber> order = source.enumerationOrder();
    for (const auto& c : cases) {
        std::vector<ArticleNumber> expected;
        std::copy_if(order.begin(), order.end(), std::back_inserter(expected),
                     [&](ArticleNumber n) { return c.found.count(n) > 0; });
        EXPECT_EQ(source.search(c.request), expected) << c.what;
    }
}

TEST(SearchArticles, ReturnsTitlesAsStored) {
    const SearchFixture source(smallSource());
    const std::vector<SearchMatch> matches = SearchEngine(source.store())
                                                 .SearchArticles(request("p\xCA"
                                                                         "CHE",
                                                                         true, false));
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].article, 7);
    EXPECT_EQ(matches[0].title, "Port de p\xEA"
                                "che");
}

TEST(SearchArticles, StopsAtTheFirstThousandInEnumerationOrder) {
    // 1,300 articles, of which every thirteenth is a popup: 1,200 match.
    DataSourceWriter w;
    for (ArticleNumber n = 1; n <= 1300; ++n) {
        const std::string title = (n % 13 == 0 ? "#POPUP:Note " : "Sujet ") + std::to_string(n);
        w.addArticle(n, title, rtfBody("Un mot parmi d'autres"));
    }
    const SearchFixture source(w);
    std::vector<ArticleNumber> expected;
    for (const ArticleNumber n : source.enumerationOrder()) {
        if (n % 13 != 0 && expected.size() < MAX_SEARCH_RESULTS)
            expected.push_back(n);
    }
    for (const unsigned threads : {1u, 2u, 3u}) {
        const std::vector<ArticleNumber> found =
            source.search(request("mot", true, true, true), threads);
        EXPECT_EQ(found, expected) << threads << " threads";
        EXPECT_EQ(ResultsCaption("mot", found.size()),
                  cp1252::fromUtf8("Recherche sur «mot» (1000 sujets trouvés)"));
    }
}

TEST(SearchArticles, ThreadsGiveTheSequentialResults) {
    const GeneratorOptions options{1500, 7, 900}; // articles, seed, body bytes
    DataSourceWriter w;
    DataSourceGenerator(options).generate(w);
    const SearchFixture source(w);

    const SearchRequest requests[] = {
        request(DataSourceGenerator::bodyOnlyWord(), false, true),
        request("e", false, true),
        request("de", true, true, true),
        request("mot", true, true),
        request("mot", true, true, true),
        request("MOT", false, true, true, true),
        request("\xC9"
                "COLE",
                true, true),
        request("Navigation", true, true, false, true),
        request(DataSourceGenerator::absentWord(), true, true),
    };
    bool sawTheCut = false;
    for (const SearchRequest& r : requests) {
        const std::vector<SearchMatch> sequential =
            SearchEngine(source.store(), 1).SearchArticles(r);
        sawTheCut = sawTheCut || sequential.size() == MAX_SEARCH_RESULTS;
        for (const unsigned threads : {2u, 4u})
            EXPECT_EQ(SearchEngine(source.store(), threads).SearchArticles(r), sequential)
                << r.text << ", " << threads << " threads";
    }
    EXPECT_TRUE(sawTheCut);
}

TEST(SearchArticles, UnreadableArticleFileFindsNothing) {
    TempDir dir;
    DataSourceWriter w;
    for (ArticleNumber n = 1; n <= 100; ++n)
        w.addArticle(n, "Sujet", rtfBody("mot"));
    ASSERT_TRUE(w.write(dir.file("AIDE")));
    std::remove(dir.file("AIDE.PGD").c_str());
    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(dir.file("AIDE")), index);
    store.LoadIndex();
    for (const unsigned threads : {1u, 2u})
        EXPECT_TRUE(
            SearchEngine(store, threads).SearchArticles(request("Sujet", true, true)).empty());
}

TEST(SearchArticles, CorruptRecordsGiveTheSameResultsOnEveryPath) {
    DataSourceWriter w;
    for (ArticleNumber n = 1; n <= 80; ++n)
        w.addArticle(n, "Sujet " + std::to_string(n), rtfBody("un mot"));
    // Offsets past the end, a title length beyond the file, a body cut short.
    w.addRawIndexEntry({100, 0xFFFFFFF0u, 0, 0});
    w.addRawIndexEntry({101, static_cast<uint32_t>(w.pgdSize()), 0, 0});
    w.appendRawPgd(std::string("\xFF\xFF\xFF\x7F") + "Sujet");
    w.addRawIndexEntry({102, static_cast<uint32_t>(w.pgdSize()), 0, 0});
    w.appendRawPgd("\x05\0\0\0Sujet\xFF\xFF\0\0{\\rtf1 un mot {\\b"s);
    const SearchFixture source(w);
    for (const SearchRequest& r :
         {request("mot", false, true), request("sujet", true, false), request("x", true, true)}) {
        EXPECT_EQ(source.search(r, 2), source.search(r, 1)) << r.text;
    }
    EXPECT_EQ(source.search(request("mot", false, true)).size(), 81u);
}

} // namespace
} // namespace tolvane::test
