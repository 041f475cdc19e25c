// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"
#include "core/articles/KeywordIndex.h"
#include "core/articles/OutlineRecord.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// Writes the four files of a data source (.PGH, .PGD, .PGL, .FIC) from
// articles and outline records given in memory. Used by the tests to build
// fixtures, by the generator and by the authoring tool.
class DataSourceWriter {
public:
    // Appends an article: its record to .PGD, its links to .PGL and its
    // entry to .PGH, in the order of the calls.
    void addArticle(ArticleNumber number, const std::string& title, const std::string& body,
                    const std::vector<LinkRecord>& links = {});
    // The same, keeping the body as it is instead of copying it (large
    // data sources: the bodies are written from where they lie).
    void addArticle(ArticleNumber number, const std::string& title, std::string&& body,
                    const std::vector<LinkRecord>& links = {});
    // Appends an index entry as given, for fixtures that need duplicate,
    // dangling or corrupt entries.
    void addRawIndexEntry(const IndexEntry& entry) { m_index.push_back(entry); }
    // Appends bytes to .PGD or .PGL as they stand (corrupt records).
    void appendRawPgd(const std::string& bytes) {
        m_pgdTail += bytes;
        m_pgdSize += bytes.size();
    }
    void appendRawPgl(const std::string& bytes) { m_pgl += bytes; }

    void addOutline(const OutlineRecord& record) { m_outline.push_back(record); }
    // The keyword index written to .PGK; without keywords no .PGK is
    // written and an earlier one is removed.
    void setKeywords(KeywordIndex keywords) { m_keywords = std::move(keywords); }
    const KeywordIndex& keywords() const { return m_keywords; }
    // Whether write() ends .FIC with an end record (on by default).
    void setOutlineEndRecord(bool on) { m_outlineEnd = on; }

    // Room for this many more .PGD and .PGL bytes, so that building a large
    // data source does not copy it again and again as it grows.
    void reserve(size_t pgdBytes, size_t pglBytes) {
        m_pgdTail.reserve(m_pgdTail.size() + pgdBytes);
        m_pgl.reserve(m_pgl.size() + pglBytes);
    }
    size_t pgdSize() const { return m_pgdSize; }
    size_t pglSize() const { return m_pgl.size(); }

    // Writes base + ".PGH", ".PGD", ".PGL", ".FIC" and, with keywords,
    // ".PGK" (base is a native path); each file replaces any earlier one
    // atomically.
    bool write(const std::string& base, std::string* error = nullptr) const;

    std::string pghBytes() const;
    std::string pgdBytes() const;
    const std::string& pglBytes() const { return m_pgl; }
    std::string ficBytes() const;

private:
    void addRecord(ArticleNumber number, const std::string& title, size_t bodySize,
                   const std::vector<LinkRecord>& links);
    std::vector<std::string_view> pgdPieces() const;

    std::vector<IndexEntry> m_index;
    // .PGD is the bytes of each piece (a body taken whole, then the bytes
    // that followed it), then m_pgdTail.
    struct Piece {
        std::string body;
        std::string after;
    };
    std::vector<Piece> m_pgdPieces;
    std::string m_pgdTail;
    size_t m_pgdSize = 0;
    std::string m_pgl;
    std::vector<OutlineRecord> m_outline;
    bool m_outlineEnd = true;
    KeywordIndex m_keywords;
};

} // namespace tolvane
