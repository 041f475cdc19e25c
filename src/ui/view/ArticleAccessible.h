// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

#include <vector>

namespace tolvane {

class CTolvaneView;

// What assistive technologies see of the article view. The text interface
// gives the article's shown text (offsets are positions in the view's
// document, a paragraph end counting one, read as a line feed); the children
// are the article's links in reading order, one per link that a click can
// reach, each named after its anchor text and followed by its press action
// as a click on it would. A QTextEdit's own interface has no link children,
// hence this one.
class ArticleAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ArticleAccessible(CTolvaneView* view);

    // Installs the factory that gives every article view this interface;
    // later calls do nothing.
    static void install();

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;
    // Lines are the lines on screen, each with its paragraph end if it is
    // the paragraph's last; other units are Qt's.
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;

private:
    CTolvaneView* view() const;
    // Replaces the link children when the view has moved to another article.
    void refreshLinks() const;
    // The display line holding offset as [first, end); false before the
    // text is laid out.
    bool lineAt(int offset, int* first, int* end) const;
    // The line holding offset (step 0), the one before it (-1) or after it
    // (+1), with its bounds; false when offset is on no line.
    bool lineNear(int offset, int step, int* startOffset, int* endOffset, QString* line) const;

    mutable quint64 m_generation = 0;
    mutable bool m_linksMade = false;
    mutable std::vector<QAccessible::Id> m_links;
};

} // namespace tolvane
