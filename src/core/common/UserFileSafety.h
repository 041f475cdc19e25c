// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace tolvane {

// The per-user files live beside the data source unless /A says otherwise,
// often in a folder that other people can write. There anyone may plant a
// name of ours as a symbolic link to a file of the next reader, or as a file
// of their own. So a per-user file is written, truncated, copied or renamed
// over only when it is a regular file owned by this user, checked on the
// open descriptor (opened without following a link), never on the name
// before opening, which could change in between.
class UserFileSafety {
public:
    // The failure of a write refused because the name is a symbolic link,
    // not a regular file, or another user's file. Not an errno value:
    // FileOperations::errorText gives its French reason.
    static constexpr int kNotOwnRegularFile = -1000;

    // Whether st is a regular file owned by user.
    static bool isOwnRegularFile(const struct stat& st, uid_t user);

    // open(2) of path with flags, never through a symbolic link, never
    // waiting on a FIFO, then checked: a descriptor on a regular file owned
    // by this process's user, or -1 with error set (the errno value, or
    // kNotOwnRegularFile when the name is a link or not such a file).
    static int openOwn(const std::string& path, int flags, mode_t mode, int& error);

    // How exposed a folder is to other people, as far as its mode tells.
    enum class FolderExposure {
        Private,          // only its owner, this user, can add or remove names
        WritableByOthers, // group or others may write and no sticky bit stops them
        OwnedByOther,     // another user owns it
        Unknown,          // it cannot be examined (absent, no permission)
    };
    // The exposure of a folder whose stat is st, for user.
    static FolderExposure folderExposure(const struct stat& st, uid_t user);
    // The exposure of the folder dir (native; "" is the current folder),
    // for this process's user.
    static FolderExposure folderExposure(const std::string& dir);
};

} // namespace tolvane
