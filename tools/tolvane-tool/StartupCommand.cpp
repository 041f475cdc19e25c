// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/common/Cp1252.h"
#include "core/startup/DataSourceLocation.h"
#include "core/startup/StartupRules.h"
#include "core/startup/StartupSettings.h"

#include <ostream>
#include <unistd.h>

namespace tolvane::tool {
namespace {

std::string ownExecutable() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

} // namespace

int RunStartup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string exe = ownExecutable();
    std::vector<std::string> viewerArgs;
    size_t i = 0;
    while (i < args.size()) {
        if (args[i] == "--") {
            ++i;
            break;
        }
        if (args[i] == "--exe") {
            if (i + 1 >= args.size()) {
                err << "tolvane-tool startup : --exe demande un chemin\n";
                return kUsage;
            }
            exe = args[i + 1];
            i += 2;
            continue;
        }
        if (args[i].rfind("--", 0) == 0) {
            err << "tolvane-tool startup : option inconnue " << args[i] << "\n";
            return kUsage;
        }
        break; // the viewer's own arguments start here
    }
    viewerArgs.assign(args.begin() + static_cast<long>(i), args.end());

    const StartupOutcome outcome = ApplyStartupRules(viewerArgs, exe);
    const StartupSettings& s = outcome.settings;
    out << "data_source=" << ResolvedBase(s.strDataSource) << "\n";
    out << "user_base=" << ResolvedBase(s.strUserBase) << "\n";
    out << "class_name=" << s.strClassName << "\n";
    out << "title=" << cp1252::toUtf8(WindowTitle(s)) << "\n";
    out << "start_article=" << (s.bStartArticle ? std::to_string(s.nStartArticle) : "none") << "\n";
    out << "close_running=" << (s.bCloseRunning ? "yes" : "no") << "\n";
    out << "missing=" << (outcome.dataSourceMissing ? "yes" : "no") << "\n";
    if (outcome.dataSourceMissing) {
        err << cp1252::toUtf8(kMissingDataSourceMessage) << "\n";
        return kNotFound;
    }
    return kOk;
}

namespace {
const CommandRegistration registration{
    {10, "startup", "applique les règles de démarrage de la visionneuse",
     "Usage : tolvane-tool startup [--exe CHEMIN] [--] ARGUMENTS...\n\n"
     "Applique la ligne de commande et la recherche de la source de données comme la\n"
     "visionneuse, avec CHEMIN comme chemin de l'exécutable, et affiche une ligne\n"
     "clé=valeur pour data_source, user_base, class_name, title, start_article,\n"
     "close_running et missing. Code 1 quand la source de données manque.\n",
     RunStartup}};
} // namespace

} // namespace tolvane::tool
