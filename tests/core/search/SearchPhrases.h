// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"
#include "core/common/Cp1252.h"
#include "core/rtf/RichDocument.h"

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tolvane::test {

// Where in the article a phrase was taken from.
enum class PhraseSource { Anywhere, Formatted, Link, Cell };
constexpr const char* kPhraseSourceNames[] = {"anywhere", "formatted", "link", "cell"};

// A phrase of an article's displayed text, as the find window would be given
// it: Windows-1252, starting and ending on whole words.
struct Phrase {
    std::string text;
    PhraseSource source = PhraseSource::Anywhere;
};

inline bool IsLineBreak(char16_t c) {
    return c < 0x20 || c == 0xFFFC;
}

// Up to `words` words of one line of text, from the word that holds `at`
// (or the next word of its line); empty when the line has no word there.
inline std::u16string PhraseAt(const std::u16string& text, size_t at, size_t words) {
    const auto word = cp1252::isWordChar16;
    while (at < text.size() && !word(text[at])) {
        if (IsLineBreak(text[at]))
            return {};
        ++at;
    }
    if (at >= text.size())
        return {};
    size_t begin = at;
    while (begin > 0 && word(text[begin - 1]))
        --begin;
    size_t end = begin;
    for (size_t n = 1;; ++n) {
        while (end < text.size() && word(text[end]))
            ++end;
        size_t next = end;
        while (next < text.size() && !word(text[next]) && !IsLineBreak(text[next]))
            ++next;
        if (n == words || next >= text.size() || !word(text[next]))
            return text.substr(begin, end - begin);
        end = next;
    }
}

// The start of the word before `at` on the same line, or `at` itself.
inline size_t WordBefore(const std::u16string& text, size_t at) {
    const auto word = cp1252::isWordChar16;
    size_t p = at;
    while (p > 0 && !word(text[p - 1])) {
        if (IsLineBreak(text[p - 1]))
            return at;
        --p;
    }
    while (p > 0 && word(text[p - 1]))
        --p;
    return p;
}

// Phrases of one article chosen by `random`: a few from anywhere in the text,
// and some that start one word before a change of character format (so that
// they run into or out of a formatting group), that begin link texts, and
// that lie in table cells. Phrases with characters the code page lacks are
// left out, as the find window could not be given them.
inline std::vector<Phrase> PhrasesOf(const rtf::RichDocument& doc,
                                     const std::vector<LinkRecord>& links, std::mt19937& random,
                                     size_t anywhere = 3) {
    const std::u16string& text = doc.text;
    std::vector<Phrase> phrases;
    auto add = [&](size_t at, size_t words, PhraseSource source) {
        const std::u16string phrase = PhraseAt(text, at, words);
        bool lossless = true;
        std::string bytes = cp1252::fromUtf16(phrase, &lossless);
        if (!phrase.empty() && lossless)
            phrases.push_back({std::move(bytes), source});
    };
    if (text.empty())
        return phrases;
    for (size_t k = 0; k < anywhere; ++k)
        add(random() % text.size(), 3, PhraseSource::Anywhere);

    std::vector<uint32_t> formatChanges;
    std::vector<uint32_t> cells;
    for (const rtf::Paragraph& p : doc.paragraphs) {
        for (size_t s = 1; s < p.segments.size(); ++s) {
            if (p.segments[s].picture < 0 && p.segments[s].format != p.segments[s - 1].format)
                formatChanges.push_back(p.segments[s].begin);
        }
        if (p.cell >= 0 && p.end > p.begin)
            cells.push_back(p.begin + static_cast<uint32_t>(random() % (p.end - p.begin)));
    }
    for (size_t k = 0; k < 2 && !formatChanges.empty(); ++k) {
        const uint32_t at = formatChanges[random() % formatChanges.size()];
        add(WordBefore(text, at), 3, PhraseSource::Formatted);
    }
    for (size_t k = 0; k < 2 && !links.empty(); ++k) {
        const LinkRecord& link = links[random() % links.size()];
        if (link.first >= 0 && static_cast<size_t>(link.first) < text.size())
            add(static_cast<size_t>(link.first), 2, PhraseSource::Link);
    }
    if (!cells.empty())
        add(cells[random() % cells.size()], 2, PhraseSource::Cell);
    return phrases;
}

} // namespace tolvane::test
