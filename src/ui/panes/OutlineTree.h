// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/outline/OutlineModel.h"
#include "ui/panes/OutlineImageList.h"

#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

namespace tolvane {

class OutlineItem;

// The tree control of the outline pane: the outline model shown with its
// images, and the ways the user opens an article from it.
//
//   double-click      shows the article of the node under the pointer, then
//                     the control expands or collapses it as usual
//   Enter, Space      show the article of the selected node
//   Escape            asks for the main window to be minimised
//   typed characters  nothing: there is no incremental search
//
// Nodes nested deeper than kMaxShownDepth are shown at that depth, after
// their parent: the control lays out expanded rows recursively and would
// run out of stack on a pathologically deep outline.
//
// Selecting a node (click, arrow keys) shows nothing. A folder heading's
// image turns from its book to the open book (+5) while it is expanded, and
// an article heading with children from the page to the open booklet.
class OutlineTree : public QTreeWidget {
    Q_OBJECT

public:
    // Shows an article; the result of the view's ShowArticle.
    using ShowArticleFn = std::function<bool(ArticleNumber)>;
    static constexpr int kMaxShownDepth = 1000;

    explicit OutlineTree(QWidget* parent = nullptr);
    ~OutlineTree() override;

    // Replaces the tree with the outline of the .FIC file (native path);
    // false when it cannot be opened, leaving the tree empty.
    bool LoadOutline(const std::string& ficPathNative);
    // Replaces the tree with the nodes of model.
    void setOutline(OutlineModel model);

    void setShowArticle(ShowArticleFn showArticle) { m_showArticle = std::move(showArticle); }

    // Shows the article of node; false for no node, a folder heading or an
    // article that could not be shown.
    bool ShowNodeArticle(QTreeWidgetItem* node);
    // Expands the ancestors of the first node (in tree order) of article,
    // scrolls to it and selects it, without showing the article. Nothing
    // changes when no node carries the article.
    void SyncArticle(ArticleNumber article);

    const OutlineModel& model() const { return m_model; }
    const OutlineImageList& images() const { return m_images; }
    // The article of node; 0 for a folder heading or no node.
    ArticleNumber articleOfNode(const QTreeWidgetItem* node) const;
    // The item of a model node, null when there is none.
    QTreeWidgetItem* itemOfNode(OutlineModel::NodeId node) const;
    // The image index an item shows now; -1 for an item of another kind.
    static int imageOf(const QTreeWidgetItem* item);

    // Typed characters never move the selection.
    void keyboardSearch(const QString& search) override;

signals:
    void minimizeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void onExpansionChanged(QTreeWidgetItem* item, bool expanded);
    void deleteAllItems();

    OutlineImageList m_images;
    OutlineModel m_model;
    std::vector<OutlineItem*> m_items; // by node
    ShowArticleFn m_showArticle;
};

} // namespace tolvane
