// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stores/NavigationHistory.h"

#include <gtest/gtest.h>
#include <sstream>
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

namespace {

// One user action of a forward table, written "A N L S T BF": action A is
// 's' (show article N), 'b' (Back), 'f' (Forward) or 'h' (Home); L is where
// the article on screen was scrolled to when the action left it; S and T
// are the article the step put on screen and the position it scrolled to
// (-1: nothing happened); B and F say whether Back and Forward are then
// enabled ('B', 'F') or not ('-').
struct ForwardStep {
    char action = 0;
    ArticleNumber article = 0;
    int32_t leftAt = 0;
    HistoryEntry shown;
    std::string enabled;
};

std::vector<ForwardStep> steps(const std::string& script) {
    std::vector<ForwardStep> out;
    std::istringstream in(script);
    std::string one;
    while (std::getline(in, one, ';')) {
        std::istringstream fields(one);
        ForwardStep step;
        fields >> step.action >> step.article >> step.leftAt >> step.shown.article >>
            step.shown.topPosition >> step.enabled;
        out.push_back(step);
    }
    return out;
}

// What the application does for each action: ask the history, then show
// the article as the view does, then end the step.
HistoryEntry act(NavigationHistory& h, ArticleNumber& current, const ForwardStep& step) {
    std::optional<HistoryEntry> target;
    if (step.action == 's')
        target = HistoryEntry{step.article, 0};
    else if (step.action == 'h')
        target = NavigationHistory::GoHome();
    else
        target = step.action == 'b' ? h.GoBack() : h.GoForward();
    if (!target)
        return HistoryEntry{current, -1};
    if (target->article != current)
        show(h, current, target->article, step.leftAt);
    h.EndStep();
    return *target;
}

} // namespace

TEST(NavigationHistoryTest, ForwardFollowsBackStepsAndGoesWithAnyOtherNavigation) {
    const struct {
        const char* name;
        const char* script;
    } cases[] = {
        {"back, back, forward, forward: each article at the line it was left at",
         "s 1 0 1 0 --; s 2 40 2 0 B-; s 3 50 3 0 B-; b 0 300 2 50 BF; b 0 200 1 40 -F;"
         "f 0 10 2 200 BF; f 0 20 3 300 B-; f 0 0 3 -1 B-; b 0 333 2 20 BF"},
        {"a new article after Back empties the forward list",
         "s 1 0 1 0 --; s 2 0 2 0 B-; b 0 70 1 0 -F; s 5 0 5 0 B-; f 0 0 5 -1 B-"},
        {"Home after Back empties it; Home on article 1 is no navigation",
         "s 1 0 1 0 --; s 2 0 2 0 B-; s 3 0 3 0 B-; b 0 0 2 0 BF; b 0 0 1 0 -F;"
         "h 0 0 1 0 -F; f 0 0 2 0 BF; h 0 0 1 0 B-"},
        {"showing the article the step would show is still a new navigation",
         "s 1 0 1 0 --; s 2 0 2 0 B-; b 0 0 1 0 -F; s 2 0 2 0 B-"},
        {"A, B, A: forward returns to the newest A where it was left",
         "s 1 0 1 0 --; s 2 60 2 0 B-; s 1 90 1 0 B-; b 0 500 2 90 BF; f 0 15 1 500 B-;"
         "b 0 0 2 15 BF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NavigationHistory h;
        RowLog rows;
        h.setObserver(&rows);
        ArticleNumber current = 0;
        const std::vector<ForwardStep> script = steps(c.script);
        ASSERT_FALSE(script.empty());
        for (size_t i = 0; i < script.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i));
            const ForwardStep& step = script[i];
            EXPECT_EQ(act(h, current, step), step.shown);
            EXPECT_EQ(std::string() + (h.CanGoBack() ? 'B' : '-') + (h.CanGoForward() ? 'F' : '-'),
                      step.enabled);
            // The history window keeps one row per entry, head on top.
            EXPECT_EQ(h.entry(0).article, current);
            size_t rowCount = 0;
            for (const std::string& op : rows.ops)
                rowCount = op == "-" ? rowCount - 1 : rowCount + 1;
            EXPECT_EQ(rowCount, h.size());
        }
    }
}

TEST(NavigationHistoryTest, ClearEmptiesTheForwardListAndAStepThatShowedNothingEnds) {
    NavigationHistory h;
    ArticleNumber current = 0;
    show(h, current, 1, 0);
    show(h, current, 2, 0);
    ASSERT_TRUE(h.GoBack());
    // The article could not be shown: the step ends without a visit, and
    // the next visit of that same article is a navigation of its own.
    h.EndStep();
    EXPECT_TRUE(h.CanGoForward());
    h.RecordVisit(1);
    EXPECT_FALSE(h.CanGoForward());
    show(h, current, 3, 0);
    ASSERT_TRUE(h.GoBack());
    h.Clear();
    EXPECT_FALSE(h.CanGoForward());
    EXPECT_FALSE(h.GoForward());
}
