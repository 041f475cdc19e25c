// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tolvane {

// Annotations and bookmarks of a data source that the user cannot write into
// (the guide installed under /usr/share) are kept in a folder of the user's
// own: $XDG_DATA_HOME/tolvane/, else $HOME/.local/share/tolvane/. The values
// of the two variables come in as arguments (null or empty when unset); the
// folder is returned native, without its trailing '/', empty when neither
// variable gives an absolute path.
std::string PerUserFolder(const char* xdgDataHome, const char* home);

// The same from the process's environment.
std::string PerUserFolder();

// The folder of the viewer's own settings (what it remembers of each data
// source between runs): $XDG_CONFIG_HOME/tolvane/, else $HOME/.config/tolvane/,
// by the same rules as PerUserFolder.
std::string ConfigFolder(const char* xdgConfigHome, const char* home);
std::string ConfigFolder();

// Creates folder and its missing parents, readable by the user only; true
// when it exists as a directory afterwards.
bool MakePerUserFolder(const std::string& folder);

} // namespace tolvane
