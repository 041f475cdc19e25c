#include "RtfTokenizer.h"

#include <algorithm>
#include <array>

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
    if (m_pos >= size) {
        token.type = RtfToken::Type::ControlSymbol;
        token.symbol = '\\';
        return true;
    }
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

std::string_view RtfTokenizer::takeBinary(int32_t size) {
    const size_t available = m_input.size() - m_pos;
    const size_t count = size <= 0 ? 0 : std::min(static_cast<size_t>(size), available);
    std::string_view bytes = m_input.substr(m_pos, count);
    m_pos += count;
    return bytes;
}

} // namespace tolvane::rtf
