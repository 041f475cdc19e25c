// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace tolvane {

// The window-free rules of the popup window: its caption, the size search
// and where it goes on the screen. All numbers are screen pixels.

// The title without a leading "#POPUP:" (byte-wise, case-sensitive); any
// other title unchanged.
std::string PopupCaption(const std::string& title);

struct PopupSize {
    int width = 0;
    int height = 0;
    bool operator==(const PopupSize& o) const { return width == o.width && height == o.height; }
};

struct PopupPosition {
    int x = 0;
    int y = 0;
    bool operator==(const PopupPosition& o) const { return x == o.x && y == o.y; }
};

// Given the text control's width, the vertical position of the end of the
// text when the control is that wide.
using TextHeightAt = std::function<int(int width)>;

// The popup aims at a box whose text height is at least a third of its
// width: starting 25 pixels short of the desktop's right edge, the text
// width shrinks by 25 while a third of it exceeds the text height. The
// popup is the text width + 20 by the text height + 30. The width never
// goes below 1, so the search ends for any answer of textHeightAt.
PopupSize PopupSizeSearch(int desktopRight, const TextHeightAt& textHeightAt);

// Below the anchor, else left of it, else right of it, else above it: the
// first area that holds the popup (strictly) decides; the position is then
// pulled back on screen along its free axis. When no area holds it, the
// popup is centred on the desktop (0, 0, desktopRight, desktopBottom).
PopupPosition PlacePopup(int anchorX, int anchorY, PopupSize popup, int desktopRight,
                         int desktopBottom);

} // namespace tolvane
