// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/articles/ArticleRecords.h"
#include "core/articles/DataSourcePaths.h"
#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"

#include <ostream>
#include <unordered_set>
#include <vector>

namespace tolvane::tool {

const char* const kUsageText =
    "Usage : tolvane-tool index BASE\n\n"
    "Une ligne par entrée du .PGH dans l'ordre du fichier :\n"
    "NUMÉRO OFFSET_PGD OFFSET_PGL NOMBRE_DE_LIENS, puis «articles: N».\n";

int RunIndex(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return OnDataSource(args, err, "index", [&](const DataSourcePaths& paths) -> int {
        InputFile pgh;
        if (!pgh.open(paths.pgh))
            return CannotOpen(err, "index", paths.pgh);
        std::unordered_set<int32_t> numbers;
        // Whole entries only, read a block at a time: a final fragment is no entry.
        std::vector<unsigned char> block(4096 * kIndexEntrySize);
        uint64_t offset = 0;
        for (;;) {
            const size_t got = pgh.readAt(offset, block.data(), block.size());
            for (size_t at = 0; at + kIndexEntrySize <= got; at += kIndexEntrySize) {
                const unsigned char* e = block.data() + at;
                const int32_t number = loadI32LE(e);
                numbers.insert(number);
                out << number << ' ' << loadU32LE(e + 4) << ' ' << loadU32LE(e + 8) << ' '
                    << loadU32LE(e + 12) << '\n';
            }
            offset += got - got % kIndexEntrySize;
            if (got < block.size())
                break;
        }
        return CountLine(out, "articles", numbers.size());
    });
}

const CommandRegistration registration{
    {20, "index", "liste les entrées de l'index .PGH", kUsageText, RunIndex}};

} // namespace tolvane::tool
