#include "articles/ArticleStore.h"
#include "outline/OutlineRecord.h"
#include "shell/DataSourceLocation.h"
#include "support/RtfPositions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::RtfPositions;

// The sample the build places beside the executables: a bare start of the
// viewer shows it, so its links must land on articles and on their anchors.
TEST(MakeSampleTest, SampleBesideTheExecutablesIsComplete) {
    const std::string base = std::string(TOLVANE_BINARY_DIR) + "/GUIDE";
    ASSERT_FALSE(DataSourceMissing(base));
    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(base), index);
    ASSERT_GE(store.LoadIndex(), 3u);
    ASSERT_NE(store.FindEntry(1), nullptr);
    EXPECT_FALSE(IsPopupTitle(store.ReadArticleTitle(1)));

    size_t popups = 0, links = 0;
    store.ForEachArticle([&](ArticleNumber n, const std::string& title, auto& body) {
        SCOPED_TRACE(n);
        popups += IsPopupTitle(title);
        const RtfPositions text = RtfPositions::count(body.body());
        EXPECT_TRUE(text.balanced);
        std::vector<LinkRecord> table;
        store.ReadLinks(n, table);
        EXPECT_EQ(table.size(), text.underlined.size());
        for (size_t k = 0; k < table.size() && k < text.underlined.size(); ++k) {
            EXPECT_EQ(table[k].first, text.underlined[k].first);
            EXPECT_EQ(table[k].last, text.underlined[k].second);
            EXPECT_NE(store.FindEntry(table[k].target), nullptr) << table[k].target;
        }
        links += table.size();
        return true;
    });
    EXPECT_GE(popups, 1u);
    EXPECT_GE(links, 3u);

    const std::string fic = test::TempDir::readFile(base + ".FIC");
    ASSERT_EQ(fic.size() % OutlineRecord::kSize, 0u);
    for (size_t at = 0; at < fic.size(); at += OutlineRecord::kSize) {
        const OutlineRecord r =
            OutlineRecord::decode(reinterpret_cast<const unsigned char*>(fic.data()) + at);
        if (r.article != 0) {
            EXPECT_NE(store.FindEntry(r.article), nullptr) << r.nodeKey;
        }
    }
}

} // namespace
} // namespace tolvane
