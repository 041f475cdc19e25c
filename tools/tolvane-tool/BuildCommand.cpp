// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/authoring/DataSourceBuilder.h"

#include <ostream>

namespace tolvane::tool {

int RunBuild(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> sources;
    std::string outBase;
    std::vector<std::string> bitmapFolders;
    bool keepGoing = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" && i + 1 < args.size() && outBase.empty()) {
            outBase = args[++i];
        } else if (a == "--bitmaps" && i + 1 < args.size()) {
            bitmapFolders.push_back(args[++i]);
        } else if (a == "--keep-going") {
            keepGoing = true;
        } else if (a.rfind("-", 0) == 0) {
            return UsageError(err, "build");
        } else {
            sources.push_back(a);
        }
    }
    if (sources.empty() || outBase.empty())
        return UsageError(err, "build");
    authoring::BuildMessages messages;
    authoring::DataSourceBuilder builder(messages);
    for (const std::string& folder : bitmapFolders)
        builder.addBitmapFolder(folder);
    for (const std::string& s : sources)
        builder.addSource(s);
    DataSourceWriter writer;
    builder.build(writer);
    for (const authoring::BuildMessage& m : messages.list())
        err << m.format() << "\n";
    const size_t errors = messages.errorCount();
    if (errors > 0 && !keepGoing) {
        err << "tolvane-tool build : " << errors << " erreur(s), " << messages.warningCount()
            << " avertissement(s) ; rien n'est écrit\n";
        return kNotFound;
    }
    if (builder.articles().empty()) {
        err << "tolvane-tool build : aucun topique\n";
        return kNotFound;
    }
    if (const int status = WriteDataSource(writer, outBase, "build", err); status != kOk)
        return status;
    out << "articles: " << builder.articles().size() << ", erreurs: " << errors
        << ", avertissements: " << messages.warningCount() << "\n";
    return kOk;
}

namespace {
const CommandRegistration registration{
    {60, "build", "construit une source de données depuis un projet d'aide",
     "Usage : tolvane-tool build SOURCE... -o BASE [--bitmaps DOSSIER] [--keep-going]\n\n"
     "SOURCE : un projet .hpj, un sommaire .cnt ou des fichiers de topiques RTF.\n"
     "--bitmaps : un dossier de plus où chercher les images {bmc ...}.\n"
     "Écrit BASE.PGH, BASE.PGD, BASE.PGL et BASE.FIC. Les erreurs (fichier:ligne)\n"
     "arrêtent la construction (code 1) sauf avec --keep-going, qui écrit quand même\n"
     "et sort avec le code 0 ; les avertissements n'arrêtent rien.\n",
     RunBuild}};
} // namespace

} // namespace tolvane::tool
