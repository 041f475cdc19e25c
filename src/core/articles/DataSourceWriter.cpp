// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/DataSourceWriter.h"

#include "core/common/AtomicFile.h"
#include "core/common/LittleEndian.h"

#include <cerrno>
#include <cstdio>

namespace tolvane {

void DataSourceWriter::addArticle(ArticleNumber number, const std::string& title,
                                  const std::string& body, const std::vector<LinkRecord>& links) {
    addRecord(number, title, body.size(), links);
    m_pgdTail += body;
    m_pgdSize += body.size();
}

void DataSourceWriter::addArticle(ArticleNumber number, const std::string& title,
                                  std::string&& body, const std::vector<LinkRecord>& links) {
    addRecord(number, title, body.size(), links);
    m_pgdSize += body.size();
    // The bytes before the body end the piece before it.
    if (m_pgdPieces.empty())
        m_pgdPieces.push_back({std::string(), std::move(m_pgdTail)});
    else
        m_pgdPieces.back().after += m_pgdTail;
    m_pgdTail.clear();
    m_pgdPieces.push_back({std::move(body), std::string()});
}

// The index entry, the links and the .PGD bytes before the body.
void DataSourceWriter::addRecord(ArticleNumber number, const std::string& title, size_t bodySize,
                                 const std::vector<LinkRecord>& links) {
    IndexEntry e;
    e.number = number;
    e.pgdOffset = static_cast<uint32_t>(m_pgdSize);
    e.pglOffset = static_cast<uint32_t>(m_pgl.size());
    e.linkCount = static_cast<uint32_t>(links.size());
    appendU32LE(m_pgdTail, static_cast<uint32_t>(title.size()));
    m_pgdTail += title;
    appendU32LE(m_pgdTail, static_cast<uint32_t>(bodySize));
    m_pgdSize += 8 + title.size();
    // The link records are written in place, the room made once.
    const size_t at = m_pgl.size();
    m_pgl.resize(at + links.size() * kLinkRecordSize);
    auto* out = reinterpret_cast<unsigned char*>(m_pgl.data() + at);
    for (const LinkRecord& l : links) {
        storeU32LE(out, static_cast<uint32_t>(l.first));
        storeU32LE(out + 4, static_cast<uint32_t>(l.last));
        storeU32LE(out + 8, static_cast<uint32_t>(l.target));
        storeU32LE(out + 12, l.reserved);
        out += kLinkRecordSize;
    }
    m_index.push_back(e);
}

std::vector<std::string_view> DataSourceWriter::pgdPieces() const {
    std::vector<std::string_view> pieces;
    pieces.reserve(m_pgdPieces.size() * 2 + 1);
    for (const Piece& p : m_pgdPieces) {
        pieces.push_back(p.body);
        pieces.push_back(p.after);
    }
    pieces.push_back(m_pgdTail);
    return pieces;
}

std::string DataSourceWriter::pgdBytes() const {
    std::string out;
    out.reserve(m_pgdSize);
    for (const std::string_view piece : pgdPieces())
        out += piece;
    return out;
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
    if (!(AtomicFile::write(base + ".PGH", pghBytes(), error) &&
          AtomicFile::write(base + ".PGD", pgdPieces(), error) &&
          AtomicFile::write(base + ".PGL", m_pgl, error) &&
          AtomicFile::write(base + ".FIC", ficBytes(), error)))
        return false;
    if (!m_keywords.empty())
        return AtomicFile::write(base + ".PGK", m_keywords.encode(), error);
    // A keyword index left by an earlier build would list other articles.
    const std::string pgk = base + ".PGK";
    if (std::remove(pgk.c_str()) != 0 && errno != ENOENT) {
        if (error)
            *error = "impossible de supprimer " + pgk;
        return false;
    }
    return true;
}

} // namespace tolvane
