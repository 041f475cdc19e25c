// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/DataSourceWriter.h"
#include "core/authoring/BuildMessages.h"
#include "core/authoring/ContentsFile.h"
#include "core/authoring/HelpProject.h"
#include "core/authoring/TopicIdTable.h"
#include "core/authoring/TopicParser.h"

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace tolvane::authoring {

// Turns help-project sources into a data source.
//
// Article numbers: the home topic (CONTENTS= of the project, else the first
// topic) is article 1; topics given a number by the project's [MAP] keep it;
// the others take the next free numbers from 2 in order of appearance.
// A topic reached only through popup links (and not in the contents) is a
// popup article titled "#POPUP:" + its title. The outline comes from the
// contents file, else it lists the non-popup topics in order. The keyword
// index gathers the topics' `K` footnotes.
class DataSourceBuilder {
public:
    explicit DataSourceBuilder(BuildMessages& messages) : m_messages(messages) {}

    // A source: a project (.hpj), a contents file (.cnt) or a topic file
    // (any other name). Without a .cnt, a project's CNT= or a .cnt of the
    // project's name beside it is used.
    void addSource(const std::string& path);
    // A further folder where bitmaps are looked for (after the project's).
    void addBitmapFolder(const std::string& folder) { m_bitmapFolders.push_back(folder); }
    // Topic file bytes given in memory (tests, benchmark); the bytes must
    // stay alive until build() returns.
    void addTopicText(const std::string& name, std::string_view rtf);
    // Whether the topics' links keep their hot text (checks of the numbering).
    void setKeepHotText(bool keep) { m_keepHotText = keep; }
    // Reads every source and fills writer; false when errors were reported.
    bool build(DataSourceWriter& writer);

    struct Article {
        ArticleNumber number = 0;
        size_t topic = 0;
        bool popup = false;
        std::string title;
        std::vector<LinkRecord> links;
    };
    // After build(), the bodies of the written topics belong to the writer.
    const std::vector<SourceTopic>& topics() const { return m_topics; }
    const std::vector<Article>& articles() const { return m_articles; }

private:
    void readTopicFiles();
    bool picture(const std::string& name, const std::string& fromFile, std::string& pict);
    // The topic of an id (aliases followed), or -1.
    long findTopic(const std::string& id) const;
    void number();
    void resolveLinks();
    void outline(DataSourceWriter& writer);
    // The topics' keywords, in the order of the articles written.
    void keywords(DataSourceWriter& writer);

    BuildMessages& m_messages;
    std::unique_ptr<HelpProject> m_project;
    std::unique_ptr<ContentsFile> m_contents;
    std::vector<std::string> m_topicFiles;
    std::vector<std::string> m_bitmapFolders;
    std::vector<std::pair<std::string, std::string_view>> m_topicTexts;
    std::vector<SourceTopic> m_topics;
    // Topic ids compare without regard to case (Windows-1252 case pairs).
    struct NoCaseHash {
        size_t operator()(const std::string& s) const;
    };
    struct NoCaseEqual {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    TopicIdTable m_ids;
    std::unordered_map<std::string, std::string, NoCaseHash, NoCaseEqual> m_aliases;
    std::unordered_map<std::string, std::string> m_pictureCache; // name key -> RTF ("" = none)
    std::vector<ArticleNumber> m_numbers;                        // per topic; 0 = not written
    std::vector<Article> m_articles;
    bool m_keepHotText = false;
};

} // namespace tolvane::authoring
