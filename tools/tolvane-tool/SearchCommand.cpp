// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/articles/ArticleStore.h"
#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/search/SearchEngine.h"

#include <ostream>

namespace tolvane::tool {

int RunSearch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> positional;
    SearchRequest request;
    bool optionsEnded = false;
    for (const std::string& a : args) {
        if (optionsEnded || a.rfind("--", 0) != 0) {
            positional.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--case") {
            request.matchCase = true;
        } else if (a == "--word") {
            request.wholeWord = true;
        } else if (a == "--no-title") {
            request.inTitle = false;
        } else if (a == "--no-text") {
            request.inText = false;
        } else {
            err << "tolvane-tool search : option inconnue " << a << "\n";
            return kUsage;
        }
    }
    if (positional.size() != 2)
        return UsageError(err, "search");
    // The find window starts no search without text and without a place to
    // look in; neither does the tool.
    if (positional[1].empty() || (!request.inTitle && !request.inText)) {
        err << "tolvane-tool search : texte vide, ou --no-title et --no-text ensemble\n";
        return kUsage;
    }
    bool lossless = true;
    request.text = cp1252::fromUtf8(positional[1], &lossless);
    if (!lossless) {
        err << "tolvane-tool search : le texte contient des caract\xC3\xA8res hors de "
               "Windows-1252\n";
        return kUsage;
    }

    const DataSourcePaths paths = DataSourcePaths::fromBase(DataSourceBaseArgument(positional[0]));
    if (!InputFile(paths.pgh).isOpen() || !InputFile(paths.pgd).isOpen()) {
        err << "tolvane-tool search : impossible d'ouvrir " << paths.pgh << " ou " << paths.pgd
            << "\n";
        return kNotFound;
    }
    ArticleIndex index;
    ArticleStore store(paths, index);
    store.LoadIndex();
    const std::vector<SearchMatch> matches = SearchEngine(store).SearchArticles(request);
    for (const SearchMatch& m : matches)
        out << m.article << ' ' << cp1252::toUtf8(m.title) << '\n';
    out << "found: " << matches.size() << '\n';
    return matches.empty() ? kNotFound : kOk;
}

namespace {
const CommandRegistration registration{
    {40, "search", "cherche un texte dans les titres et les textes des articles",
     "Usage : tolvane-tool search BASE TEXTE [--case] [--word] [--no-title] [--no-text]\n\n"
     "Recherche sur tous les articles, comme la fen\xC3\xAAtre Rechercher :\n"
     "  --case      respecter la casse\n"
     "  --word      mot entier (dans les textes ; les titres n'en tiennent pas compte)\n"
     "  --no-title  ne pas chercher dans les titres\n"
     "  --no-text   ne pas chercher dans les textes\n"
     "Une ligne NUM\xC3\x89RO TITRE par article trouv\xC3\xA9, dans l'ordre de la recherche\n"
     "(au plus 1000), puis \xC2\xAB"
     "found: N\xC2\xBB. Code 1 quand rien n'est trouv\xC3\xA9.\n",
     RunSearch}};
} // namespace

} // namespace tolvane::tool
