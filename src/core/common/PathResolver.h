// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace tolvane {

// Data sources and per-user files are named the way a case-insensitive file
// system named them: users and authors write GUIDE for Guide.pgd. Paths here
// are native (UTF-8) strings; names compare by their Windows-1252 upper-case
// form, so "été" matches "ÉTÉ".
class PathResolver {
public:
    // The path with every component that exists on disk replaced by its real
    // spelling, one component at a time; components from the first one that
    // cannot be found on are kept as given. A component that exists with the
    // exact spelling is preferred; among several case variants the first by
    // byte order wins, so the choice does not depend on the directory order.
    static std::string resolve(const std::string& path);

    // The file of a base (path without extension) with the extension ext
    // (".PGD", ".NOT", ...). An existing file is found case-insensitively.
    // For a file that does not exist yet, the directory is resolved and the
    // base name takes the spelling of another existing file of the same base
    // in that directory when there is one (a sibling spelled as given first),
    // so Guide.NOT is created beside Guide.pgd; the extension is written as
    // given.
    static std::string fileOfBase(const std::string& base, const std::string& ext);

    // Whether path names an existing entry, found case-insensitively.
    static bool exists(const std::string& path);

    // Upper-case comparison key of one file name.
    static std::string nameKey(const std::string& name);

    // Names of the entries of a directory ("" means the current directory),
    // sorted by byte order; false when it cannot be read.
    static bool listDirectory(const std::string& dir, std::vector<std::string>& names);

    // Directory part (with its trailing '/') and last component of a path.
    static std::string directoryOf(const std::string& path);
    static std::string fileNameOf(const std::string& path);
};

} // namespace tolvane
