// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/DataSourceWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

// Builds a realistic data source in memory: French help text with accents,
// bold and italic runs, paragraphs, links to other articles and to popup
// notes, and an outline of parts, chapters and article headings over every
// non-popup article. The result depends only on the options.
struct GeneratorOptions {
    int32_t articles = 100;
    uint64_t seed = 1;
    // Average size of a body in bytes of RTF.
    uint32_t averageBodyBytes = 5000;
    // One article in popupEvery is a popup note (article 1 never is).
    int32_t popupEvery = 10;
};

class DataSourceGenerator {
public:
    explicit DataSourceGenerator(const GeneratorOptions& options) : m_options(options) {}

    // Fills writer with the articles and the outline.
    void generate(DataSourceWriter& writer);

    // Whether article n is generated as a popup note.
    bool isPopup(int32_t n) const;

    // A word that no generated title or text contains, for searches that
    // must read every body.
    static const char* absentWord() { return "zygomorphe"; }
    // A word that every generated body contains and no title does.
    static const char* bodyOnlyWord() { return "paragraphe"; }

private:
    uint64_t next();
    uint32_t below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(next() % n); }
    // One of the words, drawn with below().
    const std::string& pick(const std::vector<std::string>& words) {
        return words[below(static_cast<uint32_t>(words.size()))];
    }

    GeneratorOptions m_options;
    uint64_t m_state = 0;
};

} // namespace tolvane
