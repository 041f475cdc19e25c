// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/ArticleStore.h"

#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"

#include <algorithm>
#include <chrono>

namespace tolvane {

ArticleStore::ArticleStore(DataSourcePaths paths, ArticleIndex& index)
    : m_paths(std::move(paths)), m_index(index) {}

size_t ArticleStore::LoadIndex(const PumpCallback& pump) {
    InputFile file;
    if (!file.open(m_paths.pgh))
        return 0;
    using Clock = std::chrono::steady_clock;
    constexpr auto kPumpInterval = std::chrono::milliseconds(10);
    constexpr size_t kChunkEntries = 4096; // 64 KiB a read; the clock is read once a chunk
    std::vector<unsigned char> chunk(kChunkEntries * kIndexEntrySize);

    const uint64_t entries = file.size() / kIndexEntrySize;
    m_index.reserve(m_index.size() + static_cast<size_t>(std::min<uint64_t>(entries, 1u << 24)));
    auto lastPump = Clock::now();
    bool pumped = false;
    size_t count = 0;
    uint64_t offset = 0;
    for (;;) {
        const size_t got = file.readAt(offset, chunk.data(), chunk.size());
        const size_t whole = got / kIndexEntrySize;
        for (size_t k = 0; k < whole; ++k) {
            const unsigned char* p = chunk.data() + k * kIndexEntrySize;
            IndexEntry e;
            e.number = loadI32LE(p);
            e.pgdOffset = loadU32LE(p + 4);
            e.pglOffset = loadU32LE(p + 8);
            e.linkCount = loadU32LE(p + 12);
            m_index.insert_or_assign(e.number, e);
        }
        count += whole;
        offset += whole * kIndexEntrySize;
        // The first chunk always pumps, so a caller sees at least one pass
        // of its event loop however fast the disk is; after that, by time.
        if (pump && (!pumped || Clock::now() - lastPump >= kPumpInterval)) {
            pump();
            pumped = true;
            lastPump = Clock::now();
        }
        if (got < chunk.size())
            break;
    }
    return count;
}

const IndexEntry* ArticleStore::FindEntry(ArticleNumber number) const {
    const auto it = m_index.find(number);
    return it == m_index.end() ? nullptr : &it->second;
}

std::string ArticleStore::ReadTextAt(const InputFile& pgd, uint64_t offset, uint64_t* next) {
    uint32_t declared = 0;
    if (!pgd.readU32At(offset, declared)) {
        if (next)
            *next = pgd.size();
        return {};
    }
    const uint64_t length = std::min<uint64_t>(declared, pgd.size() + kLengthSlack);
    std::string text(static_cast<size_t>(length), 'x');
    pgd.readAt(offset + 4, text.data(), text.size());
    if (next)
        *next = offset + 4 + declared;
    return text;
}

std::string ArticleStore::ReadTitleAt(const InputFile& pgd, uint64_t offset, uint64_t* next) {
    return ReadTextAt(pgd, offset, next);
}

bool ArticleStore::ReadArticle(ArticleNumber number, ArticleRecord& record) const {
    record = {};
    const IndexEntry* e = FindEntry(number);
    if (!e)
        return false;
    InputFile pgd;
    if (!pgd.open(m_paths.pgd))
        return true;
    uint64_t next = 0;
    record.title = ReadTitleAt(pgd, e->pgdOffset, &next);
    record.body = ReadTextAt(pgd, next);
    return true;
}

std::string ArticleStore::ReadArticleTitle(ArticleNumber number) const {
    const IndexEntry* e = FindEntry(number);
    if (!e)
        return {};
    InputFile pgd;
    if (!pgd.open(m_paths.pgd))
        return {};
    return ReadTitleAt(pgd, e->pgdOffset);
}

void ArticleStore::ReadLinks(ArticleNumber number, std::vector<LinkRecord>& links) const {
    links.clear();
    const IndexEntry* e = FindEntry(number);
    InputFile pgl;
    if (!pgl.open(m_paths.pgl) || !e || e->linkCount == 0)
        return;
    // Only whole records that lie inside the file are read: the count is
    // trusted no further than the bytes behind it.
    const uint64_t available =
        e->pglOffset < pgl.size() ? (pgl.size() - e->pglOffset) / kLinkRecordSize : 0;
    const uint64_t count = std::min<uint64_t>(e->linkCount, available);
    std::vector<unsigned char> bytes(static_cast<size_t>(count * kLinkRecordSize));
    const size_t got = pgl.readAt(e->pglOffset, bytes.data(), bytes.size());
    links.reserve(got / kLinkRecordSize);
    for (size_t k = 0; k + kLinkRecordSize <= got; k += kLinkRecordSize) {
        const unsigned char* p = bytes.data() + k;
        links.push_back({loadI32LE(p), loadI32LE(p + 4), loadI32LE(p + 8), loadU32LE(p + 12)});
    }
}

const std::string& ArticleStore::BodyReader::body() {
    if (!m_read) {
        m_body = ArticleStore::ReadTextAt(m_file, m_offset);
        m_read = true;
    }
    return m_body;
}

void ArticleStore::ForEachArticle(const Visitor& visitor) const {
    InputFile pgd;
    pgd.open(m_paths.pgd); // an unreadable file visits every entry with empty texts
    for (const auto& [number, entry] : m_index) {
        uint64_t next = 0;
        const std::string title = ReadTitleAt(pgd, entry.pgdOffset, &next);
        BodyReader body(pgd, next);
        if (!visitor(number, title, body))
            break;
    }
}

} // namespace tolvane
