// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/CTolvaneView.h"

#include "core/articles/ArticleStore.h"
#include "core/geometry/PopupGeometry.h"
#include "core/startup/DataSourceLocation.h"
#include "core/stores/NavigationHistory.h"
#include "ui/base/AppServices.h"
#include "ui/base/CommandTable.h"
#include "ui/base/QtText.h"
#include "ui/base/ViewHooks.h"
#include "ui/view/ArticleAccessible.h"
#include "ui/view/CPopupWnd.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextCursor>

#include <algorithm>

namespace tolvane {

QPoint CTolvaneView::s_lastLinkClick;
bool CTolvaneView::s_caretBrowsing = false;

namespace {

// Switches the application's wait cursor on for the life of the object.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

CTolvaneView::CTolvaneView(ViewHooks& frame, ArticleStore& store, NavigationHistory& history,
                           AppServices& services, QWidget* parent)
    : RichTextEdit(parent), m_frame(frame), m_store(store), m_history(history),
      m_services(services) {
    // Before anything asks for this object's interface (setting a name
    // does), or Qt keeps the plain text box's.
    ArticleAccessible::install();
    setObjectName(QStringLiteral("articleView"));
    setReadOnly(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::ArrowCursor);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    // A scroll bar that comes and goes would lay a long article out twice,
    // once at each width.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Ctrl + wheel changes the text size for the rest of the run.
    setWheelZoomEnabled(true);
    setAccessibleName(QStringLiteral("Article"));
    setAccessibleDescription(
        QStringLiteral("Texte de l'article affiché ; ses liens mènent à d'autres articles. "
                       "Ctrl + molette change la taille du texte."));
    verticalScrollBar()->setAccessibleName(QStringLiteral("Défilement vertical de l'article"));
    verticalScrollBar()->setAccessibleDescription(
        QStringLiteral("Fait défiler l'article vers le haut ou le bas"));
    horizontalScrollBar()->setAccessibleName(QStringLiteral("Défilement horizontal de l'article"));
    horizontalScrollBar()->setAccessibleDescription(
        QStringLiteral("Fait défiler l'article vers la gauche ou la droite"));
    applyCaretMode();
}

CTolvaneView::~CTolvaneView() {
    CPopupWnd::ClosePopup();
}

bool CTolvaneView::ShowArticle(ArticleNumber number, int topPosition) {
    CPopupWnd::ClosePopup();
    const IndexEntry* entry = m_store.FindEntry(number);
    if (number <= 0)
        return false;
    if (number == m_currentArticle)
        return true;
    if (entry == nullptr) {
        m_services.MessageBox(this, QStringLiteral("VEK-Info"),
                              QStringLiteral("Cet article n'existe pas ! (ER%1)").arg(number),
                              QMessageBox::Warning);
        return false;
    }
    ArticleRecord record;
    {
        WaitCursor wait;
        m_store.ReadArticle(number, record);
    }
    if (IsPopupTitle(record.title)) {
        CPopupWnd::ShowPopup(record.title, record.body, s_lastLinkClick, window(), zoomPercent());
        return true;
    }
    WaitCursor wait;
    m_frame.SaveArticleAnnotation(m_currentArticle);
    m_frame.LoadArticleAnnotation(number);
    if (m_currentArticle != 0)
        m_history.UpdateTopPosition(m_currentArticle, firstVisiblePosition());
    m_currentArticle = number;
    m_title = record.title;
    m_history.RecordVisit(number);
    m_frame.setCaption(m_services.windowTitle() + QStringLiteral(" - ") + fromCp1252(record.title));
    // One pass with painting off, so the text is not drawn piecemeal.
    viewport()->setUpdatesEnabled(false);
    setArticleTitle(fromCp1252(record.title));
    loadRtf(record.body);
    viewport()->setUpdatesEnabled(true);
    if (topPosition > 0)
        lineScroll(lineFromChar(topPosition));
    m_store.ReadLinks(number, m_links);
    m_overLink = false;
    m_focusLink = -1;
    ++m_generation;
    setAccessibleName(QStringLiteral("Article : ") + fromCp1252(record.title));
    if (QAccessible::isActive()) {
        QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reorder);
    }
    viewport()->update();
    emit articleChanged(number);
    return true;
}

std::optional<ArticleNumber> CTolvaneView::LinkAt(int position) const {
    for (const LinkRecord& link : m_links) {
        if (link.contains(position))
            return link.target;
    }
    return std::nullopt;
}

const std::vector<CTolvaneView::ShownLink>& CTolvaneView::shownLinks() const {
    if (m_shownGeneration == m_generation)
        return m_shownLinks;
    const int length = textLength();
    const std::u16string& text = richDocument().text;
    std::vector<ShownLink> shown;
    std::vector<std::pair<int, int>> earlier;
    for (const LinkRecord& link : m_links) {
        const int first = std::max(0, link.first);
        const int last = std::min(length - 1, link.last);
        if (first > last)
            continue;
        // Reachable when some position of the range lies under no earlier
        // link: the earlier ranges that meet it, merged, leave a gap.
        std::vector<std::pair<int, int>> cover;
        for (const auto& range : earlier) {
            if (range.second >= first && range.first <= last)
                cover.push_back(range);
        }
        std::sort(cover.begin(), cover.end());
        int reach = first; // the first position not yet covered
        for (const auto& range : cover) {
            if (range.first > reach)
                break;
            reach = std::max(reach, range.second + 1);
        }
        earlier.emplace_back(first, last);
        if (reach > last)
            continue;
        ShownLink item;
        item.first = first;
        item.last = last;
        item.target = link.target;
        item.anchor =
            QString::fromStdU16String(text.substr(size_t(first), size_t(last - first + 1)))
                .simplified();
        const bool exists = link.target > 0 && m_store.FindEntry(link.target) != nullptr;
        const std::string title = exists ? m_store.ReadArticleTitle(link.target) : std::string();
        if (!exists)
            item.description = QStringLiteral("Lien vers un article absent (%1)").arg(link.target);
        else if (IsPopupTitle(title))
            item.description =
                QStringLiteral("Ouvre la note « %1 »").arg(fromCp1252(PopupCaption(title)));
        else
            item.description = QStringLiteral("Ouvre l'article « %1 »").arg(fromCp1252(title));
        shown.push_back(std::move(item));
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [](const ShownLink& a, const ShownLink& b) { return a.first < b.first; });
    m_shownLinks = std::move(shown);
    m_shownGeneration = m_generation;
    return m_shownLinks;
}

std::vector<QRect> CTolvaneView::linkRects(const ShownLink& link) const {
    std::vector<QRect> rects;
    const int start = toWidgetPosition(link.first);
    const int end = toWidgetPosition(link.last) + 1;
    QTextCursor cursor(document());
    for (int position = start; position < end; ++position) {
        cursor.setPosition(position);
        const QRect at = cursorRect(cursor);
        cursor.setPosition(position + 1);
        const QRect next = cursorRect(cursor);
        // The last character of a line ends where its cell would.
        const int right = next.top() == at.top() && next.left() > at.left()
                              ? next.left()
                              : at.left() + fontMetrics().averageCharWidth();
        const QRect cell(QPoint(at.left(), at.top()), QPoint(right - 1, at.bottom()));
        if (!rects.empty() && rects.back().top() == cell.top())
            rects.back() = rects.back().united(cell);
        else
            rects.push_back(cell);
    }
    return rects;
}

bool CTolvaneView::setFocusedLink(int index) {
    const std::vector<ShownLink>& links = shownLinks();
    if (index < -1 || index >= int(links.size()))
        return false;
    CPopupWnd::ClosePopup();
    m_focusLink = index;
    if (index >= 0) {
        const ShownLink& link = links[size_t(index)];
        if (s_caretBrowsing) {
            QTextCursor cursor(document());
            cursor.setPosition(toWidgetPosition(link.first));
            setTextCursor(cursor);
        }
        // Brought into view with a line of room above and below.
        const std::vector<QRect> rects = linkRects(link);
        if (!rects.empty()) {
            const int margin = fontMetrics().height();
            const int top = rects.front().top() - margin;
            const int bottom = rects.back().bottom() + margin;
            QScrollBar* v = verticalScrollBar();
            if (top < 0)
                v->setValue(v->value() + top);
            else if (bottom > viewport()->height())
                v->setValue(v->value() + std::min(top, bottom - viewport()->height()));
        }
    }
    viewport()->update();
    // Assistive technologies follow the focus to the link, or back to the
    // article.
    QAccessibleInterface* article = QAccessible::queryAccessibleInterface(this);
    QAccessibleInterface* focused = article;
    if (article != nullptr && index >= 0 && index < article->childCount())
        focused = article->child(index);
    if (focused != nullptr && hasFocus()) {
        QAccessibleEvent focus(focused, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
    return true;
}

void CTolvaneView::setCaretBrowsing(bool on) {
    s_caretBrowsing = on;
    applyCaretMode();
    if (on && m_focusLink >= 0) {
        const std::vector<ShownLink>& links = shownLinks();
        QTextCursor cursor(document());
        cursor.setPosition(toWidgetPosition(links[size_t(m_focusLink)].first));
        setTextCursor(cursor);
    }
}

void CTolvaneView::applyCaretMode() {
    // Without the caret the text is selectable with the mouse only: a
    // read-only text without keyboard interaction has no caret.
    setTextInteractionFlags(s_caretBrowsing
                                ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                : Qt::TextSelectableByMouse);
    setCursorWidth(s_caretBrowsing ? 2 : 0);
    viewport()->update();
}

void CTolvaneView::followLink(const ShownLink& link) {
    // The popup of a note opens next to the link, as after a click on it.
    const QPoint local = posFromChar(link.first) + QPoint(1, fontMetrics().height() / 2);
    s_lastLinkClick = viewport()->mapToGlobal(local);
    ShowArticle(link.target, 0);
}

int CTolvaneView::firstVisiblePosition() const {
    return lineIndex(firstVisibleLine());
}

int CTolvaneView::FindInArticle(const std::u16string& text, bool matchCase, bool wholeWord) {
    return findNext(text, matchCase, wholeWord);
}

int CTolvaneView::FindFromStart(const std::u16string& text, bool matchCase, bool wholeWord) {
    setSelection(0, 0);
    return FindInArticle(text, matchCase, wholeWord);
}

bool CTolvaneView::event(QEvent* event) {
    // The window's shortcuts (copy, select all, print...) come before the
    // text: a read-only text would otherwise claim them.
    if (event->type() == QEvent::ShortcutOverride) {
        event->ignore();
        return true;
    }
    return RichTextEdit::event(event);
}

void CTolvaneView::updateLinkCursor(const QPoint& viewportPoint) {
    // Only a point on a character follows its link: not the blank beside
    // or below the text.
    const int position = charInCell(viewportPoint);
    const bool overLink = position >= 0 && LinkAt(position).has_value();
    viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::ArrowCursor);
    m_overLink = overLink;
}

void CTolvaneView::mouseMoveEvent(QMouseEvent* event) {
    RichTextEdit::mouseMoveEvent(event);
    updateLinkCursor(event->position().toPoint());
}

void CTolvaneView::mousePressEvent(QMouseEvent* event) {
    CPopupWnd::ClosePopup();
    if (event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        const int position = charInCell(point);
        if (const auto target = position >= 0 ? LinkAt(position) : std::nullopt) {
            s_lastLinkClick = viewport()->mapToGlobal(point);
            event->accept();
            ShowArticle(*target, 0);
            return;
        }
    }
    RichTextEdit::mousePressEvent(event);
}

// The page keys, Home, End, Left and Right move the view, not a caret.
void CTolvaneView::scrollForKey(int key) {
    using Slider = QAbstractSlider;
    struct KeyScroll {
        int key;
        Slider::SliderAction vertical;
        Slider::SliderAction horizontal;
    };
    static const KeyScroll kScrolls[] = {
        {Qt::Key_PageUp, Slider::SliderPageStepSub, Slider::SliderNoAction},
        {Qt::Key_PageDown, Slider::SliderPageStepAdd, Slider::SliderNoAction},
        {Qt::Key_End, Slider::SliderToMaximum, Slider::SliderToMinimum},
        {Qt::Key_Home, Slider::SliderToMinimum, Slider::SliderToMinimum},
        {Qt::Key_Left, Slider::SliderNoAction, Slider::SliderSingleStepSub},
        {Qt::Key_Right, Slider::SliderNoAction, Slider::SliderSingleStepAdd},
    };
    for (const KeyScroll& scroll : kScrolls) {
        if (scroll.key != key)
            continue;
        if (scroll.vertical != Slider::SliderNoAction)
            verticalScrollBar()->triggerAction(scroll.vertical);
        if (scroll.horizontal != Slider::SliderNoAction)
            horizontalScrollBar()->triggerAction(scroll.horizontal);
    }
}

void CTolvaneView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    // The menu key has the platform's own context-menu event.
    if (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier) {
        event->accept();
        openContextMenuFromKeyboard();
        return;
    }
    if (s_caretBrowsing) {
        // The caret's own keys; Shift selects as it goes.
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            RichTextEdit::keyPressEvent(event);
            event->accept();
            return;
        default:
            break;
        }
    }
    switch (event->key()) {
    case Qt::Key_F7:
        setCaretBrowsing(!s_caretBrowsing);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const std::vector<ShownLink>& links = shownLinks();
        if (m_focusLink >= 0 && size_t(m_focusLink) < links.size()) {
            followLink(links[size_t(m_focusLink)]);
        } else if (s_caretBrowsing) {
            // The link the caret stands in.
            const int at = toNumberingPosition(textCursor().position());
            for (const ShownLink& link : links) {
                if (link.first <= at && at <= link.last) {
                    followLink(link);
                    break;
                }
            }
        }
        break;
    }
    case Qt::Key_Escape:
        if (CPopupWnd::isOpen())
            CPopupWnd::ClosePopup();
        else
            window()->showMinimized();
        break;
    case Qt::Key_Up:
        lineScroll(-1);
        break;
    case Qt::Key_Down:
        lineScroll(1);
        break;
    default:
        scrollForKey(event->key());
        break;
    }
    event->accept();
}

