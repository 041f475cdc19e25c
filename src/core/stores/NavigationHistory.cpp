// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stores/NavigationHistory.h"

namespace tolvane {

bool NavigationHistory::RecordVisit(ArticleNumber article) {
    m_entries.push_front(HistoryEntry{article, 0});
    if (m_observer != nullptr)
        m_observer->InsertTopRow(article);
    return true;
}

bool NavigationHistory::UpdateTopPosition(ArticleNumber article, int32_t position) {
    if (m_entries.empty() || m_entries.front().article != article)
        return false;
    m_entries.front().topPosition = position;
    return true;
}

void NavigationHistory::removeHead() {
    m_entries.pop_front();
    if (m_observer != nullptr)
        m_observer->DeleteTopRow();
}

std::optional<HistoryEntry> NavigationHistory::GoBack() {
    if (!CanGoBack())
        return std::nullopt;
    removeHead();
    const HistoryEntry previous = m_entries.front();
    removeHead();
    return previous;
}

} // namespace tolvane
