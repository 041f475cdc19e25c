// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/KeywordListModel.h"

#include "ui/base/QtText.h"

namespace tolvane {

void KeywordListModel::setKeywords(KeywordIndex keywords) {
    beginResetModel();
    m_keywords = std::move(keywords);
    endResetModel();
}

int KeywordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_keywords.size());
}

QVariant KeywordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || size_t(index.row()) >= m_keywords.size())
        return QVariant();
    const KeywordEntry& e = m_keywords[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return fromCp1252(e.keyword);
    case Qt::AccessibleDescriptionRole:
        return e.articles.size() > 1 ? QStringLiteral("%1 articles").arg(e.articles.size())
                                     : QStringLiteral("1 article");
    default:
        return QVariant();
    }
}

} // namespace tolvane