void CTolvaneView::inputMethodEvent(QInputMethodEvent* event) {
    event->accept();
}

void CTolvaneView::focusInEvent(QFocusEvent* event) {
    RichTextEdit::focusInEvent(event);
    setCursorWidth(s_caretBrowsing ? 2 : 0);
    // Tab comes in to the article itself, Shift+Tab to its last link.
    if (event->reason() == Qt::TabFocusReason) {
        m_focusLink = -1;
    } else if (event->reason() == Qt::BacktabFocusReason) {
        const int count = int(shownLinks().size());
        m_focusLink = -1;
        if (count > 0)
            QMetaObject::invokeMethod(
                this, [this, count] { setFocusedLink(count - 1); }, Qt::QueuedConnection);
    }
    viewport()->update();
}

void CTolvaneView::focusOutEvent(QFocusEvent* event) {
    RichTextEdit::focusOutEvent(event);
    viewport()->update();
}

bool CTolvaneView::focusNextPrevChild(bool next) {
    if (hasFocus()) {
        // The article, then its links in text order, then out.
        const int count = int(shownLinks().size());
        const int target = next ? m_focusLink + 1 : m_focusLink - 1;
        if (m_focusLink >= 0 || next) {
            if (target < count) {
                setFocusedLink(target);
                return true;
            }
        }
        m_focusLink = -1;
        viewport()->update();
    }
    return RichTextEdit::focusNextPrevChild(next);
}

