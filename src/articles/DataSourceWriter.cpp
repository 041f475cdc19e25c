#include "DataSourceWriter.h"

#include "common/AtomicFile.h"
#include "common/LittleEndian.h"

namespace tolvane {

void DataSourceWriter::addArticle(ArticleNumber number, const std::string& title,
                                  const std::string& body, const std::vector<LinkRecord>& links) {
    IndexEntry e;
    e.number = number;
    e.pgdOffset = static_cast<uint32_t>(m_pgd.size());
    e.pglOffset = static_cast<uint32_t>(m_pgl.size());
    e.linkCount = static_cast<uint32_t>(links.size());
    appendU32LE(m_pgd, static_cast<uint32_t>(title.size()));
    m_pgd += title;
    appendU32LE(m_pgd, static_cast<uint32_t>(body.size()));
    m_pgd += body;
    for (const LinkRecord& l : links) {
        appendI32LE(m_pgl, l.first);
        appendI32LE(m_pgl, l.last);
        appendI32LE(m_pgl, l.target);
        appendU32LE(m_pgl, l.reserved);
    }
    m_index.push_back(e);
}

std::string DataSourceWriter::pghBytes() const {
    std::string out;
    out.reserve(m_index.size() * kIndexEntrySize);
    for (const IndexEntry& e : m_index) {
        appendI32LE(out, e.number);
        appendU32LE(out, e.pgdOffset);
        appendU32LE(out, e.pglOffset);
        appendU32LE(out, e.linkCount);
    }
    return out;
}

std::string DataSourceWriter::ficBytes() const {
    std::string out;
    out.reserve((m_outline.size() + 1) * OutlineRecord::kSize);
    for (const OutlineRecord& r : m_outline)
        out += r.encode();
    if (m_outlineEnd)
        out += OutlineRecord{"", "", "", 0, 0, 0}.encode();
    return out;
}

bool DataSourceWriter::write(const std::string& base, std::string* error) const {
    return AtomicFile::write(base + ".PGH", pghBytes(), error) &&
           AtomicFile::write(base + ".PGD", m_pgd, error) &&
           AtomicFile::write(base + ".PGL", m_pgl, error) &&
           AtomicFile::write(base + ".FIC", ficBytes(), error);
}

} // namespace tolvane
