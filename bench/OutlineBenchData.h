// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A generated .FIC outline shared by the outline benchmarks: parts of
// chapters of sections of article headings, with one record in ten placed
// beside an earlier node, and titles of 20 to 60 characters.

#include "core/articles/OutlineRecord.h"
#include "core/common/Cp1252.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tolvane::bench {

inline std::string GenerateOutline(int records) {
    // Titles are Windows-1252, as in the file.
    static const std::string kWords[] = {cp1252::fromUtf8("fenêtres"),
                                         cp1252::fromUtf8("données"),
                                         "recherche",
                                         "sommaire",
                                         "annotations",
                                         "impression",
                                         cp1252::fromUtf8("réglages"),
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
        const std::string words = kWords[i % 12] + " et " + kWords[(i / 12) % 12];
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

// The outline the outline benchmarks load.
constexpr int kOutlineRecords = 100000;

// The path of that outline, written once for the program; empty when it
// could not be written.
inline const std::string& SharedOutlinePath() {
    static const OutlineFile file(kOutlineRecords);
    return file.path();
}

// The same, with the benchmark marked as failed when it is empty.
inline std::string OutlinePath(benchmark::State& state) {
    const std::string& path = SharedOutlinePath();
    if (path.empty())
        state.SkipWithError("the outline could not be written");
    return path;
}

// Reports the outline's records handled per second under the given name.
inline void SetRecordRate(benchmark::State& state, const char* counter) {
    state.counters[counter] = benchmark::Counter(static_cast<double>(kOutlineRecords) *
                                                     static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}

} // namespace tolvane::bench