void CTolvaneView::paintEvent(QPaintEvent* event) {
    RichTextEdit::paintEvent(event);
    if (m_focusLink < 0 || !hasFocus())
        return;
    const std::vector<ShownLink>& links = shownLinks();
    if (size_t(m_focusLink) >= links.size())
        return;
    // The page's own text colour reads on the page in either palette.
    QPainter painter(viewport());
    QPen pen(palette().color(QPalette::Text));
    pen.setWidth(1);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const QRect& rect : linkRects(links[size_t(m_focusLink)]))
        painter.drawRect(rect.adjusted(-2, 0, 1, 0));
}

void CTolvaneView::openContextMenuFromKeyboard() {
    // At the current link, else at the caret, else at the article's
    // top-left corner.
    QPoint at(4, 4);
    const std::vector<ShownLink>& links = shownLinks();
    if (m_focusLink >= 0 && size_t(m_focusLink) < links.size()) {
        const std::vector<QRect> rects = linkRects(links[size_t(m_focusLink)]);
        if (!rects.empty())
            at = rects.front().bottomLeft();
    } else if (s_caretBrowsing) {
        at = cursorRect().bottomLeft();
    }
    if (!viewport()->rect().contains(at))
        at = QPoint(4, 4);
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
    contextMenuEvent(&menu);
}

