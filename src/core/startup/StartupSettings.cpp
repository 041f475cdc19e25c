#include "core/startup/StartupSettings.h"

namespace tolvane {

std::string g_strDataSource;
std::string g_strUserBase;
std::string g_strClassName = kDefaultClassName;
std::string g_strTitleOverride;
bool g_bStartArticle = false;
int32_t g_nStartArticle = 0;
bool g_bCloseRunning = false;

void ResetStartupSettings() {
    g_strTitleOverride.clear();
    g_strDataSource.clear();
    g_strUserBase.clear();
    g_strClassName = kDefaultClassName;
    g_bStartArticle = false;
    g_bCloseRunning = false;
    g_nStartArticle = 0;
}

} // namespace tolvane
