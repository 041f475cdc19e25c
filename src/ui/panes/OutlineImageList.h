// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

#include <array>

namespace tolvane {

// The outline's 16 × 16 images, painted in code at 1×, 1.25×, 1.5×, 2× and
// 3× so that they stay sharp on the usual screen scales:
//
//   0-4    closed books: teal, olive, dark red, green, navy
//   5-9    the same books open, same colours in the same order
//   10-14  a white page with blue lines (five identical copies)
//   15     an open booklet of two lined pages: an article heading with
//          children while it is expanded (its page image plus 5)
class OutlineImageList {
public:
    static constexpr int kCount = 16;
    static constexpr int kClosedBook = 0;
    static constexpr int kOpenBook = 5;
    static constexpr int kPage = 10;
    static constexpr int kOpenPage = 15;
    static constexpr int kSize = 16;

    OutlineImageList();

    // The image at index; an empty icon outside 0..kCount-1.
    QIcon icon(int index) const;

private:
    std::array<QIcon, kCount> m_icons;
};

} // namespace tolvane
