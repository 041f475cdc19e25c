#include "core/search/SearchEngine.h"

#include "core/articles/ArticleStore.h"
#include "core/common/Cp1252.h"
#include "core/search/ArticleMatcher.h"
#include "core/search/ParallelSearch.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace tolvane {

bool TitleMatches(std::string_view title, std::string_view text, bool matchCase) {
    if (matchCase)
        return title.find(text) != std::string_view::npos;
    return cp1252::toUpper(title).find(cp1252::toUpper(text)) != std::string::npos;
}

namespace {

// The first " {" (blank, opening brace) of s. Braces are much rarer than
// blanks in RTF, so the scan looks for the brace.
size_t findGroupStart(std::string_view s) {
    for (size_t from = 1; from < s.size();) {
        const void* hit = std::memchr(s.data() + from, '{', s.size() - from);
        if (!hit)
            break;
        const size_t brace = static_cast<size_t>(static_cast<const char*>(hit) - s.data());
        if (s[brace - 1] == ' ')
            return brace - 1;
        from = brace + 1;
    }
    return std::string_view::npos;
}

// The first "} " (closing brace, blank) of s.
size_t findGroupEnd(std::string_view s) {
    for (size_t from = 0; from + 1 < s.size();) {
        const void* hit = std::memchr(s.data() + from, '}', s.size() - 1 - from);
        if (!hit)
            break;
        const size_t brace = static_cast<size_t>(static_cast<const char*>(hit) - s.data());
        if (s[brace + 1] == ' ')
            return brace;
        from = brace + 1;
    }
    return std::string_view::npos;
}

} // namespace

void AppendStrippedBody(std::string_view body, std::string& out) {
    // Dropped after the start of a group: the blank, the brace and six more.
    constexpr size_t kGroupHead = 8;
    // Dropped at its end: the brace, the blank and one more character.
    constexpr size_t kGroupTail = 3;

    std::string_view rest = body;
    size_t p = findGroupStart(rest);
    while (p != std::string_view::npos && p > 0) {
        out.append(rest.data(), p);
        // A body cut short inside a group has nothing left to drop.
        rest.remove_prefix(std::min(rest.size(), p + kGroupHead));
        const size_t e = findGroupEnd(rest);
        rest.remove_prefix(e == std::string_view::npos ? rest.size()
                                                       : std::min(rest.size(), e + kGroupTail));
        p = findGroupStart(rest);
    }
    out.append(rest.data(), rest.size());
}

void StripBraceGroups(std::string& body) {
    const size_t p = findGroupStart(body);
    if (p == std::string_view::npos || p == 0)
        return;
    std::string cleaned;
    cleaned.reserve(body.size());
    AppendStrippedBody(body, cleaned);
    body.swap(cleaned);
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
