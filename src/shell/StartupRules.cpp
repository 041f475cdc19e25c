#include "StartupRules.h"

#include "CTolvaneCommandLineInfo.h"
#include "DataSourceLocation.h"
#include "StartupSettings.h"
#include "common/Cp1252.h"

namespace tolvane {

StartupOutcome ApplyStartupRules(const std::vector<std::string>& args, const std::string& exePath) {
    ResetStartupSettings();
    std::vector<std::string> tokens;
    tokens.reserve(args.size());
    for (const std::string& a : args)
        tokens.push_back(cp1252::fromUtf8(a));
    CTolvaneCommandLineInfo().ParseCommandLine(tokens);
    if (g_strDataSource.empty())
        g_strDataSource = FindDataSource(exePath);
    if (g_strUserBase.empty())
        g_strUserBase = g_strDataSource;
    StartupOutcome outcome;
    outcome.dataSourceMissing = DataSourceMissing(g_strDataSource);
    return outcome;
}

} // namespace tolvane
