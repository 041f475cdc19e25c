// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/authoring/BuildMessages.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::authoring {

// A help project file (.hpj): an INI-like text with sections.
//   [OPTIONS]  CONTENTS=home topic id, TITLE=, ROOT= and BMROOT= folders
//              (relative to the project; several lines or ';'/',' lists),
//              CNT= the contents file
//   [FILES]    topic files, one a line
//   [MAP]      "id number", "#define id number", "id=number" (decimal or
//              0x hexadecimal) and "#include file" of .hm headers in the
//              same forms
//   [ALIAS]    "id = other_id": links to id go to other_id
// Comments start with ';' (anywhere) or "//" (in map headers). Paths are
// written with '\' and named case-insensitively; absolute Windows paths
// cannot be followed and are reported.
class HelpProject {
public:
    struct MapEntry {
        std::string id; // Windows-1252
        int64_t number = 0;
        std::string file;
        int line = 0;
    };

    // Reads the project; false when the file cannot be read (reported).
    bool load(const std::string& path, BuildMessages& messages);
    // Reads a map header's lines into the map (used for #include).
    void readMap(const std::string& text, const std::string& file, BuildMessages& messages,
                 int depth, int firstLine = 1);

    const std::string& path() const { return m_path; }
    const std::string& folder() const { return m_folder; }
    const std::string& contentsTopic() const { return m_contents; }
    const std::string& title() const { return m_title; }
    const std::string& contentsFile() const { return m_cnt; }
    const std::vector<std::string>& files() const { return m_files; }
    const std::vector<MapEntry>& map() const { return m_map; }
    const std::vector<std::pair<std::string, std::string>>& aliases() const { return m_aliases; }
    // The folders topic files and bitmaps are looked for in, existing ones
    // only, the project's folder last.
    const std::vector<std::string>& roots() const { return m_roots; }
    const std::vector<std::string>& bitmapRoots() const { return m_bitmapRoots; }

    // A file named in the project, found case-insensitively in the given
    // folders; empty when absent.
    static std::string findIn(const std::vector<std::string>& folders, const std::string& name);
    // Turns a project's path text ('\' separators) into a native one
    // relative to base; empty for an absolute Windows path.
    static std::string nativePath(const std::string& base, const std::string& written);

private:
    std::string m_path;
    std::string m_folder;
    std::string m_contents;
    std::string m_title;
    std::string m_cnt;
    std::vector<std::string> m_files;
    std::vector<MapEntry> m_map;
    std::vector<std::pair<std::string, std::string>> m_aliases;
    std::vector<std::string> m_roots;
    std::vector<std::string> m_bitmapRoots;
};

} // namespace tolvane::authoring
