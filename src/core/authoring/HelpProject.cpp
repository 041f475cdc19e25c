// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/HelpProject.h"

#include "core/authoring/Trim.h"
#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/common/PathResolver.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <sys/stat.h>

namespace tolvane::authoring {

namespace {

std::string Upper(const std::string& s) {
    return cp1252::toUpper(s);
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ParseNumber(const std::string& text, int64_t& value) {
    std::string t = Trim(text);
    if (t.empty())
        return false;
    int base = 10;
    size_t i = 0;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        i = 2;
    }
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(t[i])));
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c == 'l' || c == 'u')
            break; // C suffixes
        if (d < 0)
            return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFLL)
            return false;
    }
    value = v;
    return true;
}

std::string StripComment(const std::string& line) {
    std::string out;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        if (!quoted && line[i] == ';')
            break;
        if (!quoted && line[i] == '/' && i + 1 < line.size() && line[i + 1] == '/')
            break;
        out += line[i];
    }
    return out;
}

} // namespace

std::string HelpProject::nativePath(const std::string& base, const std::string& written) {
    std::string p = Trim(written);
    if (p.size() >= 2 && p.front() == '"' && p.back() == '"')
        p = p.substr(1, p.size() - 2);
    if (p.size() >= 2 && p.front() == '<' && p.back() == '>')
        p = p.substr(1, p.size() - 2);
    std::replace(p.begin(), p.end(), '\\', '/');
    if ((p.size() >= 2 && p[1] == ':') || (!p.empty() && p[0] == '/'))
        return std::string();
    if (base.empty())
        return p;
    return base.back() == '/' ? base + p : base + "/" + p;
}

std::string HelpProject::findIn(const std::vector<std::string>& folders, const std::string& name) {
    for (const std::string& folder : folders) {
        const std::string candidate = nativePath(folder, name);
        if (candidate.empty())
            continue;
        if (PathResolver::exists(candidate)) {
            const std::string resolved = PathResolver::resolve(candidate);
            if (!IsDirectory(resolved))
                return resolved;
        }
    }
    return std::string();
}

bool HelpProject::load(const std::string& path, BuildMessages& messages) {
    m_path = path;
    std::string dir = PathResolver::directoryOf(path);
    if (dir.empty())
        dir = "./";
    m_folder = dir;
    std::string text;
    if (!InputFile::readAll(path, text)) {
        messages.error(path, 0, "impossible de lire le projet");
        return false;
    }
    std::istringstream in(text);
    std::string raw, section;
    int line = 0;
    std::vector<std::string> roots, bitmapRoots;
    std::vector<std::pair<int, std::string>> mapLines;
    while (std::getline(in, raw)) {
        ++line;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        const std::string trimmed = Trim(raw);
        if (!trimmed.empty() && trimmed[0] == '[') {
            const size_t close = trimmed.find(']');
            section = Upper(
                trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            continue;
        }
        if (section == "MAP") {
            mapLines.emplace_back(line, raw);
            continue;
        }
        const std::string l = Trim(StripComment(raw));
        if (l.empty())
            continue;
        if (section == "OPTIONS") {
            const size_t eq = l.find('=');
            if (eq == std::string::npos)
                continue;
            const std::string key = Upper(Trim(l.substr(0, eq)));
            const std::string value = Trim(l.substr(eq + 1));
            if (key == "CONTENTS")
                m_contents = value;
            else if (key == "TITLE")
                m_title = value;
            else if (key == "CNT")
                m_cnt = value;
            else if (key == "ROOT" || key == "BMROOT") {
                std::string item;
                std::istringstream list(value);
                while (std::getline(list, item, ',')) {
                    item = Trim(item);
                    if (item.empty())
                        continue;
                    const std::string native = nativePath(dir, item);
                    if (native.empty() || !PathResolver::exists(native)) {
                        messages.warning(path, line,
                                         "dossier " + key +
                                             " introuvable, ignoré : " + cp1252::toUtf8(item));
                        continue;
                    }
                    (key == "ROOT" ? roots : bitmapRoots).push_back(PathResolver::resolve(native));
                }
            }
        } else if (section == "FILES") {
            m_files.push_back(l);
        } else if (section == "ALIAS") {
            const size_t eq = l.find('=');
            if (eq != std::string::npos)
                m_aliases.emplace_back(Trim(l.substr(0, eq)), Trim(l.substr(eq + 1)));
        }
    }
    roots.push_back(dir);
    m_roots = roots;
    bitmapRoots.insert(bitmapRoots.end(), roots.begin(), roots.end());
    m_bitmapRoots = bitmapRoots;
    for (const auto& [number, mapLine] : mapLines)
        readMap(mapLine, path, messages, 0, number);
    return true;
}

void HelpProject::readMap(const std::string& text, const std::string& file, BuildMessages& messages,
                          int depth, int firstLine) {
    std::istringstream in(text);
    std::string raw;
    int line = firstLine - 1;
    while (std::getline(in, raw)) {
        ++line;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        std::string l = Trim(StripComment(raw));
        if (l.empty())
            continue;
        if (l.rfind("#include", 0) == 0) {
            const std::string name = Trim(l.substr(8));
            std::vector<std::string> folders{PathResolver::directoryOf(file).empty()
                                                 ? std::string("./")
                                                 : PathResolver::directoryOf(file)};
            folders.insert(folders.end(), m_roots.begin(), m_roots.end());
            std::string found =
                nativePath("", name).empty() ? std::string() : findIn(folders, name);
            if (found.empty()) {
                // A path of the author's machine: the header may sit beside
                // the project under its bare name.
                std::string bare = name;
                std::replace(bare.begin(), bare.end(), '\\', '/');
                bare = PathResolver::fileNameOf(
                    nativePath("", bare).empty() ? bare : nativePath("", bare));
                while (!bare.empty() && (bare.back() == '>' || bare.back() == '"'))
                    bare.pop_back();
                folders.push_back(m_folder);
                found = findIn(folders, bare);
            }
            std::string bytes;
            if (found.empty() || depth > 8 || !InputFile::readAll(found, bytes)) {
                messages.warning(file, line,
                                 "fichier inclus introuvable, ignoré : " + cp1252::toUtf8(name));
                continue;
            }
            readMap(bytes, found, messages, depth + 1);
            continue;
        }
        if (l.rfind("#define", 0) == 0)
            l = Trim(l.substr(7));
        else if (l[0] == '#')
            continue;
        std::string id, number;
        const size_t eq = l.find('=');
        if (eq != std::string::npos) {
            id = Trim(l.substr(0, eq));
            number = Trim(l.substr(eq + 1));
        } else {
            size_t sp = 0;
            while (sp < l.size() && !std::isspace(static_cast<unsigned char>(l[sp])))
                ++sp;
            id = l.substr(0, sp);
            number = Trim(l.substr(sp));
        }
        int64_t value = 0;
        if (id.empty() || !ParseNumber(number, value)) {
            messages.warning(file, line,
                             "ligne de correspondance illisible : " + cp1252::toUtf8(l));
            continue;
        }
        m_map.push_back({id, value, file, line});
    }
}

} // namespace tolvane::authoring
