// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/search/ParallelSearch.h"

#include "core/articles/ArticleStore.h"
#include "core/common/InputFile.h"
#include "core/search/ArticleMatcher.h"

#include <system_error>
#include <thread>

namespace tolvane {

ParallelSearch::ParallelSearch(const ArticleStore& store, const SearchRequest& request,
                               unsigned threads)
    : m_store(store), m_request(request), m_threads(threads) {
    // The same walk over the index as ArticleStore::ForEachArticle, hence
    // the same order.
    m_articles.reserve(store.index().size());
    for (const auto& [number, entry] : store.index())
        m_articles.push_back({number, entry.pgdOffset});
    m_batches.resize((m_articles.size() + kBatchArticles - 1) / kBatchArticles);
}

std::vector<SearchMatch> ParallelSearch::run() {
    std::vector<std::thread> helpers;
    for (unsigned k = 1; k < m_threads; ++k) {
        try {
            helpers.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            break; // the threads already running (this one at least) do all the work
        }
    }
    work();
    for (std::thread& t : helpers)
        t.join();

    std::vector<SearchMatch> matches;
    for (Batch& batch : m_batches) {
        if (!batch.done)
            break; // only batches past the cut are left unfinished
        for (SearchMatch& m : batch.matches) {
            if (matches.size() == MAX_SEARCH_RESULTS)
                return matches;
            matches.push_back(std::move(m));
        }
    }
    return matches;
}

void ParallelSearch::work() {
    InputFile pgd;
    pgd.open(m_store.paths().pgd); // unreadable: every title empty, so nothing is found
    ArticleMatcher matcher(m_request);
    for (;;) {
        const size_t batch = m_nextBatch.fetch_add(1);
        if (batch >= m_batches.size() || m_stop.load(std::memory_order_relaxed))
            return;
        std::vector<SearchMatch> found;
        const size_t end = std::min(m_articles.size(), (batch + 1) * kBatchArticles);
        for (size_t i = batch * kBatchArticles; i < end; ++i) {
            // Every batch still in work when the stop comes lies past the cut.
            if (m_stop.load(std::memory_order_relaxed))
                return;
            uint64_t next = 0;
            std::string title = ArticleStore::ReadTitleAt(pgd, m_articles[i].pgdOffset, &next);
            if (ArticleMatcher::skipped(title))
                continue;
            bool matched = matcher.titleMatches(title);
            if (matcher.needsBody(matched))
                matched = matcher.textMatches(ArticleStore::ReadTextAt(pgd, next));
            if (matched)
                found.push_back({m_articles[i].number, std::move(title)});
        }
        finish(batch, std::move(found));
    }
}

void ParallelSearch::finish(size_t batch, std::vector<SearchMatch> matches) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_batches[batch].matches = std::move(matches);
    m_batches[batch].done = true;
    while (m_finishedPrefix < m_batches.size() && m_batches[m_finishedPrefix].done) {
        m_prefixMatches += m_batches[m_finishedPrefix].matches.size();
        ++m_finishedPrefix;
    }
    if (m_prefixMatches >= MAX_SEARCH_RESULTS)
        m_stop.store(true, std::memory_order_relaxed);
}

} // namespace tolvane
