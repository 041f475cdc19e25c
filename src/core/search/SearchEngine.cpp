// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/search/SearchEngine.h"

#include "core/articles/ArticleStore.h"
#include "core/common/Cp1252.h"
#include "core/rtf/TextFinder.h"
#include "core/search/ArticleMatcher.h"
#include "core/search/ParallelSearch.h"

#include <algorithm>
#include <set>
#include <thread>

namespace tolvane {

bool TitleMatches(std::string_view title, std::string_view text, bool matchCase) {
    if (matchCase)
        return title.find(text) != std::string_view::npos;
    return cp1252::toUpper(title).find(cp1252::toUpper(text)) != std::string::npos;
}

std::string QueryCaption(std::string_view text) {
    static const std::string allResults = cp1252::fromUtf8("Résultats de la recherche");
    static const std::string prefix = cp1252::fromUtf8("Recherche sur «");
    static const std::string suffix = cp1252::fromUtf8("»");
    if (text.empty())
        return allResults;
    return prefix + std::string(text) + suffix;
}

std::string CountedCaption(std::string_view caption, size_t count) {
    std::string counted(caption);
    counted += " (";
    counted += std::to_string(count);
    static const std::string many = cp1252::fromUtf8(" sujets trouvés)");
    static const std::string one = cp1252::fromUtf8(" sujet trouvé)");
    counted += count > 1 ? many : one;
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

std::vector<SearchMatch> SearchEngine::SearchArticles(const SearchRequest& request,
                                                      const AnnotationTexts& notes) const {
    std::vector<SearchMatch> matches;
    if (request.inNotes && !request.text.empty()) {
        const rtf::TextFinder finder(cp1252::toUtf16(request.text),
                                     rtf::FindOptions{request.matchCase, request.wholeWord});
        for (const auto& [article, text] : notes) {
            if (matches.size() == MAX_SEARCH_RESULTS)
                return matches;
            if (m_store.FindEntry(article) == nullptr || finder.find(cp1252::toUtf16(text)) < 0)
                continue;
            std::string title = m_store.ReadArticleTitle(article);
            if (!ArticleMatcher::skipped(title))
                matches.push_back({article, std::move(title), true});
        }
    }
    if (!request.inTitle && !request.inText)
        return matches;
    std::set<ArticleNumber> noted;
    for (const SearchMatch& match : matches)
        noted.insert(match.article);
    for (SearchMatch& match : SearchArticles(request)) {
        if (matches.size() == MAX_SEARCH_RESULTS)
            break;
        if (noted.count(match.article) == 0)
            matches.push_back(std::move(match));
    }
    return matches;
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
