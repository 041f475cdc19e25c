// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/KeywordIndex.h"

#include "core/common/Cp1252.h"
#include "core/common/FrenchOrder.h"
#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <sys/stat.h>

namespace tolvane {

namespace {

// The smallest record: a length, one byte, a count and one article.
constexpr uint64_t kMinRecordSize = 4 + 1 + 4 + 4;
constexpr size_t kHeaderSize = 8;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t k = 0; k < prefix.size(); ++k)
        if (cp1252::toUpper(static_cast<unsigned char>(text[k])) !=
            cp1252::toUpper(static_cast<unsigned char>(prefix[k])))
            return false;
    return true;
}

} // namespace

void KeywordIndex::add(std::string_view keyword, ArticleNumber article) {
    if (keyword.empty())
        return;
    const auto [it, inserted] = m_byKey.emplace(cp1252::toUpper(keyword), m_entries.size());
    if (inserted)
        m_entries.push_back({std::string(keyword), {}});
    std::vector<ArticleNumber>& articles = m_entries[it->second].articles;
    if (std::find(articles.begin(), articles.end(), article) == articles.end())
        articles.push_back(article);
}

void KeywordIndex::sort() {
    m_byKey.clear();
    // A file written by the build is in order already: checking costs one
    // comparison of neighbours, the keys are made only to sort.
    if (std::is_sorted(m_entries.begin(), m_entries.end(),
                       [](const KeywordEntry& a, const KeywordEntry& b) {
                           return french::less(a.keyword, b.keyword);
                       }))
        return;
    std::vector<std::string> keys;
    keys.reserve(m_entries.size());
    for (const KeywordEntry& e : m_entries)
        keys.push_back(french::sortKey(e.keyword));
    std::vector<size_t> order(m_entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<KeywordEntry> entries;
    entries.reserve(m_entries.size());
    for (const size_t k : order)
        entries.push_back(std::move(m_entries[k]));
    m_entries = std::move(entries);
}

KeywordIndex::Found KeywordIndex::findPrefix(std::string_view typed) const {
    if (typed.empty() || m_entries.empty())
        return {0, !m_entries.empty()};
    // Every keyword that starts with the typed letters, whatever their
    // accents and case, lies in one run of the French order: the run whose
    // primary keys start with the typed text's.
    const std::string wanted = french::primaryKey(typed);
    const auto first =
        std::partition_point(m_entries.begin(), m_entries.end(), [&](const KeywordEntry& e) {
            return french::primaryKey(e.keyword) < wanted;
        });
    for (auto it = first; it != m_entries.end(); ++it) {
        if (french::primaryKey(it->keyword).compare(0, wanted.size(), wanted) != 0)
            break;
        if (StartsWithNoCase(it->keyword, typed))
            return {static_cast<size_t>(it - m_entries.begin()), true};
    }
    const size_t at = static_cast<size_t>(first - m_entries.begin());
    return {std::min(at, m_entries.size() - 1), false};
}

std::string KeywordIndex::encode() const {
    std::string out(kMagic, sizeof kMagic);
    appendU32LE(out, static_cast<uint32_t>(m_entries.size()));
    for (const KeywordEntry& e : m_entries) {
        appendU32LE(out, static_cast<uint32_t>(e.keyword.size()));
        out += e.keyword;
        appendU32LE(out, static_cast<uint32_t>(e.articles.size()));
        for (const ArticleNumber a : e.articles)
            appendI32LE(out, a);
    }
    return out;
}

KeywordIndex::ReadStatus KeywordIndex::decode(std::string_view bytes, KeywordIndex& out) {
    out = KeywordIndex();
    const ReadStatus status = out.decodeRecords(bytes);
    // A damaged file still gives the records read whole before the damage.
    out.sort();
    return status;
}

KeywordIndex::ReadStatus KeywordIndex::decodeRecords(std::string_view bytes) {
    ByteReader in(bytes);
    std::string magic;
    uint32_t count = 0;
    if (!in.readBytes(sizeof kMagic, magic) || std::memcmp(magic.data(), kMagic, 4) != 0 ||
        !in.readU32(count))
        return ReadStatus::Damaged;
    const bool countFits = count <= (bytes.size() - kHeaderSize) / kMinRecordSize;
    m_entries.reserve(countFits ? count : 0);
    for (uint32_t k = 0; k < count; ++k) {
        KeywordEntry e;
        uint32_t length = 0, articles = 0;
        if (!in.readU32(length) || length == 0 || !in.readBytes(length, e.keyword) ||
            !in.readU32(articles) || articles == 0 || articles > in.remaining() / 4)
            return ReadStatus::Damaged;
        e.articles.reserve(articles);
        for (uint32_t a = 0; a < articles; ++a) {
            int32_t number = 0;
            in.readI32(number);
            e.articles.push_back(number);
        }
        m_entries.push_back(std::move(e));
    }
    return in.atEnd() ? ReadStatus::Ok : ReadStatus::Damaged;
}

KeywordIndex::ReadStatus KeywordIndex::read(const std::string& path, KeywordIndex& out) {
    out = KeywordIndex();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return ReadStatus::Absent;
    InputFile file;
    if (!file.open(path))
        return ReadStatus::Unreadable;
    if (file.size() > kMaxFileSize)
        return ReadStatus::Damaged;
    std::string bytes(static_cast<size_t>(file.size()), '\0');
    if (file.readAt(0, bytes.data(), bytes.size()) != bytes.size())
        return ReadStatus::Unreadable;
    return decode(bytes, out);
}

} // namespace tolvane
