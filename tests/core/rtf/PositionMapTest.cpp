// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/PositionMap.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using tolvane::PositionMap;

namespace {

struct MapCase {
    const char* name;
    std::vector<std::pair<int32_t, int32_t>> anchors;
    std::vector<std::pair<int32_t, int32_t>> toWidget;    // numbering, widget
    std::vector<std::pair<int32_t, int32_t>> toNumbering; // widget, numbering
};

PositionMap makeMap(const std::vector<std::pair<int32_t, int32_t>>& anchors) {
    PositionMap map;
    for (auto [numbering, widget] : anchors) {
        map.add(numbering, widget);
    }
    return map;
}

} // namespace

TEST(PositionMapTest, MapsBothWays) {
    const std::vector<MapCase> cases = {
        {"empty map is the identity", {}, {{0, 0}, {7, 7}}, {{0, 0}, {7, 7}}},
        // "ab\r\ncd": the mark is one block separator at widget 2.
        {"paragraph mark",
         {{0, 0}, {2, 2}, {3, 2}, {4, 3}},
         {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 4}},
         {{0, 0}, {1, 1}, {2, 2}, {3, 4}, {4, 5}}},
        // A table frame adds widget positions 5 and 6 before the cell text.
        {"table frame",
         {{0, 0}, {5, 7}},
         {{4, 4}, {5, 7}, {6, 8}},
         {{4, 4}, {5, 5}, {6, 5}, {7, 5}, {8, 6}}},
        // "Deux\t\r\n" at the end of a row: cell and row marks share widget 4.
        {"cell then row mark",
         {{0, 0}, {5, 4}, {6, 4}, {7, 5}},
         {{3, 3}, {4, 4}, {5, 4}, {6, 4}, {7, 5}},
         {{3, 3}, {4, 4}, {5, 7}}},
        {"before the first anchor", {{3, 5}}, {{0, 5}, {3, 5}, {4, 6}}, {{0, 3}, {5, 3}, {6, 4}}},
        {"anchors out of order are dropped",
         {{0, 0}, {10, 12}, {8, 20}, {12, 11}, {14, 16}},
         {{9, 9}, {10, 12}, {13, 15}, {14, 16}},
         {{12, 10}, {16, 14}}},
        {"same numbering twice keeps the later widget",
         {{0, 0}, {4, 4}, {4, 6}},
         {{3, 3}, {4, 6}},
         {{4, 4}, {6, 4}}},
    };
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PositionMap map = makeMap(c.anchors);
        for (auto [numbering, widget] : c.toWidget) {
            EXPECT_EQ(map.toWidget(numbering), widget) << "numbering " << numbering;
        }
        for (auto [widget, numbering] : c.toNumbering) {
            EXPECT_EQ(map.toNumbering(widget), numbering) << "widget " << widget;
        }
    }
}

TEST(PositionMapTest, RoundTripOverManyParagraphs) {
    // Paragraphs of 5 characters and a two-position mark, one widget
    // position per mark: every character comes back to itself.
    PositionMap map;
    for (int32_t i = 0; i < 1000; ++i) {
        map.add(i * 7, i * 6);
        map.add(i * 7 + 5, i * 6 + 5);
        map.add(i * 7 + 6, i * 6 + 5);
    }
    for (int32_t p = 0; p < 7000; ++p) {
        const int32_t widget = map.toWidget(p);
        EXPECT_EQ(widget, p / 7 * 6 + std::min(p % 7, 5));
        if (p % 7 < 6) {
            EXPECT_EQ(map.toNumbering(widget), p);
        }
    }
    // Far past the last anchor: no overflow.
    EXPECT_EQ(map.toWidget(INT32_MAX), INT32_MAX - 1000);
    EXPECT_EQ(map.toNumbering(INT32_MAX), INT32_MAX);
}
