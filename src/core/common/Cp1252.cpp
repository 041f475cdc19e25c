// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/Cp1252.h"

#include "core/common/HexDigit.h"

#include <array>

namespace tolvane::cp1252 {
namespace {

// Unicode values of bytes 0x80-0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one UTF-8 sequence at text[i]; returns the code point or
// 0xFFFFFFFF for a malformed sequence, advancing i past what was consumed.
char32_t decodeUtf8(std::string_view text, size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80)
        return lead;
    int extra;
    char32_t cp;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return 0xFFFFFFFF;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size())
            return 0xFFFFFFFF;
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) != 0x80)
            return 0xFFFFFFFF;
        cp = (cp << 6) | (c & 0x3F);
        ++i;
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0xFFFFFFFF;
    return cp;
}

} // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char16_t toUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

int fromUnicode(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (size_t k = 0; k < kHighControls.size(); ++k) {
        if (kHighControls[k] == cp)
            return static_cast<int>(0x80 + k);
    }
    return -1;
}

std::string toUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text)
        appendUtf8(out, toUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::u16string toUtf16(std::string_view text) {
    std::u16string out(text.size(), u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = toUnicode(static_cast<unsigned char>(text[i]));
    return out;
}

namespace {

// The bytes of the characters next(byte) gives until it returns false, a
// byte of -1 standing for a character the code page does not have.
template <typename Next> std::string toBytes(size_t sizeHint, bool* lossless, Next next) {
    std::string out;
    out.reserve(sizeHint);
    bool ok = true;
    for (int byte = 0; next(byte);) {
        if (byte < 0) {
            ok = false;
            out += '?';
        } else {
            out += static_cast<char>(byte);
        }
    }
    if (lossless)
        *lossless = ok;
    return out;
}

} // namespace

std::string fromUtf8(std::string_view utf8, bool* lossless) {
    size_t i = 0;
    return toBytes(utf8.size(), lossless, [&](int& byte) {
        if (i >= utf8.size())
            return false;
        const char32_t cp = decodeUtf8(utf8, i);
        byte = cp == 0xFFFFFFFF ? -1 : fromUnicode(cp);
        return true;
    });
}

std::string fromUtf16(std::u16string_view text, bool* lossless) {
    size_t i = 0;
    return toBytes(text.size(), lossless, [&](int& byte) {
        if (i >= text.size())
            return false;
        const char16_t unit = text[i++];
        if (unit >= 0xD800 && unit <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 &&
            text[i] <= 0xDFFF) {
            ++i; // a character beyond the BMP has no byte in the code page
            byte = -1;
        } else {
            byte = fromUnicode(unit);
        }
        return true;
    });
}

unsigned char toUpper(unsigned char b) {
    if (b >= 'a' && b <= 'z')
        return static_cast<unsigned char>(b - 0x20);
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7)
        return static_cast<unsigned char>(b - 0x20);
    switch (b) {
    case 0x9A:
        return 0x8A; // š
    case 0x9C:
        return 0x8C; // œ
    case 0x9E:
        return 0x8E; // ž
    case 0xFF:
        return 0x9F; // ÿ
    default:
        return b;
    }
}

unsigned char toLower(unsigned char b) {
    if (b >= 'A' && b <= 'Z')
        return static_cast<unsigned char>(b + 0x20);
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7)
        return static_cast<unsigned char>(b + 0x20);
    switch (b) {
    case 0x8A:
        return 0x9A;
    case 0x8C:
        return 0x9C;
    case 0x8E:
        return 0x9E;
    case 0x9F:
        return 0xFF;
    default:
        return b;
    }
}

std::string toUpper(std::string_view text) {
    std::string out(text);
    toUpperInPlace(out);
    return out;
}

void toUpperInPlace(std::string& text) {
    for (char& c : text)
        c = static_cast<char>(toUpper(static_cast<unsigned char>(c)));
}

bool isLetter(unsigned char b) {
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'))
        return true;
    if (b >= 0xC0 && b != 0xD7 && b != 0xF7)
        return true;
    switch (b) {
    case 0x83:
    case 0x8A:
    case 0x8C:
    case 0x8E:
    case 0x9A:
    case 0x9C:
    case 0x9E:
    case 0x9F:
    case 0xAA:
    case 0xB5:
    case 0xBA:
        return true;
    default:
        return false;
    }
}

bool isWordChar(unsigned char b) {
    return isLetter(b) || (b >= '0' && b <= '9') || b == '_';
}

char16_t toUpper16(char16_t unit) {
    const int byte = fromUnicode(unit);
    if (byte < 0)
        return unit;
    return toUnicode(toUpper(static_cast<unsigned char>(byte)));
}

bool isWordChar16(char16_t unit) {
    const int byte = fromUnicode(unit);
    if (byte >= 0)
        return isWordChar(static_cast<unsigned char>(byte));
    // Outside the code page: letters of the Latin, Greek and Cyrillic blocks
    // and CJK ideographs count as word characters; punctuation does not.
    return (unit >= 0x0100 && unit <= 0x024F) || (unit >= 0x0370 && unit <= 0x052F) ||
           (unit >= 0x3040 && unit <= 0x9FFF) || (unit >= 0xAC00 && unit <= 0xD7AF);
}

void appendRtfText(std::string& rtf, std::string_view text) {
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80) {
            rtf += "\\'";
            rtf += hexDigit(c >> 4);
            rtf += hexDigit(c);
        } else {
            rtf += ch;
        }
    }
}

} // namespace tolvane::cp1252
