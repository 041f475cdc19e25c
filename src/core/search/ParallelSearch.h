// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/search/SearchEngine.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

namespace tolvane {

// The all-articles search shared out between threads with results identical
// to the single-thread pass. The index's enumeration order is cut into
// batches of consecutive articles; each thread takes the next batch not yet
// taken and tests its articles with its own .PGD handle and matcher. Batches
// are merged in order: once the batches that are finished without a gap from
// the first hold MAX_SEARCH_RESULTS matches, the articles after them can no
// longer count, so the threads stop, and the result is cut at the
// MAX_SEARCH_RESULTS-th match of that order.
class ParallelSearch {
public:
    static constexpr unsigned kMaxThreads = 8;
    static constexpr size_t kBatchArticles = 32;

    ParallelSearch(const ArticleStore& store, const SearchRequest& request, unsigned threads);

    std::vector<SearchMatch> run();

private:
    struct Article {
        ArticleNumber number;
        uint32_t pgdOffset;
    };
    struct Batch {
        bool done = false;
        std::vector<SearchMatch> matches;
    };

    void work();
    void finish(size_t batch, std::vector<SearchMatch> matches);

    const ArticleStore& m_store;
    const SearchRequest& m_request;
    unsigned m_threads;
    std::vector<Article> m_articles; // in the index's enumeration order
    std::vector<Batch> m_batches;
    std::atomic<size_t> m_nextBatch{0};
    std::atomic<bool> m_stop{false};

    std::mutex m_mutex;          // guards m_batches, m_finishedPrefix, m_prefixMatches
    size_t m_finishedPrefix = 0; // batches [0, m_finishedPrefix) are all done
    size_t m_prefixMatches = 0;  // matches in those batches
};

} // namespace tolvane
