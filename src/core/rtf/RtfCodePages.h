// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iconv.h>

namespace tolvane::rtf {

// The code pages RTF text bytes (\'hh and raw 8-bit bytes) are read in: the
// document's (\ansicpg), or the current font's (\fcharset, \cpg). Single-byte
// pages are embedded tables; the double-byte pages of East Asia go through
// the C library's iconv, one lead and trail pair at a time. Code pages
// without a table read as Windows-1252.
class RtfCodePages {
public:
    // The Symbol font's encoding, as the platform numbers it.
    static constexpr int kSymbol = 42;
    static constexpr int kMacRoman = 10000;
    // Other symbol fonts (Wingdings...): bytes to the private-use U+F0xx.
    static constexpr int kPrivateSymbol = 43;

    using Table = std::array<char16_t, 256>;

    RtfCodePages() = default;
    ~RtfCodePages();
    RtfCodePages(const RtfCodePages&) = delete;
    RtfCodePages& operator=(const RtfCodePages&) = delete;

    // The code page a font's \fcharset stands for; ANSI (0) and default (1)
    // give the document's code page.
    static int fromCharset(int charset, int documentCodePage);
    // The code page a \cpg or \ansicpg parameter names, if known; else 1252.
    static int normalize(int codePage);

    // The whole single-byte table of a code page; DBCS pages give the
    // Windows-1252 table for their single bytes.
    static const Table& table(int codePage);
    static bool isDoubleByte(int codePage);
    static bool isLeadByte(int codePage, unsigned char byte);

    // One character of a DBCS page from its lead and trail bytes; U+FFFD
    // when the pair means nothing.
    char16_t decodePair(int codePage, unsigned char lead, unsigned char trail);
    // A byte of a DBCS page that is no lead byte (half-width katakana...).
    char16_t decodeSingle(int codePage, unsigned char byte);

private:
    char16_t decode(int codePage, const char* bytes, size_t size);

    struct Converter {
        int codePage = 0;
        iconv_t handle = reinterpret_cast<iconv_t>(-1);
    };
    std::array<Converter, 5> m_converters{};
};

} // namespace tolvane::rtf
