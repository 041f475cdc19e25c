#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolvane {

// A file opened read-only for the length of one operation and closed by the
// destructor. Reads are positional and never go past the end of the file:
// they return how many bytes they could supply.
class InputFile {
public:
    InputFile() = default;
    explicit InputFile(const std::string& path) { open(path); }
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;

    bool open(const std::string& path);
    // Takes over an open descriptor (closed with this object); false, and
    // closed, when it is -1 or its size cannot be learnt.
    bool adopt(int fd);
    // Learns the size again, for a file that has grown since it was opened.
    void updateSize();
    void close();
    bool isOpen() const { return m_fd >= 0; }
    uint64_t size() const { return m_size; }

    // Reads up to count bytes at offset into buffer; returns the bytes read.
    size_t readAt(uint64_t offset, void* buffer, size_t count) const;
    // Reads a little-endian 32-bit value; false when fewer than 4 bytes remain.
    bool readU32At(uint64_t offset, uint32_t& value) const;
    // The whole file, or false when it cannot be read.
    static bool readAll(const std::string& path, std::string& out);

private:
    int m_fd = -1;
    uint64_t m_size = 0;
};

} // namespace tolvane
