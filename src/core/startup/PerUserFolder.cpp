// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/PerUserFolder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace tolvane {

namespace {

// The XDG folder of variable xdg, else home + fallback, each only when
// absolute (a relative value is ignored), with "/tolvane" added.
std::string xdgFolder(const char* xdg, const char* home, const char* fallback) {
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/tolvane";
    if (home != nullptr && home[0] == '/')
        return std::string(home) + fallback + "/tolvane";
    return {};
}

} // namespace

std::string PerUserFolder(const char* xdgDataHome, const char* home) {
    return xdgFolder(xdgDataHome, home, "/.local/share");
}

std::string ConfigFolder(const char* xdgConfigHome, const char* home) {
    return xdgFolder(xdgConfigHome, home, "/.config");
}

std::string ConfigFolder() {
    return ConfigFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string PerUserFolder() {
    return PerUserFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

bool MakePerUserFolder(const std::string& folder) {
    if (folder.empty() || folder[0] != '/')
        return false;
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace tolvane
