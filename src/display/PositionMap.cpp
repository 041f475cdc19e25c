#include "display/PositionMap.h"

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
        // Positions the widget does not have (the second half of a paragraph
        // mark) stay on the last widget position of the run.
        widget = std::min<int64_t>(widget, std::max(next->widget - 1, at.widget));
    }
    return static_cast<int32_t>(std::min<int64_t>(widget, INT32_MAX));
}

int32_t PositionMap::toNumbering(int32_t widget) const {
    if (m_anchors.empty()) {
        return widget;
    }
    auto next =
        std::upper_bound(m_anchors.begin(), m_anchors.end(), widget,
                         [](int32_t value, const Anchor& anchor) { return value < anchor.widget; });
    if (next == m_anchors.begin()) {
        return m_anchors.front().numbering;
    }
    const Anchor& at = *(next - 1);
    int64_t numbering = int64_t(at.numbering) + (int64_t(widget) - at.widget);
    if (next != m_anchors.end()) {
        // Widget positions of their own (table frames) fall on the last
        // numbering position before the next run.
        numbering = std::min<int64_t>(numbering, std::max(next->numbering - 1, at.numbering));
    }
    return static_cast<int32_t>(std::min<int64_t>(numbering, INT32_MAX));
}

} // namespace tolvane
