// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/geometry/DialogPlacement.h"

#include <gtest/gtest.h>
#include <optional>

namespace tolvane {
namespace {

struct PlacementCase {
    const char* name;
    ScreenRect dialog;
    int x;
    int y;
    std::optional<int> top;
};

TEST(DialogPlacement, TopOffSelection_MovesUpElseDownElseStays) {
    const ScreenRect screen{0, 0, 800, 600};
    const PlacementCase cases[] = {
        {"point not covered: stays", {100, 100, 320, 200}, 50, 150, std::nullopt},
        {"point just right of the window: stays", {100, 100, 320, 200}, 420, 150, std::nullopt},
        {"room above: bottom 20 above", {100, 300, 320, 200}, 200, 350, 130},
        {"exactly room above", {100, 200, 320, 200}, 200, 220, 0},
        {"no room above: top 40 below", {100, 100, 320, 200}, 200, 150, 190},
        {"window at the top-left corner covers its own corner", {0, 0, 320, 200}, 0, 0, 40},
        {"below ends exactly at the bottom", {0, 0, 320, 400}, 10, 160, 200},
        {"one pixel lower does not fit below", {0, 0, 320, 400}, 10, 161, std::nullopt},
        {"neither fits: stays", {0, 0, 320, 500}, 10, 250, std::nullopt},
        {"bottom edge is outside the window", {100, 100, 320, 200}, 200, 300, std::nullopt},
    };
    for (const PlacementCase& c : cases)
        EXPECT_EQ(TopOffSelection(c.dialog, c.x, c.y, screen), c.top) << c.name;
}

TEST(DialogPlacement, TopOffSelection_ScreenNotAtOrigin) {
    const ScreenRect screen{0, 1000, 800, 600};
    EXPECT_EQ(TopOffSelection({0, 1100, 320, 200}, 10, 1150, screen), std::optional<int>(1190));
    EXPECT_EQ(TopOffSelection({0, 1300, 320, 200}, 10, 1350, screen), std::optional<int>(1130));
}

} // namespace
} // namespace tolvane
