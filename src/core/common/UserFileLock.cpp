// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/UserFileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {

namespace {

// Rounds against a holder that removes the file between our open and our
// lock; each round needs that exact interleaving, so a few are plenty.
constexpr int kAttempts = 8;

// Read-only: flock needs no write access, a lock file that only may be
// read (a read-only folder, another owner's file) still carries the lock,
// and a file open for reading does not keep its file system from being
// remounted read-only. Nothing is ever written to it, but a link is not
// followed (nor created through, when dangling) and only a regular file
// serves: a FIFO planted at the name would otherwise hold the open forever.
int openLockFile(const std::string& path) {
    const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(path.c_str(), flags | O_CREAT, 0600);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
        fd = ::open(path.c_str(), flags);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sameFile(int fd, const std::string& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

} // namespace

LockResult UserFileLock::take(const std::string& path, std::unique_ptr<FileLock>& lock) {
    lock.reset();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int fd = openLockFile(path);
        if (fd < 0)
            return LockResult::Unavailable;
        int rc;
        do
            rc = ::flock(fd, LOCK_EX | LOCK_NB);
        while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            const int err = errno;
            ::close(fd);
            return err == EWOULDBLOCK ? LockResult::HeldElsewhere : LockResult::Unavailable;
        }
        if (sameFile(fd, path)) {
            lock.reset(new UserFileLock(fd, path));
            return LockResult::Taken;
        }
        ::close(fd);
    }
    return LockResult::Unavailable;
}

UserFileLock::~UserFileLock() {
    // Removed while still held, so that whoever opened it meanwhile sees,
    // once it gets the lock, that the name no longer leads to this file.
    ::unlink(m_path.c_str());
    ::close(m_fd);
}

} // namespace tolvane
