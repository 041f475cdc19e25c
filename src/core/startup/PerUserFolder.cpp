// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/PerUserFolder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace tolvane {

std::string PerUserFolder(const char* xdgDataHome, const char* home) {
    // XDG_DATA_HOME must be absolute; a relative value is ignored.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/')
        return std::string(xdgDataHome) + "/tolvane";
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.local/share/tolvane";
    return {};
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
