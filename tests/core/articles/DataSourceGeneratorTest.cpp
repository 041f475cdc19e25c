// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/DataSourceGenerator.h"

#include "core/articles/ArticleStore.h"
#include "support/RtfPositions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <set>

namespace tolvane {
namespace {

using test::RtfPositions;
using test::TempDir;

DataSourceWriter generated(const GeneratorOptions& options) {
    DataSourceWriter w;
    DataSourceGenerator(options).generate(w);
    return w;
}

TEST(DataSourceGeneratorTest, SameSeedSameBytesOtherSeedOtherBytes) {
    GeneratorOptions options{60, 7}; // articles, seed
    const DataSourceWriter a = generated(options);
    const DataSourceWriter b = generated(options);
    EXPECT_EQ(a.pghBytes(), b.pghBytes());
    EXPECT_EQ(a.pgdBytes(), b.pgdBytes());
    EXPECT_EQ(a.pglBytes(), b.pglBytes());
    EXPECT_EQ(a.ficBytes(), b.ficBytes());

    // The same generator object run twice starts again from its seed.
    DataSourceGenerator g(options);
    DataSourceWriter c, d;
    g.generate(c);
    g.generate(d);
    EXPECT_EQ(c.pgdBytes(), d.pgdBytes());

    options.seed = 8;
    const DataSourceWriter other = generated(options);
    EXPECT_NE(other.pgdBytes(), a.pgdBytes());
    EXPECT_NE(other.pglBytes(), a.pglBytes());
}

TEST(DataSourceGeneratorTest, LinksAnchorsAndWordsHoldTogether) {
    const GeneratorOptions options{300, 3, 1500}; // articles, seed, body bytes
    TempDir dir;
    ASSERT_TRUE(generated(options).write(dir.file("GEN")));

    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(dir.file("GEN")), index);
    ASSERT_EQ(store.LoadIndex(), 300u);
    DataSourceGenerator probe(options);
    size_t totalLinks = 0, popupTargets = 0;
    for (ArticleNumber n = 1; n <= options.articles; ++n) {
        SCOPED_TRACE(n);
        ArticleRecord r;
        ASSERT_TRUE(store.ReadArticle(n, r));
        EXPECT_EQ(IsPopupTitle(r.title), probe.isPopup(n));
        EXPECT_EQ(r.title.find(DataSourceGenerator::bodyOnlyWord()), std::string::npos);
        EXPECT_EQ(r.title.find(DataSourceGenerator::absentWord()), std::string::npos);
        EXPECT_NE(r.body.find(DataSourceGenerator::bodyOnlyWord()), std::string::npos);
        EXPECT_EQ(r.body.find(DataSourceGenerator::absentWord()), std::string::npos);

        const RtfPositions text = RtfPositions::count(r.body);
        EXPECT_TRUE(text.balanced);
        std::vector<LinkRecord> links;
        store.ReadLinks(n, links);
        // Each link is exactly one underlined run of the text, in order.
        ASSERT_EQ(links.size(), text.underlined.size());
        for (size_t k = 0; k < links.size(); ++k) {
            const LinkRecord& l = links[k];
            EXPECT_GE(l.first, 0);
            EXPECT_LE(l.first, l.last);
            EXPECT_LT(l.last, text.length);
            EXPECT_EQ(l.first, text.underlined[k].first);
            EXPECT_EQ(l.last, text.underlined[k].second);
            EXPECT_NE(l.target, n);
            ASSERT_NE(store.FindEntry(l.target), nullptr) << "dangling link to " << l.target;
            popupTargets += probe.isPopup(l.target);
        }
        totalLinks += links.size();
    }
    EXPECT_GT(totalLinks, 300u);
    EXPECT_GT(popupTargets, 0u);
}

TEST(DataSourceGeneratorTest, OutlineHoldsEveryNonPopupArticleOnce) {
    const GeneratorOptions options{450};
    const DataSourceWriter w = generated(options);
    const std::string fic = w.ficBytes();
    ASSERT_EQ(fic.size() % OutlineRecord::kSize, 0u);
    std::set<std::string> keys{"0"};
    std::multiset<ArticleNumber> articles;
    size_t records = fic.size() / OutlineRecord::kSize;
    for (size_t k = 0; k + 1 < records; ++k) {
        const OutlineRecord r = OutlineRecord::decode(
            reinterpret_cast<const unsigned char*>(fic.data()) + k * OutlineRecord::kSize);
        EXPECT_FALSE(r.title.empty());
        EXPECT_EQ(keys.count(r.referenceKey), 1u) << "reference before its node: " << r.nodeKey;
        EXPECT_TRUE(keys.insert(r.nodeKey).second) << "duplicate key " << r.nodeKey;
        if (r.article != 0)
            articles.insert(r.article);
    }
    DataSourceGenerator probe(options);
    for (ArticleNumber n = 1; n <= options.articles; ++n)
        EXPECT_EQ(articles.count(n), probe.isPopup(n) ? 0u : 1u) << n;
    EXPECT_TRUE(OutlineRecord::decode(reinterpret_cast<const unsigned char*>(fic.data()) +
                                      (records - 1) * OutlineRecord::kSize)
                    .title.empty());
}

// Before: no article count or a zero body size divided by zero or sized a
// vector from a negative count.
TEST(DataSourceGeneratorTest, DegenerateOptionsGiveASmallValidSource) {
    struct Case {
        int32_t articles;
        uint32_t bodyBytes;
        int32_t popupEvery;
        size_t expected;
    };
    const Case cases[] = {{0, 5000, 10, 0}, {-4, 5000, 10, 0}, {3, 0, 10, 3},
                          {1, 1, 0, 1},     {5, 200, -1, 5},   {2, 5000, 1, 2}};
    for (const Case& c : cases) {
        GeneratorOptions options;
        options.articles = c.articles;
        options.averageBodyBytes = c.bodyBytes;
        options.popupEvery = c.popupEvery;
        const DataSourceWriter w = generated(options);
        EXPECT_EQ(w.pghBytes().size(), c.expected * kIndexEntrySize) << c.articles;
        TempDir dir;
        ASSERT_TRUE(w.write(dir.file("G")));
        ArticleIndex index;
        ArticleStore store(DataSourcePaths::fromBase(dir.file("G")), index);
        store.LoadIndex();
        store.ForEachArticle([](ArticleNumber, const std::string&, auto& body) {
            EXPECT_NE(body.body().find(DataSourceGenerator::bodyOnlyWord()), std::string::npos);
            return true;
        });
    }
}

} // namespace
} // namespace tolvane
