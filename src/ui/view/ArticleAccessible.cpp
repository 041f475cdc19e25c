// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/ArticleAccessible.h"

#include "ui/view/CPopupWnd.h"
#include "ui/view/CTolvaneView.h"

#include <QCoreApplication>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QWindow>

#include <algorithm>

namespace tolvane {

namespace {

// One link of the article on screen. It belongs to the accessibility cache
// and outlives neither the article nor the view: once the view shows
// another article (or is gone) it is no longer valid and does nothing.
class ArticleLinkAccessible : public QAccessibleInterface,
                              public QAccessibleActionInterface,
                              public QAccessibleHyperlinkInterface {
public:
    ArticleLinkAccessible(CTolvaneView* view, const CTolvaneView::ShownLink& link)
        : m_view(view), m_generation(view->articleGeneration()), m_link(link) {}

    bool isValid() const override {
        return !m_view.isNull() && m_view->articleGeneration() == m_generation;
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return isValid() ? m_view->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return isValid() ? QAccessible::queryAccessibleInterface(m_view.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text type) const override {
        switch (type) {
        case QAccessible::Name:
            return m_link.anchor;
        case QAccessible::Description:
            return m_link.description;
        default:
            return QString();
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid())
            return QRect();
        const CTolvaneView* view = m_view.data();
        QTextCursor cursor(view->document());
        cursor.setPosition(view->toWidgetPosition(m_link.first));
        QRect area = view->cursorRect(cursor);
        cursor.setPosition(view->toWidgetPosition(m_link.last) + 1);
        const QRect end = view->cursorRect(cursor);
        // An anchor that wraps covers its lines from edge to edge.
        if (end.top() > area.top())
            area = QRect(0, area.top(), view->viewport()->width(), end.bottom() - area.top() + 1);
        else
            area = area.united(end);
        return QRect(view->viewport()->mapToGlobal(area.topLeft()), area.size());
    }
    QAccessible::Role role() const override { return QAccessible::Link; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.linked = true;
        s.traversed = false;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const QRect shown(m_view->viewport()->mapToGlobal(QPoint(0, 0)),
                          m_view->viewport()->size());
        s.invisible = !m_view->isVisible();
        s.offscreen = !shown.intersects(rect());
        // Tab reaches every link.
        s.focusable = true;
        const std::vector<CTolvaneView::ShownLink>& links = m_view->shownLinks();
        const int focused = m_view->focusedLink();
        s.focused = m_view->hasFocus() && focused >= 0 && size_t(focused) < links.size() &&
                    links[size_t(focused)].first == m_link.first &&
                    links[size_t(focused)].last == m_link.last;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        if (type == QAccessible::HyperlinkInterface)
            return static_cast<QAccessibleHyperlinkInterface*>(this);
        return nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QString localizedActionDescription(const QString& name) const override {
        return name == pressAction() ? QStringLiteral("Suit le lien") : QString();
    }
    void doAction(const QString& name) override {
        // Following the link replaces the article: this interface is then
        // no longer valid, so nothing of it is used afterwards.
        if (name == pressAction() && isValid())
            m_view->followLink(m_link);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == pressAction())
            return {QStringLiteral("Return")};
        return {};
    }

    QString anchor() const override { return m_link.anchor; }
    QString anchorTarget() const override { return QString::number(m_link.target); }
    int startIndex() const override {
        return isValid() ? m_view->toWidgetPosition(m_link.first) : -1;
    }
    int endIndex() const override {
        return isValid() ? m_view->toWidgetPosition(m_link.last) + 1 : -1;
    }

private:
    QPointer<CTolvaneView> m_view;
    quint64 m_generation;
    CTolvaneView::ShownLink m_link;
};

QAccessibleInterface* articleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("tolvane::CTolvaneView")) {
        if (auto* view = qobject_cast<CTolvaneView*>(object))
            return new ArticleAccessible(view);
    }
    // A note is read as a tooltip: shown next to its link, gone at the
    // next key or click.
    if (className == QLatin1String("tolvane::CPopupWnd")) {
        if (auto* popup = qobject_cast<CPopupWnd*>(object))
            return new QAccessibleWidget(popup, QAccessible::ToolTip);
    }
    return nullptr;
}

QString shownText(const QTextCursor& cursor) {
    QString text = cursor.selectedText();
    // Paragraph, line and table-cell ends are read as line feeds.
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c.unicode() == 0xFDD0 ||
            c.unicode() == 0xFDD1)
            c = QLatin1Char('\n');
    }
    return text;
}

} // namespace

