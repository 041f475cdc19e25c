#pragma once

#include "ArticleRecords.h"
#include "outline/OutlineRecord.h"

#include <string>
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
    // Appends an index entry as given, for fixtures that need duplicate,
    // dangling or corrupt entries.
    void addRawIndexEntry(const IndexEntry& entry) { m_index.push_back(entry); }
    // Appends bytes to .PGD or .PGL as they stand (corrupt records).
    void appendRawPgd(const std::string& bytes) { m_pgd += bytes; }
    void appendRawPgl(const std::string& bytes) { m_pgl += bytes; }

    void addOutline(const OutlineRecord& record) { m_outline.push_back(record); }
    // Whether write() ends .FIC with an end record (on by default).
    void setOutlineEndRecord(bool on) { m_outlineEnd = on; }

    // Room for this many more .PGD and .PGL bytes, so that building a large
    // data source does not copy it again and again as it grows.
    void reserve(size_t pgdBytes, size_t pglBytes) {
        m_pgd.reserve(m_pgd.size() + pgdBytes);
        m_pgl.reserve(m_pgl.size() + pglBytes);
    }
    size_t pgdSize() const { return m_pgd.size(); }
    size_t pglSize() const { return m_pgl.size(); }

    // Writes base + ".PGH", ".PGD", ".PGL", ".FIC" (base is a native path);
    // each file replaces any earlier one atomically.
    bool write(const std::string& base, std::string* error = nullptr) const;

    std::string pghBytes() const;
    const std::string& pgdBytes() const { return m_pgd; }
    const std::string& pglBytes() const { return m_pgl; }
    std::string ficBytes() const;

private:
    std::vector<IndexEntry> m_index;
    std::string m_pgd;
    std::string m_pgl;
    std::vector<OutlineRecord> m_outline;
    bool m_outlineEnd = true;
};

} // namespace tolvane
