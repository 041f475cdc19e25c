// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/AtomicFile.h"

#include "core/common/PathResolver.h"
#include "core/common/UserFileSafety.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {

namespace {

enum class Existing { None, OwnRegular, Other };

// What the name path stands for now, without following a link.
Existing existing(const std::string& path, struct stat& st) {
    if (::lstat(path.c_str(), &st) != 0)
        return Existing::None;
    return UserFileSafety::isOwnRegularFile(st, ::geteuid()) ? Existing::OwnRegular
                                                             : Existing::Other;
}

} // namespace

bool AtomicFile::write(const std::string& path, std::string_view bytes, std::string* error,
                       int* errorNumber, Target target) {
    return write(path, std::vector<std::string_view>{bytes}, error, errorNumber, target);
}

bool AtomicFile::write(const std::string& path, const std::vector<std::string_view>& pieces,
                       std::string* error, int* errorNumber, Target target) {
    auto fail = [&](const std::string& tmp, int err) {
        if (!tmp.empty())
            ::unlink(tmp.c_str());
        if (error)
            *error = err == UserFileSafety::kNotOwnRegularFile
                         ? "not a regular file owned by the user"
                         : std::strerror(err);
        if (errorNumber)
            *errorNumber = err;
        return false;
    };

    const bool ownOnly = target == Target::OwnRegularOrNone;
    // The new file keeps the permissions of the one it replaces, so a
    // per-user file kept private stays private; a new file is 0644.
    struct stat old {};
    mode_t mode = 0644;
    if (ownOnly) {
        const Existing now = existing(path, old);
        if (now == Existing::Other)
            return fail({}, UserFileSafety::kNotOwnRegularFile);
        if (now == Existing::OwnRegular)
            mode = old.st_mode & 07777;
    } else if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
    }
    // mkstemp creates with O_EXCL: a link or file planted at the name it
    // picks makes it pick another.
    std::string tmp = path + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return fail({}, errno);
    ::fchmod(fd, mode);
    for (const std::string_view bytes : pieces) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                const int err = n < 0 ? errno : ENOSPC;
                ::close(fd);
                return fail(tmp, err);
            }
            done += static_cast<size_t>(n);
        }
    }
    if (::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(tmp, err);
    }
    if (::close(fd) != 0)
        return fail(tmp, errno);
    // Looked at again just before: rename never writes through a link, so
    // what may still change in between only decides which name is replaced.
    if (ownOnly && existing(path, old) == Existing::Other)
        return fail(tmp, UserFileSafety::kNotOwnRegularFile);
    if (::rename(tmp.c_str(), path.c_str()) != 0)
        return fail(tmp, errno);
    // Make the rename itself durable.
    const std::string dir = PathResolver::directoryOf(path);
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace tolvane