void CTolvaneView::contextMenuEvent(QContextMenuEvent* event) {
    m_frame.updateCommandStates();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("CLIC_DROIT_SUR_VUE"));
    const auto add = [&](int id, const QString& text) {
        QAction* frameAction = m_frame.action(id);
        QAction* item = menu.addAction(text);
        if (frameAction != nullptr) {
            item->setShortcut(frameAction->shortcut());
            item->setEnabled(frameAction->isEnabled());
            // The window commands show their check mark here too.
            item->setCheckable(frameAction->isCheckable());
            item->setChecked(frameAction->isChecked());
            item->setStatusTip(frameAction->statusTip());
            connect(item, &QAction::triggered, frameAction, &QAction::trigger);
        }
    };
    add(cmd::kCopy, QStringLiteral("&Copier"));
    add(cmd::kSelectAll, QStringLiteral("&Tout sélectionner"));
    menu.addSeparator();
    add(cmd::kFind, QStringLiteral("&Rechercher..."));
    menu.addSeparator();
    add(cmd::kHistory, QStringLiteral("&Historique"));
    add(cmd::kBookmarks, QStringLiteral("Liste des &signets"));
    menu.addSeparator();
    add(cmd::kAnnotation, QStringLiteral("&Annoter..."));
    // The menu opens below the pointer, centred on it across; near a screen
    // edge Qt moves it back onto the screen.
    const QPoint at = event->globalPos();
    menu.exec(QPoint(at.x() - menu.sizeHint().width() / 2, at.y()));
}

} // namespace tolvane
