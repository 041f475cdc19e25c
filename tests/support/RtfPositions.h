// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tolvane::test {

// Counts the displayed characters of the simple RTF that the writer's users
// produce (the generator, the sample): every character and \'hh is one
// position, \par two, other control words none, braces none, the font and
// colour tables and \* destinations nothing. Also records the position
// ranges of the underlined groups ({\ul ...} and {\uld ...}), which is how
// those documents mark their link anchors.
struct RtfPositions {
    int length = 0;
    std::vector<std::pair<int, int>> underlined; // first, last (inclusive)
    bool balanced = true;

    static RtfPositions count(const std::string& rtf);
};

} // namespace tolvane::test
