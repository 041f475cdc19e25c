// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/base/CDlgBar.h"
#include "ui/panes/OutlineTree.h"

#include <string>

class QMainWindow;

namespace tolvane {

class AppServices;
class CSash;

// The outline pane, docked on the left of the main window: the outline tree
// (object name "tree1003") and a vertical sash (id 104) whose value is the
// pane's width as a fraction of the main window's width.
//
// The main frame constructs it, calls Create() once, then LoadOutline() at
// its initial load, hands it the view's ShowArticle with setShowArticle(),
// calls updateSize() whenever it lays itself out, and SyncArticle() to bring
// the node of the article on screen into view.
class COutlineBar : public CDlgBar {
    Q_OBJECT

public:
    static constexpr int kSashId = 104;
    static constexpr float kInitialSashValue = 0.25f;
    static constexpr int kMinWidth = 10;
    // The dialog template's 124 × 103 dialog units in pixels.
    static constexpr int kTemplateWidth = 186;
    static constexpr int kTemplateHeight = 167;
    // The tree's offset inside the pane (2 dialog units).
    static constexpr int kTreeMargin = 3;

    using ShowArticleFn = OutlineTree::ShowArticleFn;

    COutlineBar(QMainWindow* mainFrame, AppServices& services);

    // Docks the pane on the left of the main window and creates its sash;
    // false when there is no main window. A sash that cannot be created is
    // reported ("Error creating staticbar") and the pane works without it.
    bool Create();

    // Fills the tree from the .FIC file (native path); false when it cannot
    // be opened.
    bool LoadOutline(const std::string& ficPathNative) {
        return m_tree->LoadOutline(ficPathNative);
    }
    void setShowArticle(ShowArticleFn showArticle) {
        m_tree->setShowArticle(std::move(showArticle));
    }
    // The result of ShowArticle for the node's article; false for no node
    // or a folder heading.
    bool ShowNodeArticle(QTreeWidgetItem* node) { return m_tree->ShowNodeArticle(node); }
    // Selects the first node of article in tree order, expanding its
    // ancestors, without showing the article; nothing when it has no node.
    void SyncArticle(ArticleNumber article) { m_tree->SyncArticle(article); }

    // The width update: the sash's value times the main window's width,
    // from 10 pixels up to that width, and the view's height.
    void updateSize() override;
    // The width rule alone: value × clientWidth truncated; 10 when that is
    // at most 10; clientWidth when it is at least clientWidth.
    static int paneWidth(float sashValue, int clientWidth);

    OutlineTree* tree() const { return m_tree; }
    CSash* sash() const { return m_sash; }

protected:
    // The sash to create; tests substitute one that fails.
    virtual CSash* newSash();

    void resizeEvent(QResizeEvent* event) override;
    // Clicks on the pane's own background do nothing at all.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QMainWindow* m_mainFrame;
    AppServices& m_services;
    QWidget* m_content;
    OutlineTree* m_tree;
    CSash* m_sash = nullptr;
};

} // namespace tolvane
