// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/OutlineTree.h"

#include "core/common/Cp1252.h"
#include "ui/panes/OutlineItem.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tolvane {
namespace {

QString fromCp1252Title(std::string_view title) {
    QString text(static_cast<qsizetype>(title.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : title)
        *out++ = QChar(cp1252::toUnicode(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

OutlineTree::OutlineTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    // Hidden, but assistive technologies read the column by its title.
    setHeaderLabel(QStringLiteral("Sommaire"));
    setHeaderHidden(true);
    // Long titles widen the column and bring a horizontal scroll bar rather
    // than being cut short.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setUniformRowHeights(true);
    setIconSize(QSize(OutlineImageList::kSize, OutlineImageList::kSize));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setRootIsDecorated(true);
    setExpandsOnDoubleClick(true);
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { onExpansionChanged(item, true); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { onExpansionChanged(item, false); });
}

OutlineTree::~OutlineTree() {
    deleteAllItems();
}

void OutlineTree::deleteAllItems() {
    // An item deletes its children recursively, which a deep outline would
    // turn into a stack overflow. Taken in reverse creation order, each item
    // is a leaf and the last child of its parent, so it comes off in
    // constant time with nothing below it.
    QList<QTreeWidgetItem*> foreign = invisibleRootItem()->takeChildren();
    // Items added through the QTreeWidget interface go the ordinary way.
    foreign.removeIf(
        [](const QTreeWidgetItem* item) { return item->type() == OutlineItem::kType; });
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        OutlineItem* item = *it;
        if (QTreeWidgetItem* parent = item->parent()) {
            const int last = parent->childCount() - 1;
            parent->takeChild(parent->child(last) == item ? last : parent->indexOfChild(item));
        }
        delete item;
    }
    m_items.clear();
    qDeleteAll(foreign);
}

bool OutlineTree::LoadOutline(const std::string& ficPathNative) {
    OutlineModel model;
    const bool opened = model.LoadOutline(ficPathNative);
    setOutline(std::move(model));
    return opened;
}

void OutlineTree::setOutline(OutlineModel model) {
    deleteAllItems();
    m_model = std::move(model);
    m_items.assign(m_model.size(), nullptr);
    std::vector<int> shownDepth(m_model.size());
    // The items are linked to their parents before any of them enters the
    // control, which then takes the whole tree in one insertion.
    QList<QTreeWidgetItem*> topLevel;
    for (size_t k = 0; k < m_model.size(); ++k) {
        const auto node = static_cast<OutlineModel::NodeId>(k);
        auto* item = new OutlineItem(fromCp1252Title(m_model.title(node)), node,
                                     m_model.image(node), m_images);
        m_items[k] = item;
        // A parent is always created before its children.
        const OutlineModel::NodeId parent = m_model.parent(node);
        if (parent == OutlineModel::kNoNode) {
            topLevel.append(item);
            continue;
        }
        QTreeWidgetItem* shownParent = m_items[static_cast<size_t>(parent)];
        int depth = shownDepth[static_cast<size_t>(parent)] + 1;
        if (depth > kMaxShownDepth) {
            shownParent = shownParent->parent();
            depth = kMaxShownDepth;
        }
        shownDepth[k] = depth;
        shownParent->addChild(item);
    }
    addTopLevelItems(topLevel);
}

ArticleNumber OutlineTree::articleOfNode(const QTreeWidgetItem* node) const {
    if (node == nullptr || node->type() != OutlineItem::kType)
        return 0;
    return m_model.ArticleOfNode(static_cast<const OutlineItem*>(node)->node());
}

QTreeWidgetItem* OutlineTree::itemOfNode(OutlineModel::NodeId node) const {
    if (node < 0 || static_cast<size_t>(node) >= m_items.size())
        return nullptr;
    return m_items[static_cast<size_t>(node)];
}

int OutlineTree::imageOf(const QTreeWidgetItem* item) {
    if (item == nullptr || item->type() != OutlineItem::kType)
        return -1;
    return static_cast<const OutlineItem*>(item)->image();
}

bool OutlineTree::ShowNodeArticle(QTreeWidgetItem* node) {
    const ArticleNumber article = articleOfNode(node);
    if (article == 0 || !m_showArticle)
        return false;
    return m_showArticle(article);
}

void OutlineTree::SyncArticle(ArticleNumber article) {
    QTreeWidgetItem* item = itemOfNode(m_model.FirstNodeOfArticle(article));
    if (item == nullptr)
        return;
    // Innermost first: an item inside a collapsed one is only marked
    // expanded, so the control lays the rows out once, not once a level.
    for (QTreeWidgetItem* p = item->parent(); p != nullptr; p = p->parent())
        p->setExpanded(true);
    scrollToItem(item);
    setCurrentItem(item);
}

void OutlineTree::onExpansionChanged(QTreeWidgetItem* item, bool expanded) {
    if (item->type() != OutlineItem::kType)
        return;
    auto* outlineItem = static_cast<OutlineItem*>(item);
    // The image at load plus 5 while expanded: books open, the page of an
    // article heading with children becomes the open booklet. The control
    // also reports leaves as expanded (expand all), which open nothing.
    const int closed = m_model.image(outlineItem->node());
    outlineItem->setImage(expanded && item->childCount() > 0 ? closed + 5 : closed);
}

void OutlineTree::keyboardSearch(const QString&) {}

void OutlineTree::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        emit minimizeRequested();
        return;
    case Qt::Key_Space:
        event->accept();
        ShowNodeArticle(currentItem());
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // As a double click: the article, and a book opens or closes.
        event->accept();
        if (QTreeWidgetItem* item = currentItem()) {
            ShowNodeArticle(item);
            if (item->childCount() > 0)
                item->setExpanded(!item->isExpanded());
        }
        return;
    default:
        QTreeWidget::keyPressEvent(event);
    }
}

void OutlineTree::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        ShowNodeArticle(itemAt(event->position().toPoint()));
    // The control's own handling still expands or collapses the node.
    QTreeWidget::mouseDoubleClickEvent(event);
}

} // namespace tolvane