ArticleAccessible::ArticleAccessible(CTolvaneView* view)
    : QAccessibleWidget(view, QAccessible::EditableText) {}

void ArticleAccessible::install() {
    // Once per process, however many windows ask.
    [[maybe_unused]] static const bool installed =
        (QAccessible::installFactory(articleFactory), true);
}

namespace {

void installAtStart() {
    ArticleAccessible::install();
}

} // namespace

// As the application object is made, before its first window.
Q_COREAPP_STARTUP_FUNCTION(installAtStart)

CTolvaneView* ArticleAccessible::view() const {
    return static_cast<CTolvaneView*>(widget());
}

void* ArticleAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString ArticleAccessible::text(QAccessible::Text type) const {
    switch (type) {
    case QAccessible::Value:
        return text(0, characterCount());
    default:
        return QAccessibleWidget::text(type);
    }
}

QAccessible::State ArticleAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

void ArticleAccessible::refreshLinks() const {
    const quint64 generation = view()->articleGeneration();
    if (m_linksMade && generation == m_generation)
        return;
    for (QAccessible::Id id : m_links) {
        if (QAccessible::accessibleInterface(id) != nullptr)
            QAccessible::deleteAccessibleInterface(id);
    }
    m_links.clear();
    for (const CTolvaneView::ShownLink& link : view()->shownLinks())
        m_links.push_back(
            QAccessible::registerAccessibleInterface(new ArticleLinkAccessible(view(), link)));
    m_generation = generation;
    m_linksMade = true;
}

int ArticleAccessible::childCount() const {
    refreshLinks();
    return static_cast<int>(m_links.size());
}

QAccessibleInterface* ArticleAccessible::child(int index) const {
    refreshLinks();
    if (index < 0 || size_t(index) >= m_links.size())
        return nullptr;
    return QAccessible::accessibleInterface(m_links[size_t(index)]);
}

int ArticleAccessible::indexOfChild(const QAccessibleInterface* child) const {
    refreshLinks();
    for (size_t i = 0; i < m_links.size(); ++i) {
        if (QAccessible::accessibleInterface(m_links[i]) == child)
            return static_cast<int>(i);
    }
    return -1;
}

QAccessibleInterface* ArticleAccessible::childAt(int x, int y) const {
    const int count = childCount();
    for (int i = 0; i < count; ++i) {
        QAccessibleInterface* link = child(i);
        if (link != nullptr && link->rect().contains(x, y))
            return link;
    }
    return nullptr;
}

void ArticleAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    const QTextCursor cursor = view()->textCursor();
    if (selectionIndex == 0 && cursor.hasSelection()) {
        *startOffset = cursor.selectionStart();
        *endOffset = cursor.selectionEnd();
    }
}

int ArticleAccessible::selectionCount() const {
    return view()->textCursor().hasSelection() ? 1 : 0;
}

void ArticleAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void ArticleAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = view()->textCursor();
    cursor.clearSelection();
    view()->setTextCursor(cursor);
}

void ArticleAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0)
        return;
    const int count = characterCount();
    QTextCursor cursor(view()->document());
    cursor.setPosition(std::clamp(startOffset, 0, count));
    cursor.setPosition(std::clamp(endOffset, 0, count), QTextCursor::KeepAnchor);
    view()->setTextCursor(cursor);
}

int ArticleAccessible::cursorPosition() const {
    return view()->textCursor().position();
}

void ArticleAccessible::setCursorPosition(int position) {
    QTextCursor cursor(view()->document());
    cursor.setPosition(std::clamp(position, 0, characterCount()));
    view()->setTextCursor(cursor);
}

