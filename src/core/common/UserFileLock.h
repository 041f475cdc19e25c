// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

namespace tolvane {

// An advisory lock shared between processes, held until the object goes.
class FileLock {
public:
    virtual ~FileLock() = default;
};

enum class LockResult {
    Taken,         // this holder has it
    HeldElsewhere, // another process, or another lock of this one, has it
    Unavailable,   // no lock file can be made or opened there: nobody can hold it
};

// The lock of a user-file base: flock(2) on a file of its own (BASE.LCK).
// The kernel drops it with the last descriptor, so a process that dies,
// even by SIGKILL, never leaves it held. The file is removed on release;
// a holder that finds its file gone or replaced after locking starts again,
// so two holders never lock two different files of the same name.
class UserFileLock : public FileLock {
public:
    ~UserFileLock() override;
    UserFileLock(const UserFileLock&) = delete;
    UserFileLock& operator=(const UserFileLock&) = delete;

    // Tries, without waiting, to take the lock at path (native); on Taken
    // *lock holds it.
    static LockResult take(const std::string& path, std::unique_ptr<FileLock>& lock);

private:
    UserFileLock(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

    int m_fd;
    std::string m_path;
};

} // namespace tolvane
