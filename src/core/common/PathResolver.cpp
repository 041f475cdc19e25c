// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/PathResolver.h"

#include "core/common/Cp1252.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace tolvane {
namespace {

bool entryExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Finds the real spelling of name inside dir ("" = current directory, else
// ending in '/'); empty when there is none.
std::string findInDirectory(const std::string& dir, const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return name;
    if (entryExists(dir + name))
        return name;
    std::vector<std::string> names;
    if (!PathResolver::listDirectory(dir, names))
        return {};
    const std::string key = PathResolver::nameKey(name);
    for (const std::string& candidate : names) {
        if (PathResolver::nameKey(candidate) == key)
            return candidate;
    }
    return {};
}

} // namespace

std::string PathResolver::nameKey(const std::string& name) {
    return cp1252::toUpper(cp1252::fromUtf8(name));
}

bool PathResolver::listDirectory(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return false;
    while (const dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..")
            names.push_back(n);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return true;
}

std::string PathResolver::directoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string PathResolver::fileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PathResolver::resolve(const std::string& path) {
    std::string out;
    size_t pos = 0;
    if (!path.empty() && path[0] == '/') {
        out = "/";
        pos = 1;
    }
    bool found = true;
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string component = path.substr(pos, slash - pos);
        if (found && !component.empty()) {
            const std::string real = findInDirectory(out, component);
            if (real.empty())
                found = false;
            out += real.empty() ? component : real;
        } else {
            out += component;
        }
        if (slash < path.size())
            out += '/';
        pos = slash + 1;
    }
    return out;
}

bool PathResolver::exists(const std::string& path) {
    if (path.empty())
        return false;
    return entryExists(resolve(path));
}

std::string PathResolver::fileOfBase(const std::string& base, const std::string& ext) {
    const std::string wanted = resolve(base + ext);
    if (entryExists(wanted))
        return wanted;
    const std::string dir = resolve(directoryOf(base));
    std::string stem = fileNameOf(base);
    std::vector<std::string> names;
    if (!stem.empty() && listDirectory(dir, names)) {
        const std::string stemKey = nameKey(stem);
        std::string variant;
        for (const std::string& n : names) {
            const size_t dot = n.rfind('.');
            if (dot == std::string::npos || dot == 0)
                continue;
            const std::string candidate = n.substr(0, dot);
            if (candidate == stem) {
                // A sibling spelled as given wins over its case variants.
                variant.clear();
                break;
            }
            if (variant.empty() && nameKey(candidate) == stemKey)
                variant = candidate;
        }
        if (!variant.empty())
            stem = variant;
    }
    return dir + stem + ext;
}

} // namespace tolvane