QString ArticleAccessible::text(int startOffset, int endOffset) const {
    const int count = characterCount();
    startOffset = std::clamp(startOffset, 0, count);
    endOffset = std::clamp(endOffset, 0, count);
    if (startOffset >= endOffset)
        return QString();
    QTextCursor cursor(view()->document());
    cursor.setPosition(startOffset);
    cursor.setPosition(endOffset, QTextCursor::KeepAnchor);
    return shownText(cursor);
}

int ArticleAccessible::characterCount() const {
    return std::max(0, view()->document()->characterCount() - 1);
}

QRect ArticleAccessible::characterRect(int offset) const {
    if (offset < 0 || offset >= characterCount())
        return QRect();
    const CTolvaneView* v = view();
    QTextCursor cursor(v->document());
    cursor.setPosition(offset);
    const QRect start = v->cursorRect(cursor);
    cursor.setPosition(offset + 1);
    const QRect next = v->cursorRect(cursor);
    const int width = next.top() == start.top() ? std::max(1, next.left() - start.left()) : 1;
    const QRect local(start.left(), start.top(), width, start.height());
    return QRect(v->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int ArticleAccessible::offsetAtPoint(const QPoint& point) const {
    const CTolvaneView* v = view();
    const QPoint local = v->viewport()->mapFromGlobal(point);
    if (!v->viewport()->rect().contains(local))
        return -1;
    return v->cursorForPosition(local).position();
}

void ArticleAccessible::scrollToSubstring(int startIndex, int endIndex) {
    setSelection(0, startIndex, endIndex);
    view()->ensureCursorVisible();
}

bool ArticleAccessible::lineAt(int offset, int* first, int* end) const {
    const int count = characterCount();
    offset = std::clamp(offset, 0, std::max(0, count - 1));
    const QTextBlock block = view()->document()->findBlock(offset);
    const QTextLayout* layout = block.isValid() ? block.layout() : nullptr;
    if (layout == nullptr || layout->lineCount() == 0)
        return false;
    const QTextLine line = layout->lineForTextPosition(offset - block.position());
    if (!line.isValid())
        return false;
    *first = block.position() + line.textStart();
    *end = *first + line.textLength();
    // The paragraph's last line takes its end along.
    if (line.lineNumber() == layout->lineCount() - 1)
        *end = std::min(count, block.position() + block.length());
    *end = std::max(*end, std::min(count, *first + 1));
    return true;
}

bool ArticleAccessible::lineNear(int offset, int step, int* startOffset, int* endOffset,
                                 QString* line) const {
    int first = 0;
    int end = 0;
    if (!lineAt(offset, &first, &end))
        return false;
    line->clear();
    // Before the first line and after the last there is an empty one.
    if (step < 0) {
        *startOffset = *endOffset = 0;
        if (first == 0 || !lineAt(first - 1, &first, &end))
            return true;
    } else if (step > 0) {
        *startOffset = *endOffset = characterCount();
        if (end >= characterCount() || !lineAt(end, &first, &end))
            return true;
    }
    *startOffset = first;
    *endOffset = end;
    *line = text(first, end);
    return true;
}

QString ArticleAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int* startOffset, int* endOffset) const {
    QString line;
    if (boundaryType == QAccessible::LineBoundary &&
        lineNear(offset, 0, startOffset, endOffset, &line))
        return line;
    return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
}

QString ArticleAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int* startOffset, int* endOffset) const {
    QString line;
    if (boundaryType == QAccessible::LineBoundary &&
        lineNear(offset, -1, startOffset, endOffset, &line))
        return line;
    return QAccessibleTextInterface::textBeforeOffset(offset, boundaryType, startOffset, endOffset);
}

QString ArticleAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int* startOffset, int* endOffset) const {
    QString line;
    if (boundaryType == QAccessible::LineBoundary &&
        lineNear(offset, 1, startOffset, endOffset, &line))
        return line;
    return QAccessibleTextInterface::textAfterOffset(offset, boundaryType, startOffset, endOffset);
}

QString ArticleAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    // No text attributes are told: the whole text is one run.
    *startOffset = 0;
    *endOffset = characterCount();
    Q_UNUSED(offset);
    return QString();
}

} // namespace tolvane
