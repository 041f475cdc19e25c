#include "core/common/SystemFileOperations.h"

#include "core/common/AtomicFile.h"
#include "core/common/InputFile.h"
#include "core/common/PathResolver.h"

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
    const bool existed = ::access(path.c_str(), F_OK) == 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
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
    if (err == 0 && !existed)
        syncDirectory(PathResolver::directoryOf(path));
    return err;
}

int SystemFileOperations::replaceAtomically(const std::string& path, std::string_view bytes) {
    int err = 0;
    if (!AtomicFile::write(path, bytes, nullptr, &err))
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
