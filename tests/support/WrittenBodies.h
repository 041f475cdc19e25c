// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/DataSourceWriter.h"
#include "core/common/LittleEndian.h"

#include <map>
#include <string>

namespace tolvane::test {

// The body of each article a writer holds, by number, read back from its
// .PGH and .PGD bytes as they would be written.
inline std::map<ArticleNumber, std::string> WrittenBodies(const DataSourceWriter& writer) {
    std::map<ArticleNumber, std::string> bodies;
    const std::string pgh = writer.pghBytes();
    const std::string pgd = writer.pgdBytes();
    const auto* d = reinterpret_cast<const unsigned char*>(pgd.data());
    for (size_t at = 0; at + kIndexEntrySize <= pgh.size(); at += kIndexEntrySize) {
        const auto* e = reinterpret_cast<const unsigned char*>(pgh.data()) + at;
        size_t offset = loadU32LE(e + 4);
        if (offset + 4 > pgd.size())
            continue;
        offset += 4 + loadU32LE(d + offset); // the title
        if (offset + 4 > pgd.size())
            continue;
        const size_t length = loadU32LE(d + offset);
        bodies[loadI32LE(e)] = pgd.substr(offset + 4, length);
    }
    return bodies;
}

} // namespace tolvane::test
