// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/articles/DataSourcePaths.h"
#include "core/common/Cp1252.h"
#include "core/outline/OutlineModel.h"

#include <ostream>

namespace tolvane::tool {

int RunOutline(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return OnDataSource(args, err, "outline", [&](const DataSourcePaths& paths) -> int {
        OutlineModel model;
        if (!model.LoadOutline(paths.fic))
            return CannotOpen(err, "outline", paths.fic);
        int depth = 0;
        for (OutlineModel::NodeId n = model.firstTopLevel(); n != OutlineModel::kNoNode;
             n = model.nextInTreeOrder(n, depth)) {
            out << depth << ' ' << model.image(n) << ' ' << model.ArticleOfNode(n) << ' '
                << cp1252::toUtf8(model.title(n)) << '\n';
        }
        return kOk;
    });
}

namespace {
const CommandRegistration registration{
    {40, "outline", "affiche l'arborescence du sommaire .FIC",
     "Usage : tolvane-tool outline BASE\n\n"
     "Une ligne par nœud dans l'ordre de l'arbre (en profondeur, les enfants dans\n"
     "l'ordre) : PROFONDEUR IMAGE ARTICLE TITRE.\n"
     "PROFONDEUR vaut 0 au premier niveau, IMAGE est l'indice d'image au chargement,\n"
     "ARTICLE vaut 0 pour un titre de dossier. Code 1 quand le .FIC n'existe pas.\n",
     RunOutline}};
} // namespace

} // namespace tolvane::tool
