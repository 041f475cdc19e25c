// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/common/Cp1252.h"
#include "core/startup/StartupSettings.h"

#include <string>

namespace tolvane {

// Data-source discovery, the completeness check, the window title and the
// single-instance key. Bases are Windows-1252 text (as the command line gives
// them); the file system is reached through their native form, resolved
// case-insensitively.

// The first data source (by name) beside the executable: the executable's
// directory and the base name of its first *.PGD file, all upper case; empty
// when there is none. exePath is the native path of the running executable.
std::string FindDataSource(const std::string& exePath);

// The same search in one directory (native, with its trailing '/').
std::string FindDataSourceIn(const std::string& dirNative);

// Where an installed viewer keeps its bundled data source: the data folder
// that the installation placed relative to the executable's bin folder
// (share/tolvane/ beside bin/), as a native directory with its trailing
// '/'. Worked out from the path alone, so a relocated tree still finds it.
std::string InstalledDataDirectory(const std::string& exePath);

// True when any of base + .FIC, .PGH, .PGD, .PGL is missing (all four are
// always looked up).
bool DataSourceMissing(const std::string& base);

// The title from an override, else from the title table on the upper-cased
// data-source base; never empty.
std::string WindowTitle(const std::string& titleOverride, const std::string& dataSource);
// The same on a run's settings.
std::string WindowTitle(const StartupSettings& settings);

// The last ten ASCII letters of value, padded on the left with 'A'.
std::string MakeInstanceClassName(const std::string& value);

// The native path of a base with its directory and name spelled as on disk
// (from the files of that base that exist); the base as given otherwise.
std::string ResolvedBase(const std::string& base);

// Windows-1252, as every core string.
inline const std::string kMissingDataSourceMessage =
    cp1252::fromUtf8("Impossible de trouver une source de données !");

} // namespace tolvane
