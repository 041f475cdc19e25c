// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace tolvane::cp1252 {

// Windows-1252 is the byte encoding of every text the data source and the
// per-user files hold. The five bytes the code page leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, as the
// platform's own conversion did, so every byte round-trips.

char16_t toUnicode(unsigned char byte);

// The byte for a Unicode code point, or -1 when the code page has none.
int fromUnicode(char32_t codePoint);

std::string toUtf8(std::string_view text);

// Appends the UTF-8 form of one Unicode code point.
void appendUtf8(std::string& out, char32_t codePoint);
std::u16string toUtf16(std::string_view text);

// Characters without a Windows-1252 byte become '?'; *lossless (when given)
// tells whether that happened. Malformed UTF-8 counts as unrepresentable.
std::string fromUtf8(std::string_view utf8, bool* lossless = nullptr);
std::string fromUtf16(std::u16string_view text, bool* lossless = nullptr);

// Appends Windows-1252 text to RTF, bytes from 0x80 as \'hh escapes, as
// authoring tools write them.
void appendRtfText(std::string& rtf, std::string_view text);

// The code page's case pairs: a-z, the accented letters and š œ ž ÿ. Letters
// keep their accents; bytes without a partner are returned unchanged.
unsigned char toUpper(unsigned char byte);
unsigned char toLower(unsigned char byte);
std::string toUpper(std::string_view text);
void toUpperInPlace(std::string& text);

// Letters of the code page (ASCII and accented, including ª º µ ß).
bool isLetter(unsigned char byte);
// A character that belongs to a word for whole-word matching: a letter, a
// digit or the underscore.
bool isWordChar(unsigned char byte);

// The same rules on UTF-16 code units, for the displayed text of articles.
// Units outside the code page have no case partner; letters of the Latin
// Extended, Greek, Cyrillic and CJK blocks count as word characters.
char16_t toUpper16(char16_t unit);
bool isWordChar16(char16_t unit);

} // namespace tolvane::cp1252
