// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/startup/StartupSettings.h"

#include <string>
#include <vector>

namespace tolvane {

// The platform-free start-up decisions, in their order: parse the command
// line into fresh settings, discover the data source when none was named
// (beside the executable, else in the installed data folder), default the
// user-file base to the data source (to the user's own folder for the
// installed guide), check that the data source is complete. What follows
// (the message, the single-instance rule, the windows) belongs to the
// application object.
struct StartupOutcome {
    StartupSettings settings;
    bool dataSourceMissing = false;
};

// args: the command-line tokens after the program name, as native (UTF-8)
// strings; exePath: the native path of the executable.
StartupOutcome ApplyStartupRules(const std::vector<std::string>& args, const std::string& exePath);

} // namespace tolvane
