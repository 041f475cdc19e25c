// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/startup/PerUserFolder.h"
#include "core/startup/ViewerLaunch.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace tolvane::tool {
namespace {

const char* const kUsageText =
    "Usage : tolvane-tool open [FICHIER.PGD]\n\n"
    "Ouvre la source de données de FICHIER.PGD dans la visionneuse tolvane, prise\n"
    "à côté de tolvane-tool, sinon dans le PATH, avec /D:BASE où BASE est\n"
    "le chemin absolu du fichier sans son extension : une visionneuse qui montre\n"
    "déjà cette source la reprend au lieu d'en ouvrir une autre. Quand le\n"
    "dossier du fichier n'est pas accessible en écriture, annotations et signets\n"
    "vont dans $XDG_DATA_HOME/tolvane (/A:). Sans FICHIER, la visionneuse part seule\n"
    "sur sa source habituelle. La commande rend la main dès que la visionneuse\n"
    "est lancée.\n"
    "Code 1 quand le fichier ou la visionneuse manque, 2 quand FICHIER n'est pas\n"
    "un fichier .PGD.\n";

std::string ownExecutable() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string currentDirectory() {
    char* dir = ::getcwd(nullptr, 0);
    if (dir == nullptr)
        return {};
    std::string out = dir;
    std::free(dir);
    return out;
}

// Starts the viewer in a session of its own, so that it outlives the tool
// and the terminal or file manager that ran it; returns 0 or an errno value.
int spawnDetached(const std::string& viewer, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(viewer.c_str()));
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_init(&actions);
    // Nothing waits for the viewer's input or output: a caller reading the
    // tool's standard output through a pipe must not wait for the viewer.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int status = posix_spawn(&pid, viewer.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return status;
}

int RunOpen(const std::vector<std::string>& args, std::ostream& /*out*/, std::ostream& err) {
    if (args.size() > 1 || (args.size() == 1 && args[0].rfind("--", 0) == 0)) {
        err << kUsageText;
        return kUsage;
    }
    std::vector<std::string> viewerArgs;
    if (!args.empty()) {
        const std::string userFolder = PerUserFolder();
        const ViewerLaunch launch = PrepareViewerLaunch(args[0], currentDirectory(), userFolder);
        switch (launch.status) {
        case ViewerLaunch::Status::NotDataFile:
            err << "tolvane-tool open : «" << args[0] << "» n'est pas un fichier .PGD\n\n"
                << kUsageText;
            return kUsage;
        case ViewerLaunch::Status::Missing:
            err << "tolvane-tool open : le fichier «" << args[0] << "» est introuvable\n";
            return kNotFound;
        case ViewerLaunch::Status::Unrepresentable:
            err << "tolvane-tool open : le chemin «" << launch.base
                << "» contient des caractères que la visionneuse ne sait pas lire\n";
            return kNotFound;
        case ViewerLaunch::Status::Ok:
            break;
        }
        // The viewer resolves the /A base in an existing folder only.
        if (!launch.userBase.empty())
            MakePerUserFolder(userFolder);
        viewerArgs = launch.arguments;
    }
    const char* path = std::getenv("PATH");
    const std::string viewer = FindViewer(ownExecutable(), path != nullptr ? path : "");
    if (viewer.empty()) {
        err << "tolvane-tool open : visionneuse tolvane introuvable (ni à côté "
               "de tolvane-tool ni dans le PATH)\n";
        return kNotFound;
    }
    if (const int status = spawnDetached(viewer, viewerArgs); status != 0) {
        err << "tolvane-tool open : impossible de lancer " << viewer << " : "
            << std::strerror(status) << "\n";
        return kNotFound;
    }
    return kOk;
}

const CommandRegistration registration{
    {5, "open", "ouvre un fichier .PGD dans la visionneuse (pour le bureau)", kUsageText, RunOpen}};

} // namespace
} // namespace tolvane::tool
