// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/DataSourceChecker.h"

#include "core/articles/ArticleRecords.h"
#include "core/articles/KeywordIndex.h"
#include "core/articles/OutlineRecord.h"
#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"
#include "core/rtf/RtfReader.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>

namespace tolvane::authoring {

namespace {

std::string N(int64_t v) {
    return std::to_string(v);
}

} // namespace

void DataSourceChecker::check(const DataSourcePaths& paths) {
    InputFile pgh, pgd, pgl, fic;
    bool ok = true;
    for (auto [file, path] : {std::pair{&pgh, &paths.pgh}, std::pair{&pgd, &paths.pgd},
                              std::pair{&pgl, &paths.pgl}, std::pair{&fic, &paths.fic}}) {
        if (!file->open(*path)) {
            m_findings.error(*path, 0, "fichier absent ou illisible");
            ok = false;
        }
    }
    if (!ok)
        return;

    // Index.
    if (pgh.size() % kIndexEntrySize != 0)
        m_findings.warning(paths.pgh, 0,
                           "longueur " + N(static_cast<int64_t>(pgh.size())) +
                               " : un fragment final de " +
                               N(static_cast<int64_t>(pgh.size() % kIndexEntrySize)) +
                               " octet(s) n'est pas une entrée");
    std::map<ArticleNumber, IndexEntry> index; // the later duplicate wins, as in the viewer
    std::vector<ArticleNumber> order;
    unsigned char e[kIndexEntrySize];
    for (uint64_t at = 0; pgh.readAt(at, e, sizeof e) == sizeof e; at += sizeof e) {
        IndexEntry entry{loadI32LE(e), loadU32LE(e + 4), loadU32LE(e + 8), loadU32LE(e + 12)};
        const std::string where = "entrée " + N(static_cast<int64_t>(at / kIndexEntrySize));
        if (entry.number <= 0) {
            m_findings.error(paths.pgh, 0, where + " : numéro " + N(entry.number) + " invalide");
            continue;
        }
        if (index.count(entry.number))
            m_findings.error(paths.pgh, 0, where + " : numéro " + N(entry.number) + " en double");
        else
            order.push_back(entry.number);
        index[entry.number] = entry;
    }
    if (!index.count(1))
        m_findings.error(paths.pgh, 0, "l'article 1 (accueil) est absent");

    // Articles and links.
    std::map<ArticleNumber, std::vector<LinkRecord>> links;
    for (ArticleNumber number : order) {
        const IndexEntry& entry = index[number];
        const std::string article = "article " + N(number);
        uint32_t titleLength = 0, bodyLength = 0;
        const uint64_t titleAt = entry.pgdOffset;
        if (!pgd.readU32At(titleAt, titleLength) || titleAt + 4 + titleLength + 4 > pgd.size() ||
            !pgd.readU32At(titleAt + 4 + titleLength, bodyLength) ||
            titleAt + 8 + titleLength + bodyLength > pgd.size()) {
            m_findings.error(paths.pgd, 0,
                             article + " : l'enregistrement dépasse la fin du fichier");
            continue;
        }
        std::string body(bodyLength, '\0');
        pgd.readAt(titleAt + 8 + titleLength, body.data(), bodyLength);
        const uint64_t linksEnd = entry.pglOffset + uint64_t{entry.linkCount} * kLinkRecordSize;
        if (linksEnd > pgl.size()) {
            m_findings.error(paths.pgl, 0,
                             article + " : la table de liens dépasse la fin du fichier");
            continue;
        }
        std::vector<LinkRecord>& list = links[number];
        for (uint32_t k = 0; k < entry.linkCount; ++k) {
            unsigned char r[kLinkRecordSize];
            pgl.readAt(entry.pglOffset + uint64_t{k} * kLinkRecordSize, r, sizeof r);
            list.push_back({loadI32LE(r), loadI32LE(r + 4), loadI32LE(r + 8), loadU32LE(r + 12)});
        }
        if (list.empty())
            continue;
        const int64_t length = static_cast<int64_t>(rtf::RtfReader::displayedText(body).size());
        std::vector<std::pair<int32_t, int32_t>> ranges;
        for (size_t k = 0; k < list.size(); ++k) {
            const LinkRecord& l = list[k];
            const std::string link = article + ", lien " + N(static_cast<int64_t>(k)) + " [" +
                                     N(l.first) + ", " + N(l.last) + "]";
            if (!index.count(l.target))
                m_findings.error(paths.pgl, 0,
                                 link + " : la cible " + N(l.target) + " n'est pas dans l'index");
            if (l.first < 0 || l.first > l.last || l.last >= length)
                m_findings.error(paths.pgl, 0,
                                 link + " : ancre hors du texte de l'article (" + N(length) +
                                     " positions)");
            else
                ranges.emplace_back(l.first, l.last);
        }
        std::sort(ranges.begin(), ranges.end());
        for (size_t k = 1; k < ranges.size(); ++k)
            if (ranges[k].first <= ranges[k - 1].second)
                m_findings.error(paths.pgl, 0,
                                 article + " : ancres qui se chevauchent [" +
                                     N(ranges[k - 1].first) + ", " + N(ranges[k - 1].second) +
                                     "] et [" + N(ranges[k].first) + ", " + N(ranges[k].second) +
                                     "]");
    }

    // Outline.
    std::vector<ArticleNumber> reached;
    std::unordered_set<std::string> keys;
    bool ended = false;
    for (uint64_t at = 0;; at += OutlineRecord::kSize) {
        unsigned char r[OutlineRecord::kSize];
        const size_t got = fic.readAt(at, r, sizeof r);
        if (got < sizeof r) {
            if (got > 0)
                m_findings.error(paths.fic, 0, "enregistrement final incomplet");
            break;
        }
        const OutlineRecord record = OutlineRecord::decode(r);
        if (record.title.empty()) {
            ended = true;
            break;
        }
        const std::string node = "nœud « " + cp1252::toUtf8(record.title) + " »";
        if (record.referenceKey != "0" && !keys.count(record.referenceKey))
            m_findings.error(paths.fic, 0,
                             node + " : la clé de référence « " +
                                 cp1252::toUtf8(record.referenceKey) +
                                 " » ne nomme aucun nœud précédent");
        keys.insert(record.nodeKey);
        if (record.article != 0) {
            if (!index.count(record.article))
                m_findings.error(paths.fic, 0,
                                 node + " : l'article " + N(record.article) +
                                     " n'est pas dans l'index");
            else
                reached.push_back(record.article);
        }
    }
    if (!ended)
        m_findings.warning(paths.fic, 0, "pas d'enregistrement de fin");

    // The keyword index, when there is one: its articles count as reached.
    KeywordIndex keywords;
    switch (KeywordIndex::read(paths.pgk, keywords)) {
    case KeywordIndex::ReadStatus::Absent:
    case KeywordIndex::ReadStatus::Ok:
        break;
    case KeywordIndex::ReadStatus::Unreadable:
        m_findings.error(paths.pgk, 0, "index des mots-clés illisible");
        break;
    case KeywordIndex::ReadStatus::Damaged:
        m_findings.error(paths.pgk, 0,
                         "index des mots-clés endommagé : " + N(int64_t(keywords.size())) +
                             " mot(s)-clé(s) lisible(s)");
        break;
    }
    for (const KeywordEntry& e : keywords.entries())
        for (const ArticleNumber n : e.articles) {
            if (index.count(n))
                reached.push_back(n);
            else
                m_findings.error(paths.pgk, 0,
                                 "mot-clé « " + cp1252::toUtf8(e.keyword) + " » : article " + N(n) +
                                     " absent de l'index");
        }

    // Reachability from article 1 and the outline, through links.
    std::set<ArticleNumber> seen;
    if (index.count(1))
        reached.push_back(1);
    while (!reached.empty()) {
        const ArticleNumber n = reached.back();
        reached.pop_back();
        if (!seen.insert(n).second)
            continue;
        const auto it = links.find(n);
        if (it == links.end())
            continue;
        for (const LinkRecord& l : it->second)
            if (index.count(l.target) && !seen.count(l.target))
                reached.push_back(l.target);
    }
    for (ArticleNumber n : order)
        if (!seen.count(n))
            m_findings.warning(paths.pgh, 0,
                               "article " + N(n) +
                                   " inaccessible (ni depuis l'article 1 ni depuis le sommaire)");
}

} // namespace tolvane::authoring
