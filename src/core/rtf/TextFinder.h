// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::rtf {

// Find in the displayed text of an article, with the rules shared by the
// search over all articles and the find in the article on screen:
//   - without matchCase, letters compare through the Windows-1252 case pairs
//     (a/A, é/É, œ/Œ, ÿ/Ÿ ...); accents are kept, so "ecole" does not find
//     "école";
//   - with wholeWord, a match counts only when neither the character before
//     it nor the one after it is a word character (letters including
//     accented ones, digits, the underscore): "mot" is not found in "motif".
struct FindOptions {
    bool matchCase = false;
    bool wholeWord = false;
};

class TextFinder {
public:
    TextFinder(std::u16string_view needle, FindOptions options);

    // First match starting in [from, to) and ending at or before `to`
    // (to is clamped to the text's length); -1 when there is none or the
    // needle is empty.
    int64_t find(std::u16string_view text, size_t from = 0, size_t to = SIZE_MAX) const;
    // The start of every match, in text order, each one searched from the
    // end of the one before (so "aa" is found twice in "aaaa", not three
    // times): the occurrences a reader sees marked. Empty for an empty
    // needle.
    std::vector<size_t> findAll(std::u16string_view text) const;
    // The length of a match: that of the needle.
    size_t length() const { return m_needle.size(); }

private:
    std::u16string m_needle; // upper-cased unless matchCase
    FindOptions m_options;
};

} // namespace tolvane::rtf
