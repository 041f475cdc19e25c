// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/common/FrenchOrder.h"

#include "core/common/Cp1252.h"

#include <array>
#include <cstdint>

namespace tolvane::french {

namespace {

// Primary weights; the level separator is 0, below them all.
constexpr uint8_t kBlank = 0x02;
constexpr uint8_t kPunctuation = 0x03;
constexpr uint8_t kDigit = 0x10;  // + the digit
constexpr uint8_t kLetter = 0x20; // + the letter's place from A

// Accents, in the order a French dictionary takes them.
enum Accent : uint8_t {
    kNone = 1,
    kAcute,
    kGrave,
    kCircumflex,
    kDiaeresis,
    kCedilla,
    kTilde,
    kRing,
    kCaron,
    kStroke,
    kLigature, // the first letter of œ æ ß þ, so "oe" comes before "œ"
};

// What one byte counts as: one or two letters (or a digit, a blank, a
// punctuation mark) with an accent and a case.
struct Unit {
    uint8_t primary[2] = {0, 0};
    uint8_t accent = kNone;
    uint8_t upper = 1; // 1 lower or not a letter, 2 upper
};

struct Letter {
    unsigned char byte;
    char base[3];
    Accent accent;
};

// The accented letters and ligatures of the code page, upper case; the
// lower case of each is its partner in the code page's case pairs.
constexpr Letter kLetters[] = {
    {0xC0, "A", kGrave},     {0xC1, "A", kAcute},      {0xC2, "A", kCircumflex},
    {0xC3, "A", kTilde},     {0xC4, "A", kDiaeresis},  {0xC5, "A", kRing},
    {0xC6, "AE", kLigature}, {0xC7, "C", kCedilla},    {0xC8, "E", kGrave},
    {0xC9, "E", kAcute},     {0xCA, "E", kCircumflex}, {0xCB, "E", kDiaeresis},
    {0xCC, "I", kGrave},     {0xCD, "I", kAcute},      {0xCE, "I", kCircumflex},
    {0xCF, "I", kDiaeresis}, {0xD0, "D", kStroke},     {0xD1, "N", kTilde},
    {0xD2, "O", kGrave},     {0xD3, "O", kAcute},      {0xD4, "O", kCircumflex},
    {0xD5, "O", kTilde},     {0xD6, "O", kDiaeresis},  {0xD8, "O", kStroke},
    {0xD9, "U", kGrave},     {0xDA, "U", kAcute},      {0xDB, "U", kCircumflex},
    {0xDC, "U", kDiaeresis}, {0xDD, "Y", kAcute},      {0xDE, "TH", kLigature},
    {0x8A, "S", kCaron},     {0x8C, "OE", kLigature},  {0x8E, "Z", kCaron},
    {0x9F, "Y", kDiaeresis},
};

std::array<Unit, 256> MakeUnits() {
    std::array<Unit, 256> units{};
    for (int b = 0; b < 256; ++b) {
        Unit& u = units[b];
        if (b == ' ' || b == '\t' || b == 0xA0)
            u.primary[0] = kBlank;
        else
            u.primary[0] = kPunctuation;
    }
    for (int d = 0; d <= 9; ++d)
        units['0' + d].primary[0] = static_cast<uint8_t>(kDigit + d);
    for (int l = 0; l < 26; ++l) {
        units['A' + l].primary[0] = static_cast<uint8_t>(kLetter + l);
        units['A' + l].upper = 2;
        units['a' + l].primary[0] = static_cast<uint8_t>(kLetter + l);
    }
    for (const Letter& letter : kLetters) {
        Unit u;
        for (int k = 0; k < 2 && letter.base[k] != 0; ++k)
            u.primary[k] = static_cast<uint8_t>(kLetter + (letter.base[k] - 'A'));
        u.accent = letter.accent;
        u.upper = 2;
        units[letter.byte] = u;
        u.upper = 1;
        units[cp1252::toLower(letter.byte)] = u;
    }
    // ß has no upper case in the code page; ª and º are small letters.
    units[0xDF] = Unit{{kLetter + ('S' - 'A'), kLetter + ('S' - 'A')}, kLigature, 1};
    units[0xAA] = Unit{{kLetter + 0, 0}, kRing, 1};
    units[0xBA] = Unit{{kLetter + ('O' - 'A'), 0}, kRing, 1};
    return units;
}

const std::array<Unit, 256>& Units() {
    static const std::array<Unit, 256> units = MakeUnits();
    return units;
}

void AppendPrimary(std::string& out, std::string_view text) {
    const auto& units = Units();
    for (const char c : text) {
        const Unit& u = units[static_cast<unsigned char>(c)];
        out += static_cast<char>(u.primary[0]);
        if (u.primary[1] != 0)
            out += static_cast<char>(u.primary[1]);
    }
}

} // namespace

std::string primaryKey(std::string_view text) {
    std::string key;
    key.reserve(text.size() + 2);
    AppendPrimary(key, text);
    return key;
}

std::string sortKey(std::string_view text) {
    const auto& units = Units();
    std::string key;
    key.reserve(text.size() * 4 + 3);
    AppendPrimary(key, text);
    key += '\0';
    // One accent and one case per letter of the first level, so that texts
    // equal there have the other levels of the same length.
    for (const char c : text) {
        const Unit& u = units[static_cast<unsigned char>(c)];
        key += static_cast<char>(u.accent);
        if (u.primary[1] != 0)
            key += static_cast<char>(kNone);
    }
    key += '\0';
    for (const char c : text) {
        const Unit& u = units[static_cast<unsigned char>(c)];
        key += static_cast<char>(u.upper);
        if (u.primary[1] != 0)
            key += static_cast<char>(u.upper);
    }
    key += '\0';
    key += text;
    return key;
}

namespace {

// Walks the units of a text for one level, a ligature giving two.
class UnitWalk {
public:
    explicit UnitWalk(std::string_view text) : m_text(text) {}
    // The next unit's weight at level (1 letters, 2 accents, 3 case), or -1
    // at the end.
    int next(int level) {
        if (m_pos >= m_text.size())
            return -1;
        const Unit& u = Units()[static_cast<unsigned char>(m_text[m_pos])];
        const int half = m_half;
        if (half == 0 && u.primary[1] != 0) {
            m_half = 1;
        } else {
            m_half = 0;
            ++m_pos;
        }
        switch (level) {
        case 1:
            return u.primary[half];
        case 2:
            return half == 0 ? int(u.accent) : int(kNone);
        default:
            return u.upper;
        }
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    int m_half = 0;
};

} // namespace

// The order of sortKey, level by level, without making the keys: most
// neighbours in a word list differ in their first letters.
int compare(std::string_view a, std::string_view b) {
    for (int level = 1; level <= 3; ++level) {
        UnitWalk left(a), right(b);
        for (;;) {
            const int x = left.next(level);
            const int y = right.next(level);
            if (x != y)
                return x < y ? -1 : 1;
            if (x < 0)
                break;
        }
    }
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

} // namespace tolvane::french
