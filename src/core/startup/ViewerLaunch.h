// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace tolvane {

// What `tolvane-tool open FILE.PGD` (the desktop's way to open a data file)
// hands to the viewer: the /D switch with the file's absolute base, so that
// a viewer already showing that data source is reached by the
// single-instance rule (its key comes from the /D value), and, when the
// file's folder cannot be written, the /A switch with a base in the user's
// own folder for the annotations and bookmarks.
struct ViewerLaunch {
    enum class Status {
        Ok,
        NotDataFile,     // the name does not end in .PGD (any case)
        Missing,         // no such file
        Unrepresentable, // the path has characters the viewer cannot read
    };
    Status status = Status::Ok;
    std::string base;                   // absolute native base, without extension
    std::string userBase;               // the /A value when one is given
    std::vector<std::string> arguments; // the viewer's arguments, native (UTF-8)
};

// Whether the user may create files in a folder (access(2) by default).
using FolderWritable = bool (*)(const std::string& folder);
bool UserCanWrite(const std::string& folder);

// file: as given on the command line, relative to currentDir when it is not
// absolute. userFolder: the per-user folder (PerUserFolder), or empty to
// leave the user-file base to its default.
ViewerLaunch PrepareViewerLaunch(const std::string& file, const std::string& currentDir,
                                 const std::string& userFolder,
                                 FolderWritable writable = UserCanWrite);

// The viewer to start: the executable `tolvane` beside toolPath when there is
// one, else the first in the directories of searchPath (a PATH value); empty
// when there is none. Empty entries are skipped: the folder a file manager
// happens to start us in must not decide which program runs.
std::string FindViewer(const std::string& toolPath, const std::string& searchPath);

} // namespace tolvane
