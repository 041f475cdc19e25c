// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tolvane {

// The files of a data source (the four it needs and the optional keyword
// index), as native paths resolved on disk.
struct DataSourcePaths {
    std::string pgh; // article index
    std::string pgd; // titles and bodies
    std::string pgl; // link tables
    std::string fic; // outline
    std::string pgk; // keyword index (optional)

    // Resolves the files of base (native path without extension)
    // case-insensitively; a file that does not exist keeps the upper-case
    // extension.
    static DataSourcePaths fromBase(const std::string& base);
};

} // namespace tolvane
