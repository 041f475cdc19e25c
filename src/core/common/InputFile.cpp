// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/InputFile.h"

#include "core/common/LittleEndian.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
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

FileContents::~FileContents() {
    release();
}

void FileContents::release() {
    if (m_map != nullptr)
        ::munmap(m_map, m_mapSize);
    m_map = nullptr;
    m_mapSize = 0;
    m_fallback.clear();
    m_data = "";
    m_size = 0;
}

bool FileContents::read(const std::string& path) {
    release();
    InputFile f;
    if (!f.open(path))
        return false;
    // The size is only a hint: the file may change while it is read.
    const auto size = static_cast<size_t>(f.size());
    if (size == 0)
        return true;
    constexpr size_t kLargePage = size_t{2} << 20;
    constexpr size_t kPage = 4096;
    const bool large = size >= kLargePage;
    const size_t rounded = (size + kPage - 1) / kPage * kPage;
    const size_t mapSize = large ? rounded + kLargePage : rounded;
    void* map =
        ::mmap(nullptr, mapSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) {
        m_fallback.resize(size);
        m_size = f.readAt(0, m_fallback.data(), size);
        m_data = m_fallback.data();
        return true;
    }
    m_map = map;
    m_mapSize = mapSize;
    auto* data = static_cast<char*>(map);
    if (large) {
        // From the first large-page boundary, so that whole large pages fit.
        const auto address = reinterpret_cast<uintptr_t>(data);
        data += (kLargePage - address % kLargePage) % kLargePage;
#ifdef MADV_HUGEPAGE
        ::madvise(data, rounded, MADV_HUGEPAGE);
#endif
    }
    m_size = f.readAt(0, data, size);
    m_data = data;
    return true;
}

} // namespace tolvane
