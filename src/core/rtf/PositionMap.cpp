// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/PositionMap.h"

#include <algorithm>

namespace tolvane {

void PositionMap::add(int32_t numbering, int32_t widget) {
    if (!m_anchors.empty()) {
        const Anchor& last = m_anchors.back();
        // An anchor that breaks the order would make both lookups ambiguous.
        if (numbering < last.numbering || widget < last.widget) {
            return;
        }
        if (numbering == last.numbering) {
            // An empty run on the numbering side: the later widget position
            // wins, since the text that follows starts there.
            m_anchors.back().widget = widget;
            return;
        }
        // A point on the current diagonal adds nothing.
        if (numbering - last.numbering == widget - last.widget) {
            return;
        }
    }
    m_anchors.push_back({numbering, widget});
}

int32_t PositionMap::toWidget(int32_t numbering) const {
    if (m_anchors.empty()) {
        return numbering;
    }
    auto next = std::upper_bound(
        m_anchors.begin(), m_anchors.end(), numbering,
        [](int32_t value, const Anchor& anchor) { return value < anchor.numbering; });
    if (next == m_anchors.begin()) {
        return m_anchors.front().widget;
    }
    const Anchor& at = *(next - 1);
    int64_t widget = int64_t(at.widget) + (int64_t(numbering) - at.numbering);
    if (next != m_anchors.end()) {
        widget = std::min<int64_t>(widget, next->widget);
    }
    return static_cast<int32_t>(std::min<int64_t>(widget, INT32_MAX));
}

int32_t PositionMap::toNumbering(int32_t widget) const {
    if (m_anchors.empty()) {
        return widget;
    }
    // The first numbering position that lands on or after the widget
    // position: of the two positions of a paragraph mark that share one
    // widget position, the first.
    const size_t count = m_anchors.size();
    auto runEnd = [this, count](size_t i) {
        if (i + 1 == count) {
            return int64_t(INT32_MAX);
        }
        const Anchor& at = m_anchors[i];
        const Anchor& next = m_anchors[i + 1];
        return std::min<int64_t>(int64_t(at.widget) + (next.numbering - 1 - at.numbering),
                                 next.widget);
    };
    size_t low = 0;
    size_t high = count - 1;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (runEnd(middle) >= widget) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    const Anchor& at = m_anchors[low];
    const int64_t numbering =
        int64_t(at.numbering) + std::max<int64_t>(0, int64_t(widget) - at.widget);
    return static_cast<int32_t>(std::min<int64_t>(numbering, INT32_MAX));
}

} // namespace tolvane
