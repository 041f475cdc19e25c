// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/OutlineImageList.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <functional>

namespace tolvane {
namespace {

const QColor kBookColours[5] = {
    QColor(0, 128, 128), // teal
    QColor(128, 128, 0), // olive
    QColor(128, 0, 0),   // dark red
    QColor(0, 128, 0),   // green
    QColor(0, 0, 128),   // navy
};
const QColor kOutline(48, 48, 48);
const QColor kPaper(255, 255, 255);
const QColor kPaperEdge(128, 128, 128);
const QColor kLine(0, 0, 255);

// Every shape is drawn on the 16 × 16 grid: fills on whole units and 1-unit
// lines through unit centres, so each lands on whole device pixels at 1× and 2×.
using Drawing = std::function<void(QPainter&)>;

QPixmap render(const Drawing& draw, qreal scale) {
    const int side = qRound(OutlineImageList::kSize * scale);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(scale);
    QPainter p(&image);
    // Whole scales land every unit on whole pixels; the others blend the
    // edges rather than drawing some lines thicker than others.
    p.setRenderHint(QPainter::Antialiasing, scale != qRound(scale));
    draw(p);
    p.end();
    return QPixmap::fromImage(image);
}

void hline(QPainter& p, const QColor& c, int x1, int x2, int y) {
    p.fillRect(QRect(x1, y, x2 - x1 + 1, 1), c);
}

void vline(QPainter& p, const QColor& c, int x, int y1, int y2) {
    p.fillRect(QRect(x, y1, 1, y2 - y1 + 1), c);
}

void frame(QPainter& p, const QColor& c, const QRect& r) {
    hline(p, c, r.left(), r.right(), r.top());
    hline(p, c, r.left(), r.right(), r.bottom());
    vline(p, c, r.left(), r.top(), r.bottom());
    vline(p, c, r.right(), r.top(), r.bottom());
}

void closedBook(QPainter& p, const QColor& colour) {
    // The block of pages shows below and to the right of the cover.
    p.fillRect(QRect(4, 12, 10, 3), kPaper);
    frame(p, kOutline, QRect(4, 12, 10, 3));
    hline(p, kPaperEdge, 5, 12, 13);
    p.fillRect(QRect(2, 1, 11, 12), colour);
    frame(p, kOutline, QRect(2, 1, 11, 12));
    vline(p, colour.darker(160), 4, 2, 11);
    p.fillRect(QRect(6, 4, 5, 2), colour.lighter(190));
}

// Two facing pages of size, framed, meeting at the spine (x = 8), each with
// lines every other row from firstY down, from left to right on the left
// page and as far along on the right one.
void facingPages(QPainter& p, QSize size, const QColor& lines, int left, int right, int firstY) {
    frame(p, kPaperEdge, QRect(QPoint(8 - size.width(), 2), size));
    frame(p, kPaperEdge, QRect(QPoint(8, 2), size));
    vline(p, kOutline, 8, 2, 13);
    for (int y = firstY; y <= size.height(); y += 2) {
        hline(p, lines, left, right, y);
        hline(p, lines, left + size.width(), right + size.width(), y);
    }
}

void openBook(QPainter& p, const QColor& colour) {
    p.fillRect(QRect(0, 4, 16, 10), colour);
    frame(p, kOutline, QRect(0, 4, 16, 10));
    p.fillRect(QRect(1, 2, 6, 10), kPaper);
    p.fillRect(QRect(9, 2, 6, 10), kPaper);
    facingPages(p, QSize(7, 10), colour, 3, 6, 4);
}

void page(QPainter& p) {
    p.fillRect(QRect(3, 1, 10, 14), kPaper);
    // The top right corner is folded over.
    hline(p, kPaperEdge, 3, 9, 1);
    vline(p, kPaperEdge, 3, 1, 14);
    hline(p, kPaperEdge, 3, 12, 14);
    vline(p, kPaperEdge, 12, 4, 14);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(11, 1, 2, 2), Qt::transparent);
    p.fillRect(QRect(12, 3, 1, 1), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    vline(p, kPaperEdge, 10, 1, 3);
    hline(p, kPaperEdge, 10, 12, 3);
    vline(p, kPaperEdge, 11, 2, 2);
    for (int y = 5; y <= 12; y += 2)
        hline(p, kLine, 5, 10, y);
}

void openPage(QPainter& p) {
    p.fillRect(QRect(0, 2, 16, 12), kPaper);
    facingPages(p, QSize(8, 12), kLine, 2, 6, 5);
}

// The screen scales drawn ahead: the icon picks the one of its screen, and
// the nearest larger one in between, never a smaller one blown up.
constexpr qreal kScales[] = {1.0, 1.25, 1.5, 2.0, 3.0};

QIcon makeIcon(const Drawing& draw) {
    QIcon icon;
    for (qreal scale : kScales)
        icon.addPixmap(render(draw, scale));
    return icon;
}

} // namespace

OutlineImageList::OutlineImageList() {
    for (int colour = 0; colour < 5; ++colour) {
        const QColor c = kBookColours[colour];
        m_icons[kClosedBook + colour] = makeIcon([c](QPainter& p) { closedBook(p, c); });
        m_icons[kOpenBook + colour] = makeIcon([c](QPainter& p) { openBook(p, c); });
    }
    const QIcon pageIcon = makeIcon(page);
    for (int i = kPage; i < kPage + 5; ++i)
        m_icons[i] = pageIcon;
    m_icons[kOpenPage] = makeIcon(openPage);
}

QIcon OutlineImageList::icon(int index) const {
    if (index < 0 || index >= kCount)
        return QIcon();
    return m_icons[static_cast<size_t>(index)];
}

} // namespace tolvane
