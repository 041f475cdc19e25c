// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stores/NavigationHistory.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace tolvane;

namespace {

// Records the row operations the history window would receive.
struct RowLog : HistoryObserver {
    std::vector<std::string> ops;
    void InsertTopRow(ArticleNumber article) override {
        ops.push_back("+" + std::to_string(article));
    }
    void DeleteTopRow() override { ops.push_back("-"); }
};

// What the view's show-article does to the history when it really shows
// an article: the article left keeps its top line, the new one is recorded.
void show(NavigationHistory& h, ArticleNumber& current, ArticleNumber n, int32_t leftAtTop) {
    if (current != 0)
        h.UpdateTopPosition(current, leftAtTop);
    current = n;
    h.RecordVisit(n);
}

std::vector<HistoryEntry> entries(const NavigationHistory& h) {
    std::vector<HistoryEntry> out;
    for (size_t i = 0; i < h.size(); ++i)
        out.push_back(h.entry(i));
    return out;
}

} // namespace

TEST(NavigationHistoryTest, BackTwiceFromThirdArticleReturnsToFirstAndDisablesBack) {
    NavigationHistory h;
    RowLog rows;
    h.setObserver(&rows);
    ArticleNumber current = 0;
    EXPECT_FALSE(h.CanGoBack());
    show(h, current, 10, 0);
    EXPECT_FALSE(h.CanGoBack());
    show(h, current, 20, 140); // A left at 140
    show(h, current, 30, 250); // B left at 250
    EXPECT_EQ(entries(h), (std::vector<HistoryEntry>{{30, 0}, {20, 250}, {10, 140}}));

    auto back = h.GoBack();
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, (HistoryEntry{20, 250}));
    EXPECT_EQ(entries(h), (std::vector<HistoryEntry>{{10, 140}}));
    show(h, current, back->article, 77); // C left: no entry of C remains
    EXPECT_EQ(entries(h), (std::vector<HistoryEntry>{{20, 0}, {10, 140}}));
    EXPECT_TRUE(h.CanGoBack());

    back = h.GoBack();
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, (HistoryEntry{10, 140}));
    show(h, current, back->article, 0);
    EXPECT_EQ(entries(h), (std::vector<HistoryEntry>{{10, 0}}));
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_FALSE(h.GoBack());
    EXPECT_EQ(rows.ops,
              (std::vector<std::string>{"+10", "+20", "+30", "-", "-", "+20", "-", "-", "+10"}));
}

TEST(NavigationHistoryTest, BackAfterABAGivesOlderAEntryTheTopPositionOfTheNewest) {
    NavigationHistory h;
    ArticleNumber current = 0;
    show(h, current, 1, 0);
    show(h, current, 2, 60);
    show(h, current, 1, 90);
    EXPECT_EQ(entries(h), (std::vector<HistoryEntry>{{1, 0}, {2, 90}, {1, 60}}));
    auto back = h.GoBack();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->article, 2);
    // Leaving the newest A at 300: the entry now at the head is the older A,
    // which receives that position.
    show(h, current, back->article, 300);
    EXPECT_EQ(entries(h), (std::vector<HistoryEntry>{{2, 0}, {1, 300}}));
}

TEST(NavigationHistoryTest, UpdateTopPositionOnlyForTheHeadArticle) {
    NavigationHistory h;
    EXPECT_FALSE(h.UpdateTopPosition(1, 5));
    h.RecordVisit(1);
    h.RecordVisit(2);
    EXPECT_FALSE(h.UpdateTopPosition(1, 5));
    EXPECT_TRUE(h.UpdateTopPosition(2, 7));
    EXPECT_EQ(h.entry(0), (HistoryEntry{2, 7}));
    EXPECT_EQ(h.entry(1), (HistoryEntry{1, 0}));
    EXPECT_EQ(NavigationHistory::GoHome(), (HistoryEntry{1, 0}));
    h.Clear();
    EXPECT_TRUE(h.empty());
}
