// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/authoring/HtmlExporter.h"
#include "core/common/Cp1252.h"
#include "core/common/PathResolver.h"

#include <ostream>

namespace tolvane::tool {

const char* const kUsageText =
    "Usage : tolvane-tool export-html BASE DOSSIER [--title TITRE]\n\n"
    "Écrit dans DOSSIER une page par article (index.html pour l'article 1), les\n"
    "fenêtres contextuelles en notes qui s'ouvrent au clic, le sommaire sur chaque\n"
    "page et une page de recherche (recherche.html). UTF-8, sans ressource extérieure.\n";

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
    return CountLine(out, "pages", exporter.pageCount());
}

const CommandRegistration registration{{62, "export-html",
                                        "exporte une source de données en site web statique",
                                        kUsageText, RunExportHtml}};

} // namespace tolvane::tool
