// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace tolvane {

// An article the view has shown, with the position of the first character
// of its topmost visible line when the user left it (0 until then).
struct HistoryEntry {
    ArticleNumber article = 0;
    int32_t topPosition = 0;

    bool operator==(const HistoryEntry& o) const {
        return article == o.article && topPosition == o.topPosition;
    }
};

// The rows of the history window follow the entries one for one; the window
// implements this to be told when a row appears or goes at the top.
class HistoryObserver {
public:
    virtual ~HistoryObserver() = default;
    virtual void InsertTopRow(ArticleNumber article) = 0;
    virtual void DeleteTopRow() = 0;
};

// The articles shown during this run, newest first (entry 0 is the article
// on screen once any has been shown). Nothing of it is saved. The view's
// show-article operation is its only writer of new entries.
class NavigationHistory {
public:
    // Adds the article at the head with top position 0.
    bool RecordVisit(ArticleNumber article);
    // Keeps the position for the head entry when it holds this article.
    bool UpdateTopPosition(ArticleNumber article, int32_t position);
    // More than one entry.
    bool CanGoBack() const { return m_entries.size() > 1; }
    // Removes the head entry and the one below it and returns the latter:
    // the article to show again, at its top position (which records it
    // anew). Nothing when there is no earlier entry.
    // The article left goes on the forward list; its position is the one
    // the show-article operation offers for it next (UpdateTopPosition).
    std::optional<HistoryEntry> GoBack();
    // Right after one or more Back steps: the article a Back step left.
    bool CanGoForward() const { return !m_forward.empty(); }
    // Takes the newest article of the forward list, to be shown at its top
    // position (which records it as a visit, keeping the rest of the list).
    // Nothing when the list is empty.
    std::optional<HistoryEntry> GoForward();
    // Ends a Back or Forward step once its article is shown (or could not
    // be): a later visit is a navigation of its own again.
    void EndStep();
    // What the Home command shows: article 1 at its top.
    static HistoryEntry GoHome() { return HistoryEntry{1, 0}; }

    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    // Entry i counted from the head; i < size().
    const HistoryEntry& entry(size_t i) const { return m_entries[i]; }
    void Clear();

    // The history window, when it exists; not owned.
    void setObserver(HistoryObserver* observer) { m_observer = observer; }

private:
    void removeHead();

    std::deque<HistoryEntry> m_entries;
    // The articles Back steps left, the newest last. Any visit other than
    // the one a step asked for empties it, as in a web browser.
    std::vector<HistoryEntry> m_forward;
    // The article a Back or Forward step is showing; 0 outside a step.
    ArticleNumber m_stepTarget = 0;
    // The newest forward entry still waits for the position it was left at.
    bool m_forwardAwaitsPosition = false;
    HistoryObserver* m_observer = nullptr;
};

} // namespace tolvane
