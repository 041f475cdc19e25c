// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stores/NavigationHistory.h"

namespace tolvane {

bool NavigationHistory::RecordVisit(ArticleNumber article) {
    if (article != m_stepTarget)
        m_forward.clear();
    EndStep();
    m_entries.push_front(HistoryEntry{article, 0});
    if (m_observer != nullptr)
        m_observer->InsertTopRow(article);
    return true;
}

bool NavigationHistory::UpdateTopPosition(ArticleNumber article, int32_t position) {
    if (m_forwardAwaitsPosition && m_forward.back().article == article) {
        m_forward.back().topPosition = position;
        m_forwardAwaitsPosition = false;
    }
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
    m_forward.push_back(HistoryEntry{m_entries.front().article, 0});
    m_forwardAwaitsPosition = true;
    removeHead();
    const HistoryEntry previous = m_entries.front();
    removeHead();
    m_stepTarget = previous.article;
    return previous;
}

std::optional<HistoryEntry> NavigationHistory::GoForward() {
    if (m_forward.empty())
        return std::nullopt;
    const HistoryEntry next = m_forward.back();
    m_forward.pop_back();
    m_forwardAwaitsPosition = false;
    m_stepTarget = next.article;
    return next;
}

void NavigationHistory::EndStep() {
    m_stepTarget = 0;
    m_forwardAwaitsPosition = false;
}

void NavigationHistory::Clear() {
    m_entries.clear();
    m_forward.clear();
    EndStep();
}

} // namespace tolvane
