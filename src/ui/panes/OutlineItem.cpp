// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/OutlineItem.h"

#include "ui/panes/OutlineImageList.h"

#include <utility>

namespace tolvane {

OutlineItem::OutlineItem(QString title, OutlineModel::NodeId node, int image,
                         const OutlineImageList& images)
    : QTreeWidgetItem(kType), m_title(std::move(title)), m_node(node), m_image(image),
      m_images(images) {}

void OutlineItem::setImage(int image) {
    if (image == m_image)
        return;
    m_image = image;
    emitDataChanged();
}

QVariant OutlineItem::data(int column, int role) const {
    if (column == 0) {
        switch (role) {
        case Qt::DisplayRole:
            return m_title;
        case Qt::DecorationRole:
            return m_images.icon(m_image);
        case Qt::AccessibleDescriptionRole: {
            // Screen readers tell the depth in the outline.
            int level = 1;
            for (const QTreeWidgetItem* p = parent(); p != nullptr; p = p->parent())
                ++level;
            return QStringLiteral("Niveau %1").arg(level);
        }
        default:
            break;
        }
    }
    return QTreeWidgetItem::data(column, role);
}

} // namespace tolvane
