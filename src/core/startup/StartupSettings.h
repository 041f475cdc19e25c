#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

// The process-wide start-up settings. They are set once while the program
// starts (by the command line, by discovery or by defaulting) and only read
// afterwards. Texts are Windows-1252, as the command line upper-cased them.
extern std::string g_strDataSource; // data-source base: path and name without extension
extern std::string g_strUserBase;   // base of the per-user files (.NOT, .NO$, .SIG)
extern std::string g_strClassName;  // window-class name and single-instance key
extern std::string g_strTitleOverride;
extern bool g_bStartArticle;
extern int32_t g_nStartArticle;
extern bool g_bCloseRunning;

inline constexpr const char* kDefaultClassName = "Mirovale0110";

// Puts every setting back to its initial value.
void ResetStartupSettings();

} // namespace tolvane
