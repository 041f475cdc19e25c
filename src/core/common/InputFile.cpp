#include "core/common/InputFile.h"

#include "core/common/LittleEndian.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tolvane {

InputFile::~InputFile() {
    close();
}

InputFile::InputFile(InputFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_size(std::exchange(other.m_size, 0)) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

bool InputFile::open(const std::string& path) {
    close();
    // O_NONBLOCK: opening a FIFO that carries a data-source name would
    // otherwise wait for a writer forever; only regular files are kept.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    m_fd = fd;
    m_size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool InputFile::adopt(int fd) {
    close();
    struct stat st {};
    if (fd < 0)
        return false;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_size = static_cast<uint64_t>(st.st_size);
    return true;
}

void InputFile::updateSize() {
    struct stat st {};
    if (m_fd >= 0 && ::fstat(m_fd, &st) == 0)
        m_size = static_cast<uint64_t>(st.st_size);
}

void InputFile::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

size_t InputFile::readAt(uint64_t offset, void* buffer, size_t count) const {
    if (m_fd < 0 || count == 0)
        return 0;
    size_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n =
            ::pread(m_fd, out + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

bool InputFile::readU32At(uint64_t offset, uint32_t& value) const {
    unsigned char b[4];
    if (readAt(offset, b, 4) != 4)
        return false;
    value = loadU32LE(b);
    return true;
}

bool InputFile::readAll(const std::string& path, std::string& out) {
    InputFile f;
    if (!f.open(path))
        return false;
    out.clear();
    // The size is only a hint: the file may change while it is read.
    std::string buffer(static_cast<size_t>(f.size()), '\0');
    const size_t n = f.readAt(0, buffer.data(), buffer.size());
    buffer.resize(n);
    out = std::move(buffer);
    return true;
}

} // namespace tolvane
