// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/DataSourceLocation.h"

#include "core/common/Cp1252.h"
#include "core/common/PathResolver.h"
#include "core/startup/StartupSettings.h"

#include <sys/stat.h>
#include <vector>

namespace tolvane {
namespace {

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

std::string FindDataSource(const std::string& exePath) {
    return FindDataSourceIn(PathResolver::directoryOf(exePath));
}

std::string FindDataSourceIn(const std::string& dirNative) {
    std::vector<std::string> names;
    if (!PathResolver::listDirectory(dirNative, names))
        return {};
    for (const std::string& name : names) {
        const std::string upper = PathResolver::nameKey(name);
        if (upper.size() > 4 && endsWith(upper, ".PGD") && isRegularFile(dirNative + name)) {
            const std::string dir = cp1252::toUpper(cp1252::fromUtf8(dirNative));
            // The extension is the final ".PGD"; an earlier one belongs to the name.
            return dir + upper.substr(0, upper.size() - 4);
        }
    }
    return {};
}

std::string InstalledDataDirectory(const std::string& exePath) {
    // Components are applied to the executable's folder one at a time, so
    // "../share/tolvane" from /usr/bin/ gives /usr/share/tolvane/ and the
    // base shown in titles and messages carries no "..".
    std::vector<std::string> parts;
    const std::string dir = PathResolver::directoryOf(exePath);
    if (dir.empty() || dir[0] != '/')
        return {};
    const std::string relative = TOLVANE_DATA_FROM_BIN;
    for (const std::string* text : {&dir, &relative}) {
        size_t pos = 0;
        while (pos <= text->size()) {
            size_t slash = text->find('/', pos);
            if (slash == std::string::npos)
                slash = text->size();
            const std::string part = text->substr(pos, slash - pos);
            if (part == "..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            pos = slash + 1;
        }
    }
    std::string out = "/";
    for (const std::string& part : parts)
        out += part + "/";
    return out;
}

bool DataSourceMissing(const std::string& base) {
    const std::string native = cp1252::toUtf8(base);
    bool missing = false;
    for (const char* ext : {".FIC", ".PGH", ".PGD", ".PGL"}) {
        if (!PathResolver::exists(native + ext))
            missing = true;
    }
    return missing;
}

std::string WindowTitle(const std::string& titleOverride, const std::string& dataSource) {
    if (!titleOverride.empty())
        return titleOverride;
    const std::string s = cp1252::toUpper(dataSource);
    auto has = [&s](const char* code) { return s.find(code) != std::string::npos; };
    if (has("KORVA"))
        return "Aide Korvaline";
    if (has("MELDRU"))
        return "Aide Meldo Trusane";
    if (has("MELD"))
        return "Aide Meldo";
    if (has("VORNI"))
        return "Aide Vornel";
    if (has("SALDE"))
        return has("TRU") ? "Aide Saldeno Trusane" : "Aide Saldeno";
    if (has("PLIVE"))
        return "Aide Plivenne";
    if (has("GOSKA"))
        return "Aide Goskarel";
    if (has("DAVRO") || has("ELUNA"))
        return "Aide Davro/Eluna";
    return "Aide";
}

std::string WindowTitle(const StartupSettings& settings) {
    return WindowTitle(settings.strTitleOverride, settings.strDataSource);
}

std::string MakeInstanceClassName(const std::string& value) {
    std::string q = "AAAAAAAAAA";
    for (const char c : value) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            q += c;
    }
    return q.substr(q.size() - 10);
}

std::string ResolvedBase(const std::string& base) {
    const std::string native = cp1252::toUtf8(base);
    // The data-source files name the base, whatever other file of the same
    // stem (GUIDE.txt beside Guide.pgd) sorts before them.
    for (const char* ext : {".PGD", ".PGH", ".PGL", ".FIC"}) {
        const std::string file = PathResolver::resolve(native + ext);
        if (!native.empty() && isRegularFile(file))
            return file.substr(0, file.size() - 4);
    }
    return PathResolver::fileOfBase(native, "");
}

} // namespace tolvane
