// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/SystemFileOperations.h"

#include "core/common/AtomicFile.h"
#include "core/common/InputFile.h"
#include "core/common/PathResolver.h"
#include "core/common/UserFileSafety.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tolvane {

namespace {

// Makes the creation of a file in dir durable, not only its contents.
void syncDirectory(const std::string& dir) {
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

int SystemFileOperations::appendSynced(const std::string& path, uint64_t offset,
                                       std::string_view bytes) {
    // Created afresh when absent (O_EXCL: a link planted meanwhile is not
    // followed either), else opened as it is; either way only a regular
    // file of this user is written. Past offset 0 the file must still be
    // there: a new one would hold a hole where the earlier records were.
    int openError = EEXIST;
    bool created = offset == 0;
    int fd = -1;
    if (created)
        fd = UserFileSafety::openOwn(path, O_WRONLY | O_CREAT | O_EXCL, 0600, openError);
    if (fd < 0 && openError == EEXIST) {
        created = false;
        fd = UserFileSafety::openOwn(path, O_WRONLY, 0, openError);
    }
    if (fd < 0)
        return openError;
    int err = 0;
    size_t done = 0;
    while (err == 0 && done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            err = n < 0 ? errno : ENOSPC;
        else
            done += static_cast<size_t>(n);
    }
    if (err == 0 && ::ftruncate(fd, static_cast<off_t>(offset + bytes.size())) != 0)
        err = errno;
    if (err == 0 && ::fdatasync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && created)
        syncDirectory(PathResolver::directoryOf(path));
    return err;
}

int SystemFileOperations::replaceAtomically(const std::string& path, std::string_view bytes) {
    int err = 0;
    if (!AtomicFile::write(path, bytes, nullptr, &err, AtomicFile::Target::OwnRegularOrNone))
        return err != 0 ? err : EIO;
    return 0;
}

bool SystemFileOperations::openForReading(const std::string& path, InputFile& file) {
    return file.open(path);
}

int SystemFileOperations::remove(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return errno;
    return 0;
}

} // namespace tolvane
