// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A generated .FIC outline shared by the outline benchmarks: parts of
// chapters of sections of article headings, with one record in ten placed
// beside an earlier node, and titles of 20 to 60 characters.

#include "core/articles/OutlineRecord.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tolvane::bench {

inline std::string GenerateOutline(int records) {
    static const char* const kWords[] = {"fen\xEAtres",
                                         "donn\xE9"
                                         "es",
                                         "recherche",
                                         "sommaire",
                                         "annotations",
                                         "impression",
                                         "r\xE9glages",
                                         "liens",
                                         "historique",
                                         "signets",
                                         "affichage",
                                         "fichiers"};
    std::string bytes;
    bytes.reserve(static_cast<size_t>(records + 1) * OutlineRecord::kSize);
    std::string part, chapter, section, lastArticle;
    for (int i = 0; i < records; ++i) {
        OutlineRecord r;
        r.nodeKey = "k" + std::to_string(i);
        const std::string words = std::string(kWords[i % 12]) + " et " + kWords[(i / 12) % 12];
        if (i % 1000 == 0) {
            r.title = "Partie " + std::to_string(i / 1000) + " : " + words;
            r.referenceKey = "0";
            part = r.nodeKey;
            chapter = section = lastArticle = "";
        } else if (i % 50 == 0) {
            r.title = "Chapitre " + std::to_string(i / 50) + " : les " + words;
            r.referenceKey = part;
            chapter = r.nodeKey;
            section = lastArticle = "";
        } else if (i % 10 == 0 || section.empty()) {
            r.title = "Section " + std::to_string(i / 10) + " : " + words;
            r.referenceKey = chapter.empty() ? part : chapter;
            section = r.nodeKey;
            lastArticle = "";
        } else if (i % 10 == 9 && !lastArticle.empty()) {
            r.title = "Voir aussi : " + words + " (" + std::to_string(i) + ")";
            r.referenceKey = lastArticle;
            r.placement = OutlineRecord::kPlacementBeside;
            r.article = i + 1;
        } else {
            r.title = "Utiliser les " + words + " dans l'application, cas " + std::to_string(i);
            r.referenceKey = section;
            r.article = i + 1;
            lastArticle = r.nodeKey;
        }
        bytes += r.encode();
    }
    bytes += OutlineRecord{"", "", "", 0, 0, 0}.encode();
    return bytes;
}

// The outline written to a temporary file for the length of the program.
class OutlineFile {
public:
    explicit OutlineFile(int records) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tolvane-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return;
        m_dir = pattern;
        const std::string bytes = GenerateOutline(records);
        const std::string path = m_dir + "/BENCH.FIC";
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            if (std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size())
                m_path = path;
            std::fclose(f);
        }
    }
    ~OutlineFile() {
        std::error_code ec;
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir, ec);
    }
    OutlineFile(const OutlineFile&) = delete;
    OutlineFile& operator=(const OutlineFile&) = delete;

    // Empty when the file could not be written.
    const std::string& path() const { return m_path; }

private:
    std::string m_dir;
    std::string m_path;
};

} // namespace tolvane::bench
