// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"
#include "core/articles/DataSourcePaths.h"

#include <functional>
#include <string>
#include <vector>

namespace tolvane {

class InputFile;

// Called while the index loads so that the window stays responsive.
using PumpCallback = std::function<void()>;

// Reads the article files of one data source:
//
//   .PGH  16-byte IndexEntry records from offset 0 to the end of the file;
//         entry k at 16 * k; a later entry with the same number wins; a
//         final fragment shorter than 16 bytes is ignored.
//   .PGD  ArticleRecord at an entry's offset: title length T (u32), T title
//         bytes, body length B (u32), B body bytes (a complete RTF document).
//   .PGL  an entry's linkCount LinkRecords in a row from its offset:
//         first, last, target (i32 each), reserved (u32).
//
// Nothing is validated. A text cut short by the end of its file keeps its
// declared length, the missing tail reading as 'x' (0x78); a declared length
// beyond the end of the file is capped at the file's size plus
// kLengthSlack, so a corrupt length never allocates more than that. A length
// field that cannot be read whole counts as 0. A file that cannot be opened
// reads as empty: empty title and body, no links. No file stays open between
// calls and no text is cached.
//
// The index itself is owned by the caller (the main frame) and only
// referenced here.
class ArticleStore {
public:
    static constexpr uint64_t kLengthSlack = 4096;

    ArticleStore(DataSourcePaths paths, ArticleIndex& index);

    const DataSourcePaths& paths() const { return m_paths; }
    ArticleIndex& index() const { return m_index; }

    // Fills the index from .PGH; pump is called once after the first block
    // of entries, then about every 10 ms of loading, never once per entry.
    // Returns the number of entries read (duplicates included).
    size_t LoadIndex(const PumpCallback& pump = {});

    const IndexEntry* FindEntry(ArticleNumber number) const;

    // The caller has checked that the number is in the index; an absent
    // number gives an empty record and false.
    bool ReadArticle(ArticleNumber number, ArticleRecord& record) const;
    // The empty title for a number absent from the index.
    std::string ReadArticleTitle(ArticleNumber number) const;
    // Replaces links with the article's link table (empty for an absent number).
    void ReadLinks(ArticleNumber number, std::vector<LinkRecord>& links) const;

    // Handed to a visitor: the body of the article being visited, read from
    // the open .PGD file on first request.
    class BodyReader {
    public:
        const std::string& body();

    private:
        friend class ArticleStore;
        BodyReader(const InputFile& file, uint64_t offset) : m_file(file), m_offset(offset) {}
        const InputFile& m_file;
        uint64_t m_offset;
        bool m_read = false;
        std::string m_body;
    };
    // Returns false to stop the visit.
    using Visitor =
        std::function<bool(ArticleNumber number, const std::string& title, BodyReader& body)>;
    // Visits each index entry once, in the index's own iteration order, with
    // .PGD open once for the whole visit.
    void ForEachArticle(const Visitor& visitor) const;

    // Reading primitives on an open .PGD file, shared with callers that
    // keep the file open for many articles.
    static std::string ReadTitleAt(const InputFile& pgd, uint64_t offset, uint64_t* next = nullptr);
    static std::string ReadTextAt(const InputFile& pgd, uint64_t offset, uint64_t* next = nullptr);

private:
    DataSourcePaths m_paths;
    ArticleIndex& m_index;
};

} // namespace tolvane
