// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

inline constexpr const char* kDefaultClassName = "Mirovale0110";

// The start-up settings of one run: made by the command line, discovery and
// defaulting, then owned by the application and only read. Texts are
// Windows-1252, as the command line upper-cased them.
struct StartupSettings {
    std::string strDataSource; // data-source base: path and name without extension
    std::string strUserBase;   // base of the per-user files (.NOT, .NO$, .SIG)
    std::string strClassName = kDefaultClassName; // window-class name and single-instance key
    std::string strTitleOverride;
    bool bStartArticle = false;
    int32_t nStartArticle = 0;
    bool bCloseRunning = false;
};

} // namespace tolvane
