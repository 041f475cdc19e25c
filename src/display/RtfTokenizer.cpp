#include "RtfTokenizer.h"

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

bool isLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

RtfToken RtfTokenizer::next() {
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
            const int high = m_pos < size ? hexValue(data[m_pos]) : -1;
            if (high < 0)
                return false;
            ++m_pos;
            const int low = m_pos < size ? hexValue(data[m_pos]) : -1;
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
    const size_t start = m_pos;
    while (m_pos < size && isLetter(data[m_pos]))
        ++m_pos;
    token.type = RtfToken::Type::ControlWord;
    token.text = m_input.substr(start, std::min(m_pos - start, kMaxWordLength));
    if (m_pos - start > kMaxWordLength)
        token.text = std::string_view(); // no word of ours is that long
    if (m_pos < size && (data[m_pos] == '-' || isDigit(data[m_pos]))) {
        bool negative = false;
        size_t p = m_pos;
        if (data[p] == '-') {
            negative = true;
            ++p;
        }
        if (p < size && isDigit(data[p])) {
            int64_t value = 0;
            while (p < size && isDigit(data[p])) {
                if (value <= kMaxParameter)
                    value = value * 10 + (data[p] - '0');
                ++p;
            }
            if (value > kMaxParameter)
                value = kMaxParameter;
            token.hasParameter = true;
            token.parameter = static_cast<int32_t>(negative ? -value : value);
            m_pos = p;
        }
    }
    if (m_pos < size && data[m_pos] == ' ')
        ++m_pos;
    return true;
}

size_t RtfTokenizer::decodeText(const std::array<char16_t, 256>& table, char16_t* out,
                                size_t capacity) {
    const auto* data = reinterpret_cast<const unsigned char*>(m_input.data());
    const size_t size = m_input.size();
    size_t p = m_pos;
    size_t k = 0;
    // Pages whose lower half is ASCII widen runs of printable ASCII as they
    // are, sixteen bytes at a time.
    const bool asciiIdentity = table['A'] == u'A' && table['\\'] == u'\\';
    while (p < size && k < capacity) {
#ifdef __SSE2__
        if (asciiIdentity) {
            const __m128i low = _mm_set1_epi8(0x20);
            const __m128i backslash = _mm_set1_epi8('\\');
            const __m128i open = _mm_set1_epi8('{');
            const __m128i close = _mm_set1_epi8('}');
            const __m128i zero = _mm_setzero_si128();
            while (p + 16 <= size && k + 16 <= capacity) {
                const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
                // Bytes below 0x20 or from 0x80 up compare below 0x20 as signed.
                const __m128i special =
                    _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(x, low), _mm_cmpeq_epi8(x, backslash)),
                                 _mm_or_si128(_mm_cmpeq_epi8(x, open), _mm_cmpeq_epi8(x, close)));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_unpacklo_epi8(x, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k + 8),
                                 _mm_unpackhi_epi8(x, zero));
                const int mask = _mm_movemask_epi8(special);
                // The units past the first special byte are overwritten later.
                const int plain = mask == 0 ? 16 : __builtin_ctz(static_cast<unsigned>(mask));
                p += static_cast<size_t>(plain);
                k += static_cast<size_t>(plain);
                if (plain < 16)
                    break;
            }
            if (p >= size || k >= capacity)
                break;
        }
#endif
        const unsigned char c = data[p];
        const uint8_t cls = kClasses[c];
        if (cls == kPlain) {
            out[k++] = table[c];
            ++p;
        } else if (cls == kDropped) {
            ++p;
        } else if (c == '\\' && p + 3 < size && data[p + 1] == '\'') {
            const int high = hexValue(data[p + 2]);
            const int low = hexValue(data[p + 3]);
            if (high < 0 || low < 0)
                break;
            out[k++] = table[high * 16 + low];
            p += 4;
        } else {
            break;
        }
    }
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

} // namespace tolvane::rtf
