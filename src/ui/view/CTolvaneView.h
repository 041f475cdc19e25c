// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"
#include "ui/view/RichTextEdit.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace tolvane {

class AppServices;
class ArticleStore;
class ViewHooks;
class NavigationHistory;

// The article pane: a read-only rich-text view that shows one article at a
// time, follows its links and owns the show-article operation in which
// every navigation ends. Keys scroll the article and are never passed on
// to the text, with two additions for use without a mouse:
// - Tab and Shift+Tab go from link to link in text order (the current link
//   framed, Enter follows it as a click would), and leave the article past
//   the last or before the first;
// - F7 turns a caret on and off (off at start, kept for the run): with it
//   on, the arrows, Home/End and Ctrl+arrows move it, Shift selects.
class CTolvaneView : public RichTextEdit {
    Q_OBJECT

public:
    CTolvaneView(ViewHooks& frame, ArticleStore& store, NavigationHistory& history,
                 AppServices& services, QWidget* parent = nullptr);
    ~CTolvaneView() override;

    // Shows article number with the line holding character topPosition at
    // the top. False when nothing was shown (number <= 0, not in the
    // index); true when shown, already current, or opened as a popup.
    bool ShowArticle(ArticleNumber number, int topPosition);

    ArticleNumber currentArticle() const { return m_currentArticle; }
    const std::string& currentTitle() const { return m_title; }
    const std::vector<LinkRecord>& links() const { return m_links; }

    // The target of the first link (in .PGL order) whose range holds position.
    std::optional<ArticleNumber> LinkAt(int position) const;

    // A link as a click can reach it: its range [first, last] within the
    // text, its target, its anchor text and what it leads to, in French.
    struct ShownLink {
        int first = 0;
        int last = 0;
        ArticleNumber target = 0;
        QString anchor;
        QString description;
    };
    // The article's links in text order, leaving out those that lie outside
    // the text or wholly under earlier links (a click never reaches them).
    // Worked out once per article.
    const std::vector<ShownLink>& shownLinks() const;
    // Follows a link as a click on its first character would.
    void followLink(const ShownLink& link);
    // Changes each time another article is shown.
    quint64 articleGeneration() const { return m_generation; }

    // The link Tab reached, as an index into shownLinks(); -1 for none.
    int focusedLink() const { return m_focusLink; }
    // Makes a link the current one (-1: none), brings it into view and
    // tells assistive technologies; false when index names no link.
    bool setFocusedLink(int index);
    // The rectangles, in viewport coordinates, that a link covers: one per
    // display line it lies on.
    std::vector<QRect> linkRects(const ShownLink& link) const;

    // The caret of F7, for every article view of the run.
    static bool caretBrowsing() { return s_caretBrowsing; }
    void setCaretBrowsing(bool on);

    // Finds onward from the selection; selects the match and returns its
    // first position, or -1.
    int FindInArticle(const std::u16string& text, bool matchCase, bool wholeWord);
    // The same from the start of the article.
    int FindFromStart(const std::u16string& text, bool matchCase, bool wholeWord);

    void selectAllText() { setSelection(0, -1); }
    // The character position of the first visible line's first character.
    int firstVisiblePosition() const;

    // Screen point of the last press on a link: the anchor of the next popup.
    static QPoint lastLinkClick() { return s_lastLinkClick; }
    static void setLastLinkClick(QPoint point) { s_lastLinkClick = point; }

signals:
    // The view has moved to another article (not for popups).
    void articleChanged(ArticleNumber number);

protected:
    bool event(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updateLinkCursor(const QPoint& viewportPoint);
    void applyCaretMode();
    void openContextMenuFromKeyboard();
    void scrollForKey(int key);

    ViewHooks& m_frame;
    ArticleStore& m_store;
    NavigationHistory& m_history;
    AppServices& m_services;

    ArticleNumber m_currentArticle = 0;
    std::string m_title;
    std::vector<LinkRecord> m_links;
    bool m_overLink = false;
    quint64 m_generation = 0;
    int m_focusLink = -1;
    // shownLinks() of the article of m_shownGeneration.
    mutable std::vector<ShownLink> m_shownLinks;
    mutable quint64 m_shownGeneration = ~quint64(0);

    static QPoint s_lastLinkClick;
    static bool s_caretBrowsing;
};

} // namespace tolvane
