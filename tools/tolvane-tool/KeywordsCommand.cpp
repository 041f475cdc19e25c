// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/articles/DataSourcePaths.h"
#include "core/articles/KeywordIndex.h"
#include "core/common/Cp1252.h"

#include <ostream>

namespace tolvane::tool {

int RunKeywords(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return OnDataSource(args, err, "keywords", [&](const DataSourcePaths& paths) -> int {
        KeywordIndex keywords;
        const KeywordIndex::ReadStatus status = KeywordIndex::read(paths.pgk, keywords);
        if (status == KeywordIndex::ReadStatus::Absent ||
            status == KeywordIndex::ReadStatus::Unreadable)
            return CannotOpen(err, "keywords", paths.pgk);
        for (const KeywordEntry& e : keywords.entries()) {
            out << cp1252::toUtf8(e.keyword) << '\t';
            for (size_t k = 0; k < e.articles.size(); ++k)
                out << (k ? " " : "") << e.articles[k];
            out << '\n';
        }
        if (status == KeywordIndex::ReadStatus::Damaged) {
            err << "tolvane-tool keywords : " << paths.pgk << " endommagé, " << keywords.size()
                << " mot(s)-clé(s) lisible(s)\n";
            return kNotFound;
        }
        return kOk;
    });
}

namespace {
const CommandRegistration registration{
    {45, "keywords", "liste les mots-clés de l'index .PGK",
     "Usage : tolvane-tool keywords BASE\n\n"
     "Une ligne par mot-clé, dans l'ordre alphabétique français : MOT-CLÉ, une\n"
     "tabulation, puis les numéros de ses articles séparés par des espaces.\n"
     "Code 1 quand le .PGK n'existe pas ou est endommagé (les mots-clés lisibles\n"
     "sont affichés).\n",
     RunKeywords}};
} // namespace

} // namespace tolvane::tool
