// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"

#include <iostream>

using namespace tolvane::tool;

namespace {

void printOverview(std::ostream& out) {
    out << "Usage : tolvane-tool COMMANDE [OPTIONS] ARGUMENTS...\n\n"
           "Outil compagnon de la visionneuse Tolvane.\n\nCommandes :\n";
    for (const ToolCommand& c : Commands())
        out << "  " << c.name
            << std::string(14 - std::min<size_t>(13, std::string(c.name).size()), ' ') << c.summary
            << "\n";
    out << "\n`tolvane-tool COMMANDE --help` décrit chaque commande ; `tolvane-tool --version` "
           "donne la version et la licence.\n";
}

// TOLVANE_VERSION is the project's version, given by the build.
void printVersion(std::ostream& out) {
    out << "tolvane-tool (Tolvane) " TOLVANE_VERSION "\n"
           "Copyright © 2026 Tolvane developers\n"
           "Licence GPL-3.0-or-later : GNU GPL version 3 ou ultérieure "
           "<https://www.gnu.org/licenses/gpl.html>.\n"
           "Ceci est un logiciel libre : vous pouvez le modifier et le redistribuer.\n"
           "Il n'y a AUCUNE GARANTIE, dans les limites permises par la loi.\n";
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc < 2) {
        printOverview(std::cerr);
        return kUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printOverview(std::cout);
        return kOk;
    }
    if (name == "--version") {
        printVersion(std::cout);
        return kOk;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const ToolCommand& c : Commands()) {
        if (name == c.name) {
            if (WantsHelp(args)) {
                std::cout << c.usage;
                return kOk;
            }
            const int status = c.run(args, std::cout, std::cerr);
            std::cout.flush();
            return status;
        }
    }
    std::cerr << "tolvane-tool : commande inconnue «" << name << "»\n\n";
    printOverview(std::cerr);
    return kUsage;
}
