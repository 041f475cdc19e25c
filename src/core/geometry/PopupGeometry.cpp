// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/geometry/PopupGeometry.h"

namespace tolvane {

namespace {

constexpr int kGap = 12;  // distance between the anchor and the popup
constexpr int kStep = 25; // narrowing step of the size search
constexpr int kFrameWidth = 20;
constexpr int kFrameHeight = 30;

bool fits(int width, int height, int left, int top, int right, int bottom) {
    return width < right - left && height < bottom - top;
}

int pullBack(int value, int extent, int limit) {
    if (value + extent > limit)
        value = limit - extent - kGap;
    if (value < 0)
        value = kGap;
    return value;
}

} // namespace

std::string PopupCaption(const std::string& title) {
    static const std::string kPrefix = "#POPUP:";
    if (title.compare(0, kPrefix.size(), kPrefix) == 0)
        return title.substr(kPrefix.size());
    return title;
}

PopupSize PopupSizeSearch(int desktopRight, const TextHeightAt& textHeightAt) {
    int w = desktopRight - kStep;
    if (w < 1)
        w = 1;
    int y = textHeightAt(w);
    while (w / 3 > y && w - kStep >= 1) {
        w -= kStep;
        y = textHeightAt(w);
    }
    return PopupSize{w + kFrameWidth, y + kFrameHeight};
}

PopupPosition PlacePopup(int anchorX, int anchorY, PopupSize popup, int desktopRight,
                         int desktopBottom) {
    const int pw = popup.width;
    const int ph = popup.height;
    const int W = desktopRight;
    const int H = desktopBottom;
    if (fits(pw, ph, 0, anchorY + kGap, W, H))
        return {pullBack(anchorX - pw / 2, pw, W), anchorY + kGap};
    if (fits(pw, ph, 0, 0, anchorX - kGap, H))
        return {anchorX - pw - kGap, pullBack(anchorY - ph / 2, ph, H)};
    if (fits(pw, ph, anchorX + kGap, 0, W, H))
        return {anchorX + kGap, pullBack(anchorY - ph / 2, ph, H)};
    if (fits(pw, ph, 0, 0, W, anchorY - kGap))
        return {pullBack(anchorX - pw / 2, pw, W), anchorY - ph - kGap};
    return {(W - pw) / 2, (H - ph) / 2};
}

} // namespace tolvane
