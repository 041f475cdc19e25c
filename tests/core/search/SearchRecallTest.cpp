// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchFixture.h"
#include "SearchPhrases.h"
#include "core/authoring/DataSourceBuilder.h"
#include "core/rtf/RtfReader.h"
#include "core/search/ArticleMatcher.h"
#include "support/CorpusFiles.h"
#include "support/WrittenBodies.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

struct Tally {
    size_t found = 0;
    size_t tried = 0;
};

// Builds a help project and checks that each of its articles is found by
// phrases of its own displayed text: by the text test of every article, and
// through the whole search for some of them. Returns false when the project
// does not build.
bool CheckRecall(const std::string& project, const std::string& name, uint32_t seed) {
    authoring::BuildMessages messages;
    authoring::DataSourceBuilder builder(messages);
    builder.addSource(project);
    DataSourceWriter writer;
    builder.build(writer);
    if (builder.articles().empty())
        return false;
    const auto bodies = WrittenBodies(writer);
    const SearchFixture source(writer);

    std::mt19937 random(seed);
    Tally bySource[4];
    size_t articles = 0;
    size_t articlesFound = 0;
    size_t searched = 0;
    std::vector<std::string> misses;
    for (const authoring::DataSourceBuilder::Article& a : builder.articles()) {
        if (a.popup || ArticleMatcher::skipped(a.title))
            continue;
        const std::string& body = bodies.at(a.number);
        const std::vector<Phrase> phrases = PhrasesOf(rtf::RtfReader::read(body), a.links, random);
        if (phrases.empty())
            continue;
        ++articles;
        bool allFound = true;
        for (size_t k = 0; k < phrases.size(); ++k) {
            const Phrase& p = phrases[k];
            // Both case rules and both word rules, the phrase as shown or
            // upper-cased.
            SearchRequest request{p.text, k % 3 == 1, k % 3 != 0, false, true};
            if (k % 3 == 2)
                request.text = cp1252::toUpper(p.text);
            ArticleMatcher matcher(request);
            Tally& tally = bySource[static_cast<int>(p.source)];
            ++tally.tried;
            bool found = matcher.textMatches(body);
            // One phrase in seven also goes through the whole search.
            if (found && ++searched % 7 == 0) {
                const std::vector<ArticleNumber> hits = source.search(request, 2);
                found = std::find(hits.begin(), hits.end(), a.number) != hits.end();
            }
            if (found) {
                ++tally.found;
            } else {
                allFound = false;
                if (misses.size() < 5)
                    misses.push_back(std::to_string(a.number) + " \"" + cp1252::toUtf8(p.text) +
                                     "\" (" + kPhraseSourceNames[static_cast<int>(p.source)] + ")");
            }
        }
        articlesFound += allFound ? 1 : 0;
    }

    Tally total;
    std::string detail;
    for (int s = 0; s < 4; ++s) {
        total.found += bySource[s].found;
        total.tried += bySource[s].tried;
        detail += std::string(" ") + kPhraseSourceNames[s] + " " +
                  std::to_string(bySource[s].found) + "/" + std::to_string(bySource[s].tried);
    }
    std::printf("[ recall   ] %s: %zu/%zu phrases (%.1f %%),%s; %zu/%zu articles\n", name.c_str(),
                total.found, total.tried,
                total.tried
                    ? 100.0 * static_cast<double>(total.found) / static_cast<double>(total.tried)
                    : 0.0,
                detail.c_str(), articlesFound, articles);
    EXPECT_GT(articles, 0u) << name;
    EXPECT_GT(bySource[static_cast<int>(PhraseSource::Formatted)].tried, 0u) << name;
    EXPECT_EQ(total.found, total.tried) << name;
    EXPECT_EQ(articlesFound, articles) << name;
    for (const std::string& miss : misses)
        ADD_FAILURE() << name << ": not found: " << miss;
    return true;
}

TEST(SearchRecall, TheGuideIsFoundByPhrasesOfItsOwnText) {
    ASSERT_TRUE(
        CheckRecall(std::string(TOLVANE_SOURCE_DIR) + "/samples/guide/GUIDE.hpj", "guide", 1));
}

TEST(SearchRecall, EveryCorpusProjectIsFoundByPhrasesOfItsOwnText) {
    const fs::path root = fs::path(TOLVANE_SHARED_DIR) / "corpus" / "helpsrc";
    std::error_code ec;
    if (!fs::is_directory(root, ec))
        GTEST_SKIP() << "corpus absent: " << root;
    size_t built = 0;
    uint32_t seed = 100;
    for (const std::string& p : test::FilesWithExtension({root.string()}, ".hpj")) {
        SCOPED_TRACE(p);
        built += CheckRecall(p, fs::relative(p, root, ec).string(), ++seed) ? 1 : 0;
    }
    EXPECT_GE(built, 5u);
}

// A string that only exists by gluing together the text on both sides of a
// group is on no page, so it is not found; the text of the group is.
TEST(SearchRecall, TextJoinedAcrossAGroupIsNotFound) {
    authoring::BuildMessages messages;
    authoring::DataSourceBuilder builder(messages);
    builder.addSource(std::string(TOLVANE_SOURCE_DIR) + "/samples/guide/GUIDE.hpj");
    DataSourceWriter writer;
    builder.build(writer);
    const SearchFixture guide(writer);
    // navigation.rtf: "des {\b articles} reli\'e9s par des liens".
    const struct {
        const char* text;
        bool found;
    } cases[] = {
        {"des articles reli\xE9s", true}, {"articles", true},     {"Tolvane est une", true},
        {"Bonne lecture", true},          {"deseli\xE9s", false}, {"des reli\xE9s", false},
        {"desreli\xE9s", false},
    };
    for (const auto& c : cases) {
        const std::vector<ArticleNumber> found =
            guide.search(SearchRequest{c.text, false, false, false, true});
        EXPECT_EQ(!found.empty(), c.found) << c.text;
    }
}

} // namespace
} // namespace tolvane::test
