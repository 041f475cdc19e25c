// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/KeywordIndex.h"

#include <QAbstractListModel>

namespace tolvane {

// The keywords of a keyword index as rows of a list view. Rows are made
// only when the view asks for them, so a hundred thousand keywords cost no
// more than the few on screen.
class KeywordListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setKeywords(KeywordIndex keywords);
    const KeywordIndex& keywords() const { return m_keywords; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    KeywordIndex m_keywords;
};

} // namespace tolvane
