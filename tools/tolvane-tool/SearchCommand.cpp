// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/articles/ArticleStore.h"
#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/search/SearchEngine.h"
#include "core/stores/AnnotationStore.h"

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
        } else if (a == "--notes") {
            request.inNotes = true;
        } else {
            err << "tolvane-tool search : option inconnue " << a << "\n";
            return kUsage;
        }
    }
    // A third word is the user base of --notes.
    if (positional.size() != 2 && !(positional.size() == 3 && request.inNotes))
        return UsageError(err, "search");
    // The find window starts no search without text and without a place to
    // look in; neither does the tool.
    if (positional[1].empty() || (!request.inTitle && !request.inText && !request.inNotes)) {
        err << "tolvane-tool search : texte vide, ou --no-title et --no-text ensemble\n";
        return kUsage;
    }
    bool lossless = true;
    request.text = cp1252::fromUtf8(positional[1], &lossless);
    if (!lossless) {
        err << "tolvane-tool search : le texte contient des caractères hors de "
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
    AnnotationTexts notes;
    if (request.inNotes) {
        // As the viewer's /A: the user files beside the data source unless
        // named. Opened read-only, so nothing is written or removed.
        const std::string userBase = cp1252::fromUtf8(
            UserBaseArgument(positional.size() == 3 ? positional[2] : positional[0]), &lossless);
        if (!lossless) {
            err << "tolvane-tool search : le nom des annotations contient des caractères "
                   "hors de Windows-1252\n";
            return kUsage;
        }
        AnnotationStore annotations;
        annotations.OpenAnnotations(userBase, true);
        notes = annotations.AnnotationTexts();
    }
    const std::vector<SearchMatch> matches = SearchEngine(store).SearchArticles(request, notes);
    for (const SearchMatch& m : matches)
        out << m.article << ' ' << cp1252::toUtf8(m.title)
            << (m.inNote ? cp1252::toUtf8(kFoundInNoteSuffix) : std::string()) << '\n';
    out << "found: " << matches.size() << '\n';
    return matches.empty() ? kNotFound : kOk;
}

namespace {
const CommandRegistration registration{
    {40, "search", "cherche un texte dans les titres et les textes des articles",
     "Usage : tolvane-tool search BASE TEXTE [--case] [--word] [--no-title] [--no-text]\n"
     "                            [--notes [USERBASE]]\n\n"
     "Recherche sur tous les articles, comme la fenêtre Rechercher :\n"
     "  --case      respecter la casse\n"
     "  --word      mot entier (dans les textes ; les titres n'en tiennent pas compte)\n"
     "  --no-title  ne pas chercher dans les titres\n"
     "  --no-text   ne pas chercher dans les textes\n"
     "  --notes     chercher aussi dans les annotations de USERBASE (par défaut BASE,\n"
     "              comme /A) ; ces articles viennent en premier, suivis de\n"
     "              « (dans mon annotation)». Les fichiers ne sont pas modifiés.\n"
     "Une ligne NUMÉRO TITRE par article trouvé, dans l'ordre de la recherche\n"
     "(au plus 1000), puis «found: N». Code 1 quand rien n'est trouvé.\n",
     RunSearch}};
} // namespace

} // namespace tolvane::tool
