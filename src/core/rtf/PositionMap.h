// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

namespace tolvane {

// Maps character positions between the article numbering (RichDocument.h)
// and the positions of the widget that shows it. Both grow together; the
// map holds the pairs where runs of one-to-one positions begin (a paragraph
// mark counts two in the numbering and one in a QTextDocument, a table adds
// positions of its own, hidden text none). Between two anchors positions
// advance one for one, clamped to the next anchor. toNumbering gives the
// first numbering position that toWidget maps on or after the position.
class PositionMap {
public:
    void clear() { m_anchors.clear(); }
    // Anchors must be added in increasing order of both positions.
    void add(int32_t numbering, int32_t widget);

    int32_t toWidget(int32_t numbering) const;
    int32_t toNumbering(int32_t widget) const;

private:
    struct Anchor {
        int32_t numbering;
        int32_t widget;
    };
    std::vector<Anchor> m_anchors;
};

} // namespace tolvane
