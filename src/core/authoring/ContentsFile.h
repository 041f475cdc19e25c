// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/authoring/BuildMessages.h"

#include <string>
#include <vector>

namespace tolvane::authoring {

// A contents file (.cnt), one entry a line:
//   :Base file, :Title text, :Index, :Link, :Include ...  options (":Include"
//                                                          is reported, not followed)
//   N Heading                                    a folder heading at level N
//   N Title=topic_id[@file][>window]             an article heading at level N
// Levels start at 1.
class ContentsFile {
public:
    struct Entry {
        int level = 1;
        std::string title;      // Windows-1252
        std::string topic;      // empty for a folder heading
        bool otherFile = false; // the topic was named with @file
        int line = 0;
    };

    bool load(const std::string& path, BuildMessages& messages);
    void parse(const std::string& text, const std::string& file, BuildMessages& messages);

    const std::string& path() const { return m_path; }
    const std::string& title() const { return m_title; }
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    std::string m_path;
    std::string m_title;
    std::vector<Entry> m_entries;
};

} // namespace tolvane::authoring
