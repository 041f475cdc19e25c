// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/authoring/HtmlExporter.h"
#include "core/common/Cp1252.h"
#include "core/common/PathResolver.h"

#include <ostream>

namespace tolvane::tool {

int RunExportHtml(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> positional;
    std::string title;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--title" && i + 1 < args.size())
            title = args[++i];
        else if (args[i].rfind("-", 0) == 0) {
            positional.clear();
            break;
        } else
            positional.push_back(args[i]);
    }
    if (positional.size() != 2)
        return UsageError(err, "export-html");
    const std::string base = DataSourceBaseArgument(positional[0]);
    if (title.empty())
        title = PathResolver::fileNameOf(base);
    authoring::BuildMessages messages;
    authoring::HtmlExporter exporter(messages);
    const bool ok = exporter.exportSite(DataSourcePaths::fromBase(base), positional[1],
                                        cp1252::fromUtf8(title));
    for (const authoring::BuildMessage& m : messages.list())
        err << m.format() << "\n";
    if (!ok)
        return kNotFound;
    out << "pages: " << exporter.pageCount() << "\n";
    return kOk;
}

namespace {
const CommandRegistration registration{
    {62, "export-html",
     "exporte une source de donn\xC3\xA9"
     "es en site web statique",
     "Usage : tolvane-tool export-html BASE DOSSIER [--title TITRE]\n\n"
     "\xC3\x89"
     "crit dans DOSSIER une page par article (index.html pour l'article 1), les\n"
     "fen\xC3\xAA"
     "tres contextuelles en notes qui s'ouvrent au clic, le sommaire sur chaque\n"
     "page et une page de recherche (recherche.html). UTF-8, sans ressource ext\xC3\xA9rieure.\n",
     RunExportHtml}};
} // namespace

} // namespace tolvane::tool
