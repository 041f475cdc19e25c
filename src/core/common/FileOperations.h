// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/common/UserFileLock.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tolvane {

class InputFile;

// The few file operations the per-user stores perform, behind an interface
// so that tests can make the disk fill up or fail after a number of bytes.
// Write operations return 0 on success, else the errno value of the failure,
// or UserFileSafety::kNotOwnRegularFile when the name is a symbolic link or
// not a regular file of this user: the per-user files may lie in a folder
// that others can write, and nothing is ever written through such a name.
class FileOperations {
public:
    virtual ~FileOperations() = default;

    // Writes bytes at offset of path, drops whatever followed them, and
    // returns once the bytes are on the disk. At offset 0 an absent file is
    // created, readable by its owner only; otherwise it must exist, and only
    // a regular file of this user is written. Writing at the end of the last
    // whole record appends and also overwrites a torn tail that a failed
    // write left behind.
    virtual int appendSynced(const std::string& path, uint64_t offset, std::string_view bytes) = 0;

    // Replaces path, when it is a regular file of this user or absent, with
    // bytes: a reader, a crash or a full disk sees the old file or the
    // complete new one, never a mixture.
    virtual int replaceAtomically(const std::string& path, std::string_view bytes) = 0;

    // Opens path for positional reads, following a link: what a file shows
    // may be read wherever it lies. False when it cannot be opened.
    virtual bool openForReading(const std::string& path, InputFile& file) = 0;

    // Opens path for reading only when it is a regular file of this user,
    // not through a link: for bytes that will be copied into files of ours.
    // 0, or the errno or kNotOwnRegularFile of the failure.
    virtual int openOwnForReading(const std::string& path, InputFile& file);

    // Removes path; an absent file counts as removed.
    virtual int remove(const std::string& path) = 0;

    // Tries, without waiting, to take the lock that one run holds on a user
    // base for its whole length (UserFileLock on path by default).
    virtual LockResult lockExclusive(const std::string& path, std::unique_ptr<FileLock>& lock);

    // Copies path, before a damaged file is replaced, to the first free name
    // of path + ".BAK", ".BAK2" ... ".BAK9" (the last is reused when all
    // are taken; a name standing for a link is taken); 0 or the error of the
    // failure. Only a regular file of this user is copied: another one's
    // bytes must not land in a file of ours that others may read.
    int keepCopy(const std::string& path);

    // The operations on the real file system.
    static FileOperations& system();

    // The reason of a failure, in French (Windows-1252), for the user's message.
    static std::string errorText(int errorNumber);
    // "Impossible d'enregistrer <what> dans «<path>» : <reason>.", in
    // Windows-1252; path is native (UTF-8).
    static std::string saveFailureMessage(std::string_view what, const std::string& path,
                                          int errorNumber);
};

} // namespace tolvane
