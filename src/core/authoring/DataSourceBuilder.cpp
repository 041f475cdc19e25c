// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/DataSourceBuilder.h"

#include "core/authoring/BitmapConverter.h"
#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/common/PathResolver.h"

#include <array>
#include <set>

namespace tolvane::authoring {

namespace {

std::string Key(const std::string& id) {
    return cp1252::toUpper(id);
}

std::string Quoted(const std::string& cp1252Text) {
    return "« " + cp1252::toUtf8(cp1252Text) + " »";
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
    const std::string upper = cp1252::toUpper(s);
    const std::string suf = suffix;
    return upper.size() >= suf.size() &&
           upper.compare(upper.size() - suf.size(), suf.size(), suf) == 0;
}

} // namespace

void DataSourceBuilder::addSource(const std::string& path) {
    if (EndsWithNoCase(path, ".HPJ")) {
        auto project = std::make_unique<HelpProject>();
        if (!project->load(path, m_messages))
            return;
        if (m_project)
            m_messages.warning(path, 0,
                               "un seul projet par construction : celui-ci remplace le précédent");
        for (const std::string& name : project->files()) {
            const std::string found = HelpProject::findIn(project->roots(), name);
            if (found.empty())
                m_messages.warning(path, 0,
                                   "fichier de topiques absent, ignoré : " + cp1252::toUtf8(name));
            else
                m_topicFiles.push_back(found);
        }
        m_project = std::move(project);
    } else if (EndsWithNoCase(path, ".CNT")) {
        auto contents = std::make_unique<ContentsFile>();
        if (contents->load(path, m_messages))
            m_contents = std::move(contents);
    } else {
        m_topicFiles.push_back(path);
    }
}

void DataSourceBuilder::addTopicText(const std::string& name, std::string_view rtf) {
    m_topicTexts.emplace_back(name, rtf);
}

bool DataSourceBuilder::picture(const std::string& name, const std::string& fromFile,
                                std::string& pict) {
    const std::string key = Key(name);
    const auto cached = m_pictureCache.find(key);
    if (cached != m_pictureCache.end()) {
        pict = cached->second;
        return !pict.empty();
    }
    std::vector<std::string> folders;
    if (m_project)
        folders = m_project->bitmapRoots();
    const std::string dir = PathResolver::directoryOf(fromFile);
    folders.push_back(dir.empty() ? std::string("./") : dir);
    folders.insert(folders.end(), m_bitmapFolders.begin(), m_bitmapFolders.end());
    const std::string path = HelpProject::findIn(folders, name);
    std::string bytes, reason;
    BitmapConverter::Image image;
    if (!path.empty() && InputFile::readAll(path, bytes)) {
        if (BitmapConverter::decodeBmp(bytes, image, &reason))
            pict = BitmapConverter::pictureGroup(image, BitmapConverter::encodePng(image));
        else
            m_messages.warning(path, 0, "image illisible (" + reason + ")");
    }
    m_pictureCache[key] = pict;
    return !pict.empty();
}

void DataSourceBuilder::readTopicFiles() {
    std::string currentFile;
    TopicParser parser(m_messages, [&](const std::string& name, std::string& pict) {
        return picture(name, currentFile, pict);
    });
    parser.setKeepHotText(m_keepHotText);
    for (const std::string& file : m_topicFiles) {
        std::string bytes;
        if (!InputFile::readAll(file, bytes)) {
            m_messages.error(file, 0, "impossible de lire le fichier de topiques");
            continue;
        }
        currentFile = file;
        parser.parse(file, bytes, m_topics);
    }
    for (const auto& [name, text] : m_topicTexts) {
        currentFile = name;
        parser.parse(name, text, m_topics);
    }
}

size_t DataSourceBuilder::NoCaseHash::operator()(const std::string& s) const {
    return static_cast<size_t>(TopicIdTable::hashOf(s));
}

bool DataSourceBuilder::NoCaseEqual::operator()(const std::string& a, const std::string& b) const {
    if (a.size() != b.size())
        return false;
    const unsigned char* upper = TopicIdTable::upperTable();
    for (size_t k = 0; k < a.size(); ++k)
        if (upper[static_cast<unsigned char>(a[k])] != upper[static_cast<unsigned char>(b[k])])
            return false;
    return true;
}

long DataSourceBuilder::findTopic(const std::string& id) const {
    const std::string* key = &id;
    for (int hop = 0; hop < 16; ++hop) {
        const long topic = m_ids.find(*key);
        if (topic >= 0)
            return topic;
        const auto alias = m_aliases.find(*key);
        if (alias == m_aliases.end())
            return -1;
        key = &alias->second;
    }
    return -1;
}

void DataSourceBuilder::number() {
    const size_t n = m_topics.size();
    m_numbers.assign(n, 0);
    std::vector<bool> dropped(n, false);
    for (size_t t = 0; t < n; ++t) {
        const SourceTopic& topic = m_topics[t];
        for (size_t k = 0; k <= topic.otherIds.size(); ++k) {
            const std::string& id = k == 0 ? topic.id : topic.otherIds[k - 1];
            const auto [known, inserted] = m_ids.emplace(id, t);
            if (inserted || known == t)
                continue;
            const SourceTopic& first = m_topics[known];
            m_messages.error(m_topics[t].file, m_topics[t].line,
                             "identifiant en double " + Quoted(id) + " (déjà " + first.file + ":" +
                                 std::to_string(first.line) + ")");
            if (k == 0)
                dropped[t] = true;
        }
    }
    if (m_project)
        for (const auto& [from, to] : m_project->aliases())
            m_aliases[from] = to;
    if (n == 0)
        return;

    long home = 0;
    if (m_project && !m_project->contentsTopic().empty()) {
        home = findTopic(m_project->contentsTopic());
        if (home < 0) {
            m_messages.error(m_project->path(), 0,
                             "topique d'accueil (CONTENTS) inconnu : " +
                                 Quoted(m_project->contentsTopic()));
            home = 0;
        }
    }
    while (static_cast<size_t>(home) < n && dropped[home])
        ++home;
    std::set<ArticleNumber> used;
    if (static_cast<size_t>(home) < n) {
        m_numbers[home] = 1;
        used.insert(1);
    }
    if (m_project) {
        for (const HelpProject::MapEntry& e : m_project->map()) {
            const long found = m_ids.find(e.id);
            if (found < 0 || m_numbers[found] != 0)
                continue;
            const size_t t = static_cast<size_t>(found);
            if (e.number == 1) {
                m_messages.error(e.file, e.line,
                                 "le numéro 1 est celui de l'accueil, pas de " + Quoted(e.id));
                continue;
            }
            if (e.number <= 0 || e.number > INT32_MAX) {
                m_messages.warning(e.file, e.line, "numéro hors limites pour " + Quoted(e.id));
                continue;
            }
            const ArticleNumber number = static_cast<ArticleNumber>(e.number);
            if (!used.insert(number).second) {
                m_messages.error(e.file, e.line,
                                 "numéro " + std::to_string(number) +
                                     " déjà donné à un autre topique (" + Quoted(e.id) + ")");
                continue;
            }
            m_numbers[t] = number;
        }
    }
    ArticleNumber next = 2;
    for (size_t t = 0; t < n; ++t) {
        if (dropped[t] || m_numbers[t] != 0)
            continue;
        while (used.count(next))
            ++next;
        m_numbers[t] = next;
        used.insert(next);
    }
}

bool DataSourceBuilder::build(DataSourceWriter& writer) {
    if (m_project && !m_contents) {
        std::string cnt;
        if (!m_project->contentsFile().empty())
            cnt = HelpProject::findIn(m_project->roots(), m_project->contentsFile());
        if (cnt.empty()) {
            std::string name = PathResolver::fileNameOf(m_project->path());
            name = name.substr(0, name.size() - 4) + ".cnt";
            cnt = HelpProject::findIn({m_project->folder()}, name);
        }
        if (!cnt.empty()) {
            auto contents = std::make_unique<ContentsFile>();
            if (contents->load(cnt, m_messages))
                m_contents = std::move(contents);
        }
    }
    readTopicFiles();
    number();

    const size_t n = m_topics.size();
    std::vector<int> jumpsIn(n, 0), popupsIn(n, 0);
    std::vector<bool> inOutline(n, false);
    if (m_contents)
        for (const ContentsFile::Entry& e : m_contents->entries()) {
            const long t = e.topic.empty() ? -1 : findTopic(e.topic);
            if (t >= 0)
                inOutline[t] = true;
        }
    std::vector<std::vector<LinkRecord>> links(n);
    for (size_t t = 0; t < n; ++t) {
        if (m_numbers[t] == 0)
            continue;
        for (const SourceLink& l : m_topics[t].links) {
            const long target = findTopic(l.target);
            if (target < 0 || m_numbers[target] == 0) {
                m_messages.error(m_topics[t].file, l.line,
                                 "lien vers un topique inconnu " + Quoted(l.target) + " dans " +
                                     Quoted(m_topics[t].id));
                continue;
            }
            (l.popup ? popupsIn : jumpsIn)[target]++;
            links[t].push_back({l.first, l.last, m_numbers[target], 0});
        }
    }

    m_articles.clear();
    size_t titleBytes = 0, linkCount = 0;
    for (size_t t = 0; t < n; ++t) {
        titleBytes += m_topics[t].title.size() + 16;
        linkCount += links[t].size();
    }
    writer.reserve(titleBytes, linkCount * kLinkRecordSize);
    for (size_t t = 0; t < n; ++t) {
        if (m_numbers[t] == 0)
            continue;
        SourceTopic& topic = m_topics[t];
        Article a;
        a.number = m_numbers[t];
        a.topic = t;
        a.popup = a.number != 1 && popupsIn[t] > 0 && jumpsIn[t] == 0 && !inOutline[t];
        if (a.popup) {
            a.title = "#POPUP:" + topic.title;
        } else {
            a.title = topic.title;
            while (!a.title.empty() && a.title[0] == '#')
                a.title.erase(0, 1);
            if (a.title.empty()) {
                m_messages.warning(topic.file, topic.line,
                                   "topique sans titre ($) : " + Quoted(topic.id) +
                                       ", son identifiant sert de titre");
                a.title = topic.id;
            }
        }
        a.links = std::move(links[t]);
        // The body goes to the writer as it is; the topic keeps none.
        writer.addArticle(a.number, a.title, std::move(m_topics[t].body), a.links);
        m_articles.push_back(std::move(a));
    }
    outline(writer);
    keywords(writer);
    return m_messages.errorCount() == 0;
}

void DataSourceBuilder::outline(DataSourceWriter& writer) {
    auto title80 = [](std::string t) {
        if (t.size() >= OutlineRecord::kTitleWidth)
            t.resize(OutlineRecord::kTitleWidth - 1);
        return t.empty() ? std::string("?") : t;
    };
    int counter = 0;
    if (!m_contents) {
        std::string previous;
        for (const Article& a : m_articles) {
            if (a.popup)
                continue;
            OutlineRecord r;
            r.nodeKey = "n" + std::to_string(++counter);
            r.title = title80(a.title);
            r.referenceKey = previous.empty() ? "0" : previous;
            r.placement = previous.empty() ? 0 : OutlineRecord::kPlacementBeside;
            r.article = a.number;
            writer.addOutline(r);
            previous = r.nodeKey;
        }
        return;
    }
    struct Open {
        int level;
        std::string key;
    };
    std::vector<Open> folders;
    std::unordered_map<std::string, std::string> lastChild; // parent key -> last child key
    for (const ContentsFile::Entry& e : m_contents->entries()) {
        ArticleNumber article = 0;
        if (!e.topic.empty()) {
            const long t = findTopic(e.topic);
            if (t < 0 || m_numbers[t] == 0) {
                if (e.otherFile)
                    m_messages.warning(m_contents->path(), e.line,
                                       "topique d'un autre fichier introuvable, entrée ignorée : " +
                                           Quoted(e.topic));
                else
                    m_messages.error(m_contents->path(), e.line,
                                     "topique inconnu dans le sommaire : " + Quoted(e.topic));
                continue;
            }
            article = m_numbers[t];
        }
        while (!folders.empty() && folders.back().level >= e.level)
            folders.pop_back();
        const std::string parent = folders.empty() ? "0" : folders.back().key;
        OutlineRecord r;
        r.nodeKey = "n" + std::to_string(++counter);
        r.title = title80(e.title);
        r.article = article;
        const auto sibling = lastChild.find(parent);
        if (sibling != lastChild.end()) {
            r.referenceKey = sibling->second;
            r.placement = OutlineRecord::kPlacementBeside;
        } else {
            r.referenceKey = parent;
        }
        writer.addOutline(r);
        lastChild[parent] = r.nodeKey;
        if (article == 0)
            folders.push_back({e.level, r.nodeKey});
    }
}

void DataSourceBuilder::keywords(DataSourceWriter& writer) {
    KeywordIndex index;
    for (const Article& a : m_articles)
        for (const std::string& keyword : m_topics[a.topic].keywords)
            index.add(keyword, a.number);
    index.sort();
    writer.setKeywords(std::move(index));
}

} // namespace tolvane::authoring
