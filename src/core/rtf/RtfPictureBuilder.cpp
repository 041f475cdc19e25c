// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/RtfPictureBuilder.h"

#include "core/common/HexDigit.h"

#include <algorithm>

namespace tolvane::rtf {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint32_t kBitfields = 3;

uint32_t readU32(const std::string& s, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}

uint16_t readU16(const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(s[at]) |
                                 static_cast<unsigned char>(s[at + 1]) << 8);
}

void putU32(std::string& s, uint32_t v) {
    for (int k = 0; k < 4; ++k)
        s += static_cast<char>((v >> (8 * k)) & 0xFF);
}

void putU16(std::string& s, uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

void putFileHeader(std::string& s, size_t fileSize, size_t dataOffset) {
    s += "BM";
    putU32(s, static_cast<uint32_t>(fileSize));
    putU32(s, 0);
    putU32(s, static_cast<uint32_t>(dataOffset));
}

int32_t clampTwips(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, 0, 100000000));
}

} // namespace

void RtfPictureBuilder::reset() {
    *this = RtfPictureBuilder(m_keepData);
}

void RtfPictureBuilder::addHex(std::string_view text) {
    if (!m_keepData)
        return;
    for (char ch : text) {
        const int v = hexDigitValue(static_cast<unsigned char>(ch));
        if (v < 0)
            continue;
        if (m_highNibble < 0) {
            m_highNibble = v;
        } else {
            m_data += static_cast<char>(m_highNibble * 16 + v);
            m_highNibble = -1;
        }
    }
}

void RtfPictureBuilder::addBinary(std::string_view bytes) {
    if (m_keepData)
        m_data.append(bytes);
}

std::string RtfPictureBuilder::bmpFromDib() const {
    if (m_data.size() < kInfoHeaderSize)
        return {};
    const uint32_t headerSize = readU32(m_data, 0);
    if (headerSize < 12 || headerSize > m_data.size())
        return {};
    size_t paletteEntries = 0;
    size_t entrySize = 4;
    size_t masks = 0;
    if (headerSize == 12) { // the old core header: 3-byte palette entries
        const uint16_t bits = readU16(m_data, 10);
        paletteEntries = bits <= 8 ? (size_t{1} << bits) : 0;
        entrySize = 3;
    } else {
        const uint16_t bits = readU16(m_data, 14);
        const uint32_t compression = readU32(m_data, 16);
        const uint32_t used = readU32(m_data, 32);
        paletteEntries = used != 0 ? used : (bits <= 8 ? (size_t{1} << bits) : 0);
        if (headerSize == kInfoHeaderSize && compression == kBitfields)
            masks = 12;
    }
    const size_t offset = kFileHeaderSize + headerSize + masks + paletteEntries * entrySize;
    if (offset - kFileHeaderSize > m_data.size())
        return {};
    std::string file;
    file.reserve(kFileHeaderSize + m_data.size());
    putFileHeader(file, kFileHeaderSize + m_data.size(), offset);
    file += m_data;
    return file;
}

std::string RtfPictureBuilder::bmpFromDdb() const {
    const int32_t bits = m_bitsPerPixel;
    if ((bits != 1 && bits != 24 && bits != 32) || m_width <= 0 || m_height <= 0 ||
        m_width > 65535 || m_height > 65535)
        return {};
    const size_t rowBits = static_cast<size_t>(m_width) * static_cast<size_t>(bits);
    const size_t minStride = (rowBits + 7) / 8;
    size_t stride = m_widthBytes > 0 ? static_cast<size_t>(m_widthBytes) : (rowBits + 15) / 16 * 2;
    if (stride < minStride)
        return {};
    const size_t height = static_cast<size_t>(m_height);
    if (m_data.size() / stride < height)
        return {};
    const size_t outStride = (minStride + 3) / 4 * 4;
    const size_t palette = bits == 1 ? 8 : 0;
    const size_t offset = kFileHeaderSize + kInfoHeaderSize + palette;
    std::string file;
    file.reserve(offset + outStride * height);
    putFileHeader(file, offset + outStride * height, offset);
    putU32(file, kInfoHeaderSize);
    putU32(file, static_cast<uint32_t>(m_width));
    putU32(file, static_cast<uint32_t>(-m_height)); // rows top-down, as a device bitmap holds them
    putU16(file, 1);
    putU16(file, static_cast<uint16_t>(bits));
    for (int k = 0; k < 6; ++k)
        putU32(file, 0);
    if (bits == 1) {
        putU32(file, 0x000000);
        putU32(file, 0xFFFFFF);
    }
    for (size_t row = 0; row < height; ++row) {
        file.append(m_data, row * stride, minStride);
        file.append(outStride - minStride, '\0');
    }
    return file;
}

Picture RtfPictureBuilder::build() const {
    Picture picture;
    switch (m_format) {
    case Format::Png:
        picture.kind = Picture::Kind::Png;
        picture.data = m_data;
        break;
    case Format::Jpeg:
        picture.kind = Picture::Kind::Jpeg;
        picture.data = m_data;
        break;
    case Format::Dib:
        picture.data = bmpFromDib();
        break;
    case Format::Ddb:
        picture.data = bmpFromDdb();
        break;
    default:
        break;
    }
    if (m_format == Format::Dib || m_format == Format::Ddb)
        picture.kind = picture.data.empty() ? Picture::Kind::Placeholder : Picture::Kind::Bmp;
    if ((picture.kind == Picture::Kind::Png || picture.kind == Picture::Kind::Jpeg) &&
        picture.data.empty())
        picture.kind = Picture::Kind::Placeholder;

    int64_t width = m_goalWidth;
    int64_t height = m_goalHeight;
    const bool metafile = m_format == Format::Metafile;
    if (width <= 0)
        width = metafile ? int64_t{m_width} * 1440 / 2540 : int64_t{m_width} * 15;
    if (height <= 0)
        height = metafile ? int64_t{m_height} * 1440 / 2540 : int64_t{m_height} * 15;
    width = std::clamp<int64_t>(width, 0, 100000000);
    height = std::clamp<int64_t>(height, 0, 100000000);
    const int64_t scaleX = m_scaleX > 0 ? std::min(m_scaleX, 100000) : 100;
    const int64_t scaleY = m_scaleY > 0 ? std::min(m_scaleY, 100000) : 100;
    picture.widthTwips = clampTwips(width * scaleX / 100);
    picture.heightTwips = clampTwips(height * scaleY / 100);
    return picture;
}

} // namespace tolvane::rtf
