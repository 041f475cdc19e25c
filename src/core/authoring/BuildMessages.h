// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace tolvane::authoring {

// The errors and warnings of a build, each naming the source file and line
// (0 when the message is about a topic or the whole project).
struct BuildMessage {
    enum class Severity { Warning, Error };
    Severity severity = Severity::Error;
    std::string file;
    int line = 0;
    std::string text; // UTF-8

    // "file:line: erreur : text" (or "avertissement").
    std::string format() const;
};

class BuildMessages {
public:
    void error(const std::string& file, int line, const std::string& text) {
        m_list.push_back({BuildMessage::Severity::Error, file, line, text});
    }
    void warning(const std::string& file, int line, const std::string& text) {
        m_list.push_back({BuildMessage::Severity::Warning, file, line, text});
    }
    const std::vector<BuildMessage>& list() const { return m_list; }
    size_t errorCount() const;
    size_t warningCount() const { return m_list.size() - errorCount(); }

private:
    std::vector<BuildMessage> m_list;
};

} // namespace tolvane::authoring
