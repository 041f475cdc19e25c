// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/RtfTokenizer.h"

#include "core/common/HexDigit.h"
#include "core/rtf/RtfControlWords.h"

#include <algorithm>
#include <array>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tolvane::rtf {
namespace {

enum ByteClass : uint8_t { kPlain = 0, kSpecial = 1, kDropped = 2 };

constexpr std::array<uint8_t, 256> makeClasses() {
    std::array<uint8_t, 256> c{};
    for (int b = 0; b < 0x20; ++b)
        c[b] = kDropped;
    c['\t'] = kPlain;
    c['\\'] = kSpecial;
    c['{'] = kSpecial;
    c['}'] = kSpecial;
    return c;
}
constexpr std::array<uint8_t, 256> kClasses = makeClasses();

constexpr uint8_t kNoHex = 0xFF;

constexpr std::array<uint8_t, 256> makeHexValues() {
    std::array<uint8_t, 256> v{};
    for (int b = 0; b < 256; ++b) {
        const int digit = hexDigitValue(static_cast<unsigned char>(b));
        v[b] = digit < 0 ? kNoHex : static_cast<uint8_t>(digit);
    }
    return v;
}
constexpr std::array<uint8_t, 256> kHexValues = makeHexValues();

bool isLetter(unsigned char c) {
    return static_cast<unsigned char>((c | 0x20) - 'a') < 26;
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// textEffect() of every word that is not a destination, read in one load.
constexpr size_t kWordCount = static_cast<size_t>(Word::Character) + 1;
constexpr std::array<TextEffect, kWordCount> makeEffects() {
    std::array<TextEffect, kWordCount> effects{};
    for (size_t w = 0; w < kWordCount; ++w)
        effects[w] = textEffect(ControlWord{WordKind::Flag, static_cast<Word>(w), 0});
    return effects;
}
constexpr std::array<TextEffect, kWordCount> kEffects = makeEffects();

// The bytes groupEnd() stops at.
constexpr std::array<bool, 256> makeGroupBytes() {
    std::array<bool, 256> bytes{};
    bytes['{'] = bytes['}'] = bytes['\\'] = true;
    return bytes;
}
constexpr std::array<bool, 256> kGroupBytes = makeGroupBytes();

} // namespace

RtfToken RtfTokenizer::nextOther() {
    for (;;) {
        RtfToken token;
        if (scan(token))
            return token;
    }
}

bool RtfTokenizer::scan(RtfToken& token) {
    const auto* data = reinterpret_cast<const unsigned char*>(m_input.data());
    const size_t size = m_input.size();
    while (m_pos < size && kClasses[data[m_pos]] == kDropped)
        ++m_pos;
    if (m_pos >= size)
        return true;
    const unsigned char c = data[m_pos];
    if (kClasses[c] == kPlain) {
        const size_t start = m_pos;
        while (m_pos < size && kClasses[data[m_pos]] == kPlain)
            ++m_pos;
        token.type = RtfToken::Type::Text;
        token.text = m_input.substr(start, m_pos - start);
        return true;
    }
    ++m_pos;
    if (c == '{') {
        token.type = RtfToken::Type::GroupStart;
        return true;
    }
    if (c == '}') {
        token.type = RtfToken::Type::GroupEnd;
        return true;
    }
    // A backslash.
    if (m_pos >= size)
        return true; // a backslash ending the input means nothing
    const unsigned char first = data[m_pos];
    if (!isLetter(first)) {
        ++m_pos;
        if (first == '\'') {
            const int high = m_pos < size ? hexDigitValue(data[m_pos]) : -1;
            if (high < 0)
                return false;
            ++m_pos;
            const int low = m_pos < size ? hexDigitValue(data[m_pos]) : -1;
            if (low < 0)
                return false;
            ++m_pos;
            token.type = RtfToken::Type::HexByte;
            token.symbol = static_cast<unsigned char>(high * 16 + low);
            return true;
        }
        token.type = RtfToken::Type::ControlSymbol;
        token.symbol = first;
        return true;
    }
    m_pos = scanWord(m_pos, token);
    return true;
}

size_t RtfTokenizer::scanWord(size_t p, RtfToken& token) const {
    const auto* data = reinterpret_cast<const unsigned char*>(m_input.data());
    const size_t size = m_input.size();
    const size_t start = p;
    uint32_t hash = kNameHashSeed;
    while (p < size && isLetter(data[p]))
        hash = nameHash(hash, data[p++]);
    token.type = RtfToken::Type::ControlWord;
    token.hash = hash;
    // No word of ours is longer than that: a longer one has no name.
    if (p - start <= kMaxWordLength)
        token.text = std::string_view(m_input.data() + start, p - start);
    if (p < size && (data[p] == '-' || isDigit(data[p]))) {
        bool negative = false;
        size_t q = p;
        if (data[q] == '-') {
            negative = true;
            ++q;
        }
        if (q < size && isDigit(data[q])) {
            int64_t value = 0;
            while (q < size && isDigit(data[q])) {
                if (value <= kMaxParameter)
                    value = value * 10 + (data[q] - '0');
                ++q;
            }
            if (value > kMaxParameter)
                value = kMaxParameter;
            token.hasParameter = true;
            token.parameter = static_cast<int32_t>(negative ? -value : value);
            p = q;
        }
    }
    if (p < size && data[p] == ' ')
        ++p;
    return p;
}

bool RtfTokenizer::passWord(size_t& p, char16_t* out, size_t& k, bool marks) const {
    const auto* data = reinterpret_cast<const unsigned char*>(m_input.data());
    const size_t size = m_input.size();
    const size_t start = p + 1;
    size_t q = start;
    uint32_t hash = kNameHashSeed;
    while (q < size && isLetter(data[q]))
        hash = nameHash(hash, data[q++]);
    if (q == start)
        return false;
    // A longer name has no word, as in scanWord().
    const size_t length = q - start <= kMaxWordLength ? q - start : 0;
    const ControlWord& word =
        LookUpControlWord(std::string_view(m_input.data() + start, length), hash);
    const TextEffect effect = word.kind == WordKind::Destination
                                  ? TextEffect::Stop
                                  : kEffects[static_cast<size_t>(word.word)];
    if (effect == TextEffect::Stop)
        return false;
    if (!marks &&
        (effect == TextEffect::Break || word.word == Word::Cell || word.word == Word::NestedCell))
        return false;
    if (effect == TextEffect::Unit) {
        out[k++] = word.word == Word::Character ? static_cast<char16_t>(word.value) : u'\t';
    } else if (effect == TextEffect::Break) {
        out[k++] = u'\r';
        out[k++] = u'\n';
    }
    // The parameter changes none of these: it is only passed over.
    const size_t digits = q < size && data[q] == '-' ? q + 1 : q;
    if (digits < size && isDigit(data[digits])) {
        q = digits + 1;
        while (q < size && isDigit(data[q]))
            ++q;
    }
    if (q < size && data[q] == ' ')
        ++q;
    p = q;
    return true;
}

size_t RtfTokenizer::decodeRun(const std::array<char16_t, 256>& table, char16_t* out,
                               size_t capacity, RtfTextPass* pass) {
    const bool words = pass != nullptr && pass->words;
    const bool groups = pass != nullptr && pass->groups;
    const bool marks = pass == nullptr || pass->marks;
    size_t opened = pass != nullptr ? pass->opened : 0;
    const auto* data = reinterpret_cast<const unsigned char*>(m_input.data());
    const size_t size = m_input.size();
    size_t p = m_pos;
    size_t k = 0;
#ifdef __SSE2__
    // Pages whose lower half is ASCII widen printable ASCII as it is, sixteen
    // bytes at a time; each block is stored whole and the units past its
    // first other byte are overwritten by what follows.
    if (table['A'] == u'A' && table['\\'] == u'\\') {
        const __m128i space = _mm_set1_epi8(0x20);
        const __m128i backslash = _mm_set1_epi8('\\');
        const __m128i open = _mm_set1_epi8('{');
        const __m128i close = _mm_set1_epi8('}');
        const __m128i zero = _mm_setzero_si128();
        while (p + 16 <= size && k + 16 <= capacity) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
            // Bytes below 0x20 or from 0x80 up compare below 0x20 as signed.
            const __m128i special =
                _mm_or_si128(_mm_or_si128(_mm_cmpgt_epi8(space, x), _mm_cmpeq_epi8(x, backslash)),
                             _mm_or_si128(_mm_cmpeq_epi8(x, open), _mm_cmpeq_epi8(x, close)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_unpacklo_epi8(x, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k + 8), _mm_unpackhi_epi8(x, zero));
            const auto mask = static_cast<unsigned>(_mm_movemask_epi8(special));
            if (mask == 0) {
                p += 16;
                k += 16;
                continue;
            }
            const auto plain = static_cast<unsigned>(__builtin_ctz(mask));
            p += plain;
            k += plain;
            const unsigned char c = data[p];
            if (c == '\\') {
                if (p + 1 < size && data[p + 1] != '\'') {
                    if (words && passWord(p, out, k, marks))
                        continue;
                    break;
                }
                if (p + 3 >= size)
                    break;
                const unsigned high = kHexValues[data[p + 2]];
                const unsigned low = kHexValues[data[p + 3]];
                if ((high | low) > 15) // either is kNoHex
                    break;
                out[k++] = table[high * 16 + low];
                p += 4;
            } else if (c >= 0x80 || c == '\t') {
                out[k++] = table[c];
                ++p;
            } else if (c < 0x20) {
                ++p;
            } else if (groups && (c == '{' || opened > 0)) {
                opened += c == '{' ? 1 : size_t(0) - 1;
                ++p;
            } else {
                break; // a brace
            }
        }
    }
#endif
    while (p < size && k < capacity) {
        const unsigned char c = data[p];
        const uint8_t cls = kClasses[c];
        if (cls == kPlain) {
            out[k++] = table[c];
            ++p;
        } else if (cls == kDropped) {
            ++p;
        } else if (c == '\\' && p + 3 < size && data[p + 1] == '\'') {
            const unsigned high = kHexValues[data[p + 2]];
            const unsigned low = kHexValues[data[p + 3]];
            if ((high | low) > 15)
                break;
            out[k++] = table[high * 16 + low];
            p += 4;
        } else if (c == '\\') {
            if (!words || k + 2 > capacity || !passWord(p, out, k, marks))
                break;
        } else if (groups && (c == '{' || opened > 0)) {
            opened += c == '{' ? 1 : size_t(0) - 1;
            ++p;
        } else {
            break;
        }
    }
    if (pass != nullptr)
        pass->opened = opened;
    m_pos = p;
    return k;
}

std::string_view RtfTokenizer::takeBinary(int32_t size) {
    const size_t available = m_input.size() - m_pos;
    const size_t count = size <= 0 ? 0 : std::min(static_cast<size_t>(size), available);
    std::string_view bytes = m_input.substr(m_pos, count);
    m_pos += count;
    return bytes;
}

size_t RtfTokenizer::groupEnd() const {
    const auto* data = reinterpret_cast<const unsigned char*>(m_input.data());
    const size_t size = m_input.size();
    size_t p = m_pos;
    size_t depth = 0;
    for (;;) {
        while (p < size && !kGroupBytes[data[p]])
            ++p;
        if (p >= size)
            return size;
        const unsigned char c = data[p];
        if (c == '{') {
            ++depth;
            ++p;
        } else if (c == '}') {
            if (depth == 0)
                return p;
            --depth;
            ++p;
        } else if (p + 1 < size && isLetter(data[p + 1])) {
            // Only \binN matters: its data may hold braces. Other words end
            // with their letters, as what follows them is plain bytes here.
            size_t q = p + 1;
            while (q < size && isLetter(data[q]))
                ++q;
            if (q - p == 4 && data[p + 1] == 'b' && data[p + 2] == 'i' && data[p + 3] == 'n') {
                RtfToken token;
                q = scanWord(p + 1, token);
                if (token.hasParameter && token.parameter > 0)
                    q += std::min(static_cast<size_t>(token.parameter), size - q);
            }
            p = q;
        } else {
            // A control symbol; after \' the hex digits are plain bytes.
            p = std::min(size, p + 2);
        }
    }
}

} // namespace tolvane::rtf
