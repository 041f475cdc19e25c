// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/UserFileSafety.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tolvane {

bool UserFileSafety::isOwnRegularFile(const struct stat& st, uid_t user) {
    return S_ISREG(st.st_mode) && st.st_uid == user;
}

int UserFileSafety::openOwn(const std::string& path, int flags, mode_t mode, int& error) {
    error = 0;
    const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd < 0) {
        // O_NOFOLLOW answers ELOOP for a link; a directory or a FIFO that
        // nobody reads cannot be opened for writing: none is a regular file.
        error = errno == ELOOP || errno == EISDIR || errno == ENXIO ? kNotOwnRegularFile : errno;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !isOwnRegularFile(st, ::geteuid())) {
        ::close(fd);
        error = kNotOwnRegularFile;
        return -1;
    }
    // Non-blocking was only for the open: a FIFO would have waited there.
    const int fileFlags = ::fcntl(fd, F_GETFL);
    if (fileFlags >= 0)
        ::fcntl(fd, F_SETFL, fileFlags & ~O_NONBLOCK);
    return fd;
}

UserFileSafety::FolderExposure UserFileSafety::folderExposure(const struct stat& st, uid_t user) {
    if (st.st_uid != user)
        return FolderExposure::OwnedByOther;
    // The sticky bit keeps others from removing or renaming names they do
    // not own, which is what replacing ours would take.
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0)
        return FolderExposure::WritableByOthers;
    return FolderExposure::Private;
}

UserFileSafety::FolderExposure UserFileSafety::folderExposure(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.empty() ? "." : dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return FolderExposure::Unknown;
    return folderExposure(st, ::geteuid());
}

} // namespace tolvane
