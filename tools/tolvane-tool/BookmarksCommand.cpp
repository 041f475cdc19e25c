// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/common/Cp1252.h"
#include "core/common/PathResolver.h"
#include "core/stores/BookmarkFile.h"

#include <ostream>

namespace tolvane::tool {

const char* const kUsageText =
    "Usage : tolvane-tool bookmarks USERBASE\n\n"
    "USERBASE est la base des fichiers de l'utilisateur (ou son .NOT, .NO$ ou .SIG).\n"
    "Une ligne ARTICLE NOM (en UTF-8) par signet dans l'ordre du fichier,\n"
    "puis «bookmarks: N».\n"
    "Code 1 quand le fichier n'existe pas.\n";

int RunBookmarks(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-')
        return UsageError(err, "bookmarks");
    const std::string path = PathResolver::fileOfBase(UserBaseArgument(args[0]), ".SIG");
    if (!PathResolver::exists(path))
        return CannotOpen(err, "bookmarks", path);
    const std::vector<BookmarkRow> rows = BookmarkFile::LoadBookmarks(path);
    for (const BookmarkRow& row : rows)
        out << row.article << ' ' << cp1252::toUtf8(row.name) << '\n';
    return CountLine(out, "bookmarks", rows.size());
}

const CommandRegistration registration{
    {70, "bookmarks", "liste les signets du fichier .SIG", kUsageText, RunBookmarks}};

} // namespace tolvane::tool
