// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/geometry/PopupGeometry.h"

#include <climits>
#include <gtest/gtest.h>
#include <vector>

using namespace tolvane;

TEST(PopupGeometryTest, CaptionDropsOnlyTheExactPrefix) {
    // A title and its caption.
    const std::pair<const char*, const char*> cases[] = {
        {"#POPUP:Note", "Note"}, {"#POPUP:", ""}, {"#popup:Note", "#popup:Note"},
        {"#POPUP", "#POPUP"},    {"", ""},        {"# Remarque", "# Remarque"}};
    for (const auto& [title, caption] : cases)
        EXPECT_EQ(PopupCaption(title), caption) << title;
}

TEST(PopupGeometryTest, SizeSearchNarrowsUntilATextThirdOfTheWidth) {
    // Text of 60 000 pixel-squares: height = 60000 / width.
    std::vector<int> widths;
    const PopupSize size = PopupSizeSearch(1024, [&](int w) {
        widths.push_back(w);
        return 60000 / w;
    });
    // 999, 974, ... until w / 3 <= 60000 / w, i.e. w = 424 (141 <= 141).
    EXPECT_EQ(widths.front(), 999);
    EXPECT_EQ(widths.back(), 424);
    EXPECT_EQ(size, (PopupSize{444, 60000 / 424 + 30}));
}

TEST(PopupGeometryTest, SizeSearchEndsForEmptyAndHostileTexts) {
    // An empty body reports one short line: a popup a few pixels wider than 20.
    EXPECT_EQ(PopupSizeSearch(1024, [](int) { return 14; }), (PopupSize{24 + 20, 14 + 30}));
    // A negative or absurd answer must not loop for ever nor go below 1.
    const PopupSize hostile = PopupSizeSearch(1024, [](int) { return INT_MIN; });
    EXPECT_GE(hostile.width, 21);
    EXPECT_EQ(PopupSizeSearch(10, [](int) { return 0; }).width, 21);
}

TEST(PopupGeometryTest, PlacementTriesBelowLeftRightAboveThenCentres) {
    struct Case {
        const char* what;
        int x, y, pw, ph;
        PopupPosition expected;
    };
    const int W = 1024, H = 768;
    const Case cases[] = {
        {"below", 500, 100, 300, 200, {350, 112}},
        {"below, pulled left off the right edge", 1000, 100, 300, 200, {1024 - 300 - 12, 112}},
        {"below, x = 10 pulled to 12", 10, 100, 300, 200, {12, 112}},
        {"left near the bottom", 700, 600, 300, 200, {700 - 300 - 12, 500}},
        {"left, pulled up off the bottom", 700, 760, 300, 200, {388, 768 - 200 - 12}},
        {"right when the left has no room", 100, 600, 300, 200, {112, 500}},
        {"above when neither side has room", 512, 700, 600, 200, {212, 700 - 200 - 12}},
        {"centred when nothing holds it", 512, 384, 1000, 700, {12, 34}},
        {"strict fit: exactly the width below fails", 512, 0, 1024, 100, {0, 334}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlacePopup(c.x, c.y, PopupSize{c.pw, c.ph}, W, H), c.expected);
    }
}
