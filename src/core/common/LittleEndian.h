// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane {

inline uint32_t loadU32LE(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline int32_t loadI32LE(const unsigned char* p) {
    return static_cast<int32_t>(loadU32LE(p));
}

inline void storeU32LE(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
    p[2] = static_cast<unsigned char>((v >> 16) & 0xFF);
    p[3] = static_cast<unsigned char>((v >> 24) & 0xFF);
}

inline void appendU32LE(std::string& out, uint32_t v) {
    const char bytes[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                           static_cast<char>((v >> 16) & 0xFF),
                           static_cast<char>((v >> 24) & 0xFF)};
    out.append(bytes, 4);
}

inline void appendI32LE(std::string& out, int32_t v) {
    appendU32LE(out, static_cast<uint32_t>(v));
}

// Reads little-endian fields from a byte buffer it does not own. Every read
// checks the bytes left first; a read that does not fit consumes nothing and
// returns false, so a reader can never step past the buffer.
class ByteReader {
public:
    ByteReader(const void* data, size_t size)
        : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}
    explicit ByteReader(std::string_view bytes) : ByteReader(bytes.data(), bytes.size()) {}

    size_t position() const { return m_pos; }
    size_t remaining() const { return m_size - m_pos; }
    bool atEnd() const { return m_pos >= m_size; }

    bool readU32(uint32_t& value) {
        if (remaining() < 4)
            return false;
        value = loadU32LE(m_data + m_pos);
        m_pos += 4;
        return true;
    }
    bool readI32(int32_t& value) {
        uint32_t u;
        if (!readU32(u))
            return false;
        value = static_cast<int32_t>(u);
        return true;
    }
    bool readBytes(size_t count, std::string& out) {
        if (remaining() < count)
            return false;
        out.assign(reinterpret_cast<const char*>(m_data + m_pos), count);
        m_pos += count;
        return true;
    }
    bool skip(size_t count) {
        if (remaining() < count)
            return false;
        m_pos += count;
        return true;
    }
    const unsigned char* current() const { return m_data + m_pos; }

private:
    const unsigned char* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace tolvane
