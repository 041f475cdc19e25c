// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvane {

// One keyword of the index with the articles it leads to, in the order the
// help author's topics gave them.
struct KeywordEntry {
    std::string keyword; // Windows-1252
    std::vector<ArticleNumber> articles;
};

// The keyword index of a data source, kept in the optional file BASE.PGK:
//
//   offset 0   4 bytes  "PGK1"
//          4   u32      keyword count N
//          8   N records, one after the other:
//                u32      keyword length L (at least 1)
//                L bytes  the keyword, Windows-1252
//                u32      article count C (at least 1)
//                C × i32  article numbers
//
// Integers are little-endian; nothing follows the last record. The records
// are written in French order (core/common/FrenchOrder), which the reader
// checks, sorting again a file written otherwise.
//
// The reader trusts nothing: N, L and C are checked against the bytes left
// before anything is allocated; a record that does not fit, a zero length
// or count, or bytes after the last record make the file damaged, and the
// records read whole before that point are kept. Nothing throws.
class KeywordIndex {
public:
    enum class ReadStatus {
        Ok,
        Absent,     // no file of that name
        Unreadable, // not a regular file, or it could not be read
        Damaged,    // wrong type, or records cut or inconsistent
    };

    static constexpr char kMagic[4] = {'P', 'G', 'K', '1'};
    // A file past this size is not read at all.
    static constexpr uint64_t kMaxFileSize = uint64_t{1} << 30;

    // Adds article under keyword. Keywords compare without regard to case
    // (the code page's case pairs, accents kept): the first spelling met is
    // kept. An article already listed under the keyword is not listed twice.
    void add(std::string_view keyword, ArticleNumber article);
    // Puts the entries in French order (equal keywords keep their order).
    // It ends the adding: a keyword added afterwards is not merged.
    void sort();
    bool empty() const { return m_entries.empty(); }
    size_t size() const { return m_entries.size(); }
    const std::vector<KeywordEntry>& entries() const { return m_entries; }
    const KeywordEntry& operator[](size_t i) const { return m_entries[i]; }

    // On sorted entries, where typed text leads: the first entry that starts
    // with it without regard to case (accents as typed), exact = true; else
    // the entry where it would stand in French order (the last one past the
    // end), exact = false. 0 for empty text; size() when there is no entry.
    struct Found {
        size_t row = 0;
        bool exact = false;
    };
    Found findPrefix(std::string_view typed) const;

    std::string encode() const;
    // Replaces out with what bytes hold.
    static ReadStatus decode(std::string_view bytes, KeywordIndex& out);
    static ReadStatus read(const std::string& path, KeywordIndex& out);

private:
    ReadStatus decodeRecords(std::string_view bytes);

    std::vector<KeywordEntry> m_entries;
    // Upper-cased keyword -> its entry, while keywords are being added.
    std::unordered_map<std::string, size_t> m_byKey;
};

} // namespace tolvane
