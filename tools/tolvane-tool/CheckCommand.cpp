// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/authoring/DataSourceChecker.h"

#include <ostream>

namespace tolvane::tool {

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].rfind("-", 0) == 0)
        return UsageError(err, "check");
    authoring::BuildMessages findings;
    authoring::DataSourceChecker checker(findings);
    checker.check(DataSourcePaths::fromBase(DataSourceBaseArgument(args[0])));
    for (const authoring::BuildMessage& m : findings.list())
        out << m.format() << "\n";
    out << findings.errorCount() << " erreur(s), " << findings.warningCount()
        << " avertissement(s)\n";
    return findings.errorCount() > 0 ? kNotFound : kOk;
}

namespace {
const CommandRegistration registration{
    {61, "check", "vérifie une source de données",
     "Usage : tolvane-tool check BASE\n\n"
     "Lit la source comme la visionneuse et signale, une ligne chacun : les cibles de liens\n"
     "absentes de l'index, les ancres hors du texte de leur article (numérotation de la\n"
     "visionneuse), les ancres qui se chevauchent, les nœuds du sommaire dont l'article "
     "est\n"
     "absent, les numéros en double, les enregistrements qui dépassent la fin de "
     "leur\n"
     "fichier (erreurs) et les articles inaccessibles (avertissements). Dernière ligne : "
     "le\n"
     "compte. Code 1 s'il y a au moins une erreur.\n",
     RunCheck}};
} // namespace

} // namespace tolvane::tool
