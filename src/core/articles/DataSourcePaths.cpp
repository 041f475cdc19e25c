// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/DataSourcePaths.h"

#include "core/common/PathResolver.h"

namespace tolvane {

DataSourcePaths DataSourcePaths::fromBase(const std::string& base) {
    DataSourcePaths p;
    p.pgh = PathResolver::fileOfBase(base, ".PGH");
    p.pgd = PathResolver::fileOfBase(base, ".PGD");
    p.pgl = PathResolver::fileOfBase(base, ".PGL");
    p.fic = PathResolver::fileOfBase(base, ".FIC");
    p.pgk = PathResolver::fileOfBase(base, ".PGK");
    return p;
}

} // namespace tolvane
