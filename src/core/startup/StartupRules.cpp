// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/StartupRules.h"

#include "core/common/Cp1252.h"
#include "core/startup/CTolvaneCommandLineInfo.h"
#include "core/startup/DataSourceLocation.h"
#include "core/startup/PerUserFolder.h"
#include "core/startup/StartupSettings.h"

namespace tolvane {
namespace {

// The installed guide sits in a folder the user cannot write into, so its
// annotations and bookmarks go to the user's own folder, under the same
// name. Empty (the guide's own base then) when that folder cannot be made or
// its path has no Windows-1252 spelling.
std::string InstalledGuideUserBase(const std::string& dataSource) {
    const std::string folder = PerUserFolder();
    bool lossless = true;
    const std::string folderText = cp1252::fromUtf8(folder, &lossless);
    if (folder.empty() || !lossless || !MakePerUserFolder(folder))
        return {};
    return cp1252::toUpper(folderText) + "/" + dataSource.substr(dataSource.rfind('/') + 1);
}

} // namespace

StartupOutcome ApplyStartupRules(const std::vector<std::string>& args, const std::string& exePath) {
    StartupOutcome outcome;
    StartupSettings& s = outcome.settings;
    std::vector<std::string> tokens;
    tokens.reserve(args.size());
    for (const std::string& a : args)
        tokens.push_back(cp1252::fromUtf8(a));
    CTolvaneCommandLineInfo(s).ParseCommandLine(tokens);
    bool installedGuide = false;
    if (s.strDataSource.empty()) {
        s.strDataSource = FindDataSource(exePath);
        const std::string installedDir = InstalledDataDirectory(exePath);
        if (s.strDataSource.empty() && !installedDir.empty()) {
            s.strDataSource = FindDataSourceIn(installedDir);
            installedGuide = !s.strDataSource.empty();
        }
    }
    if (s.strUserBase.empty() && installedGuide)
        s.strUserBase = InstalledGuideUserBase(s.strDataSource);
    if (s.strUserBase.empty())
        s.strUserBase = s.strDataSource;
    outcome.dataSourceMissing = DataSourceMissing(s.strDataSource);
    return outcome;
}

} // namespace tolvane
