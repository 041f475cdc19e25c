// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/outline/OutlineModel.h"

#include <QString>
#include <QTreeWidgetItem>

namespace tolvane {

class OutlineImageList;

// One node of the outline in the tree control. It keeps its title, its node
// in the model and its image index as plain members and answers the view's
// data queries from them, so that a large outline costs one small object a
// node and no per-role storage.
class OutlineItem : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;

    OutlineItem(QString title, OutlineModel::NodeId node, int image,
                const OutlineImageList& images);

    OutlineModel::NodeId node() const { return m_node; }
    const QString& title() const { return m_title; }
    int image() const { return m_image; }
    // Changes the image (normal and selected alike) and repaints the row.
    void setImage(int image);

    QVariant data(int column, int role) const override;

private:
    QString m_title;
    OutlineModel::NodeId m_node;
    int m_image;
    const OutlineImageList& m_images;
};

} // namespace tolvane
