// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

// The whole of a file read once into memory that the system gives in large
// pages where it can: a document of many megabytes then costs a few page
// faults instead of one per 4 KB. The memory is the reader's own (the file
// is not mapped), so a file that shrinks meanwhile only gives fewer bytes.
class FileContents {
public:
    FileContents() = default;
    ~FileContents();
    FileContents(const FileContents&) = delete;
    FileContents& operator=(const FileContents&) = delete;

    // False when the file cannot be opened as a regular file.
    bool read(const std::string& path);
    std::string_view bytes() const { return {m_data, m_size}; }

private:
    void release();

    void* m_map = nullptr;
    size_t m_mapSize = 0;
    std::string m_fallback; // when no memory could be mapped
    const char* m_data = "";
    size_t m_size = 0;
};

} // namespace tolvane
