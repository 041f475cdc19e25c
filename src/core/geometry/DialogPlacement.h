// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

namespace tolvane {

// The window-free rule that keeps a list window from hiding the text a
// search result has just selected. All numbers are screen pixels.

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool contains(int x, int y) const {
        return x >= left && x < left + width && y >= top && y < top + height;
    }
};

constexpr int kDialogGapAbove = 20;
constexpr int kDialogGapBelow = 40;

// The new top of a window at dialog when it covers the point where the
// selection starts: its bottom 20 pixels above the point when the screen
// has room for that, else its top 40 pixels below the point when the window
// then still ends on the screen. Nothing when the window does not cover the
// point or when neither place fits.
std::optional<int> TopOffSelection(const ScreenRect& dialog, int selectionX, int selectionY,
                                   const ScreenRect& screen);

} // namespace tolvane
