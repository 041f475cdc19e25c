// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/ViewerLaunch.h"

#include "core/common/Cp1252.h"
#include "core/common/PathResolver.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {
namespace {

constexpr const char* kDataExtension = ".PGD";

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// realpath of a directory, "" when it does not exist.
std::string realDirectory(const std::string& dir) {
    char* real = ::realpath(dir.empty() ? "." : dir.c_str(), nullptr);
    if (real == nullptr)
        return {};
    std::string out = real;
    std::free(real);
    return out;
}

} // namespace

bool UserCanWrite(const std::string& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

ViewerLaunch PrepareViewerLaunch(const std::string& file, const std::string& currentDir,
                                 const std::string& userFolder, FolderWritable writable) {
    ViewerLaunch launch;
    const std::string name = PathResolver::fileNameOf(file);
    const std::string extension = name.size() > 4 ? name.substr(name.size() - 4) : std::string();
    if (PathResolver::nameKey(extension) != kDataExtension) {
        launch.status = ViewerLaunch::Status::NotDataFile;
        return launch;
    }
    std::string dir = PathResolver::directoryOf(file);
    if (dir.empty() || dir[0] != '/')
        dir = currentDir + "/" + dir;
    // The folder's real path keeps ".." and symbolic links out of the /D
    // value, so two ways of naming one file reach the same instance; the
    // file's own name stays as given.
    const std::string realDir = realDirectory(dir);
    struct stat st {};
    if (realDir.empty() || ::stat((realDir + "/" + name).c_str(), &st) != 0 ||
        !S_ISREG(st.st_mode)) {
        launch.status = ViewerLaunch::Status::Missing;
        return launch;
    }
    const std::string stem = name.substr(0, name.size() - 4);
    launch.base = (realDir == "/" ? std::string() : realDir) + "/" + stem;

    bool lossless = true;
    cp1252::fromUtf8(launch.base, &lossless);
    if (!lossless) {
        launch.status = ViewerLaunch::Status::Unrepresentable;
        return launch;
    }
    launch.arguments.push_back("/D:" + launch.base);
    if (!userFolder.empty() && !writable(realDir)) {
        cp1252::fromUtf8(userFolder, &lossless);
        if (lossless) {
            launch.userBase = userFolder + "/" + stem;
            launch.arguments.push_back("/A:" + launch.userBase);
        }
    }
    return launch;
}

std::string FindViewer(const std::string& toolPath, const std::string& searchPath) {
    const std::string beside = PathResolver::directoryOf(toolPath) + "tolvane";
    if (!PathResolver::directoryOf(toolPath).empty() && isExecutableFile(beside))
        return beside;
    size_t pos = 0;
    while (pos <= searchPath.size()) {
        size_t colon = searchPath.find(':', pos);
        if (colon == std::string::npos)
            colon = searchPath.size();
        const std::string dir = searchPath.substr(pos, colon - pos);
        if (!dir.empty() && isExecutableFile(dir + "/tolvane"))
            return dir + "/tolvane";
        pos = colon + 1;
    }
    return {};
}

} // namespace tolvane
