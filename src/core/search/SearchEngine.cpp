// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/search/SearchEngine.h"

#include "core/articles/ArticleStore.h"
#include "core/common/Cp1252.h"
#include "core/search/ArticleMatcher.h"
#include "core/search/ParallelSearch.h"

#include <algorithm>
#include <thread>

namespace tolvane {

bool TitleMatches(std::string_view title, std::string_view text, bool matchCase) {
    if (matchCase)
        return title.find(text) != std::string_view::npos;
    return cp1252::toUpper(title).find(cp1252::toUpper(text)) != std::string::npos;
}

std::string QueryCaption(std::string_view text) {
    if (text.empty())
        return "R\xE9sultats de la recherche";
    std::string caption = "Recherche sur \xAB";
    caption += text;
    caption += '\xBB';
    return caption;
}

std::string CountedCaption(std::string_view caption, size_t count) {
    std::string counted(caption);
    counted += " (";
    counted += std::to_string(count);
    counted += count > 1 ? " sujets trouv\xE9s)" : " sujet trouv\xE9)";
    return counted;
}

std::string ResultsCaption(std::string_view text, size_t count) {
    return CountedCaption(QueryCaption(text), count);
}

SearchEngine::SearchEngine(const ArticleStore& store, unsigned threads)
    : m_store(store), m_threads(threads) {}

std::vector<SearchMatch> SearchEngine::SearchArticles(const SearchRequest& request) const {
    unsigned threads = m_threads;
    if (threads == 0)
        threads = std::max(
            1u, std::min(std::thread::hardware_concurrency(), ParallelSearch::kMaxThreads));
    // Titles alone cost too little to be worth sharing out.
    if (threads > 1 && request.inText && m_store.index().size() > ParallelSearch::kBatchArticles)
        return ParallelSearch(m_store, request, threads).run();
    return searchSequential(request);
}

std::vector<SearchMatch> SearchEngine::searchSequential(const SearchRequest& request) const {
    std::vector<SearchMatch> matches;
    ArticleMatcher matcher(request);
    m_store.ForEachArticle(
        [&](ArticleNumber number, const std::string& title, ArticleStore::BodyReader& body) {
            if (ArticleMatcher::skipped(title))
                return true;
            bool matched = matcher.titleMatches(title);
            if (matcher.needsBody(matched))
                matched = matcher.textMatches(body.body());
            if (matched)
                matches.push_back({number, title});
            return matches.size() < MAX_SEARCH_RESULTS;
        });
    return matches;
}

} // namespace tolvane
