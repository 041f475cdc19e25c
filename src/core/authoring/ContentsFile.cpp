// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/ContentsFile.h"

#include "core/authoring/Trim.h"
#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"

#include <cctype>
#include <sstream>

namespace tolvane::authoring {

bool ContentsFile::load(const std::string& path, BuildMessages& messages) {
    std::string text;
    if (!InputFile::readAll(path, text)) {
        messages.error(path, 0, "impossible de lire le sommaire");
        return false;
    }
    parse(text, path, messages);
    return true;
}

void ContentsFile::parse(const std::string& text, const std::string& file,
                         BuildMessages& messages) {
    m_path = file;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        const std::string l = Trim(raw);
        if (l.empty() || l[0] == ';' || l == "\x1A")
            continue;
        if (l[0] == ':') {
            std::string key = l.substr(1, l.find_first_of(" \t") - 1);
            const std::string value = l.find_first_of(" \t") == std::string::npos
                                          ? ""
                                          : Trim(l.substr(l.find_first_of(" \t")));
            key = cp1252::toUpper(key);
            if (key == "TITLE")
                m_title = value;
            else if (key == "INCLUDE")
                messages.warning(file, line,
                                 "sommaire inclus non suivi : " + cp1252::toUtf8(value));
            continue;
        }
        size_t i = 0;
        int level = 0;
        while (i < l.size() && std::isdigit(static_cast<unsigned char>(l[i])) && level < 1000)
            level = level * 10 + (l[i++] - '0');
        if (i == 0 || level < 1) {
            messages.warning(file, line, "ligne de sommaire illisible : " + cp1252::toUtf8(l));
            continue;
        }
        Entry e;
        e.level = level;
        e.line = line;
        std::string rest = Trim(l.substr(i));
        // The first '=' not escaped as "\=" separates the title from the topic.
        size_t eq = std::string::npos;
        std::string title;
        for (size_t k = 0; k < rest.size(); ++k) {
            if (rest[k] == '\\' && k + 1 < rest.size() && rest[k + 1] == '=') {
                title += '=';
                ++k;
                continue;
            }
            if (rest[k] == '=') {
                eq = k;
                break;
            }
            title += rest[k];
        }
        e.title = Trim(title);
        if (eq != std::string::npos) {
            std::string topic = Trim(rest.substr(eq + 1));
            const size_t at = topic.find_first_of("@>");
            if (at != std::string::npos) {
                e.otherFile = topic[at] == '@';
                topic = Trim(topic.substr(0, at));
            }
            e.topic = topic;
            if (topic.empty()) {
                messages.warning(file, line, "entrée sans topique : " + cp1252::toUtf8(l));
                continue;
            }
        }
        m_entries.push_back(std::move(e));
    }
}

} // namespace tolvane::authoring
