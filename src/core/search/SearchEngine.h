// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class ArticleStore;

// The all-articles search stops as soon as this many articles have matched.
constexpr size_t MAX_SEARCH_RESULTS = 1000;

// What the find window asks for; text is Windows-1252.
struct SearchRequest {
    std::string text;
    bool matchCase = false;
    bool wholeWord = false; // applies to article texts only, never to titles
    bool inTitle = true;
    bool inText = true;
    // Also the articles whose annotation holds the text, with the case and
    // whole-word rules of the texts.
    bool inNotes = false;
};

// The user's annotations a search looks in: article -> text, Windows-1252
// (AnnotationStore::AnnotationTexts).
using AnnotationTexts = std::map<ArticleNumber, std::string>;

// One article found, with its title as stored.
struct SearchMatch {
    ArticleNumber article = 0;
    std::string title;
    // The article's annotation holds the text.
    bool inNote = false;

    bool operator==(const SearchMatch& o) const {
        return article == o.article && title == o.title && inNote == o.inNote;
    }
};

// The title test: a plain substring search, both sides upper-cased through
// the Windows-1252 case pairs unless matchCase (accents stay, so "ecole"
// does not find "ÉCOLE"). Whole words play no part in titles.
bool TitleMatches(std::string_view title, std::string_view text, bool matchCase);

// Captions of the results window, Windows-1252: "Recherche sur «text»" (or
// "Résultats de la recherche" for an empty text) ...
std::string QueryCaption(std::string_view text);
// ... followed, once rows exist, by the number of rows.
std::string CountedCaption(std::string_view caption, size_t count);
std::string ResultsCaption(std::string_view text, size_t count);
// What follows the title of a result found in its annotation, in the results
// window and in the tool's output (Windows-1252).
constexpr const char* kFoundInNoteSuffix = " (dans mon annotation)";

// The search over all articles of a data source. Articles are visited in the
// index's own enumeration order (that of ArticleStore::ForEachArticle);
// popup articles are never found; a body is read only when the title did
// not match and texts are searched. The pass stops at MAX_SEARCH_RESULTS
// matches.
class SearchEngine {
public:
    // threads == 0 uses every core of the machine; 1 runs the single-thread
    // pass. Any number gives the same results.
    explicit SearchEngine(const ArticleStore& store, unsigned threads = 0);

    // The matches in the order they were found (not sorted: the results
    // window sorts its rows itself).
    std::vector<SearchMatch> SearchArticles(const SearchRequest& request) const;
    // The same, and with request.inNotes the articles whose text in notes
    // holds the text: those come first, in the order of their numbers,
    // marked inNote (an article found both ways is listed once, marked), then
    // the others found, up to MAX_SEARCH_RESULTS in all. Annotations of
    // articles absent from the index or of popup articles are left out.
    std::vector<SearchMatch> SearchArticles(const SearchRequest& request,
                                            const AnnotationTexts& notes) const;

private:
    std::vector<SearchMatch> searchSequential(const SearchRequest& request) const;

    const ArticleStore& m_store;
    unsigned m_threads;
};

} // namespace tolvane
