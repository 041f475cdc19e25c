// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tolvane::rtf {

// One token of RTF. Views point into the tokenizer's input.
struct RtfToken {
    enum class Type : uint8_t {
        End,
        GroupStart,    // {
        GroupEnd,      // }
        Text,          // a run of plain bytes: none of \ { } and no control byte but tab
        ControlWord,   // \letters[-digits], name in `text`
        ControlSymbol, // \ and one non-letter, in `symbol` (\' is returned as HexByte)
        HexByte,       // \'hh with two hex digits, the byte in `symbol`
    };
    Type type = Type::End;
    bool hasParameter = false;
    unsigned char symbol = 0;
    int32_t parameter = 0;
    uint32_t hash = 0; // of a control word's name, as LookUpControlWord() hashes it
    std::string_view text;
};

// What decodeText may pass over besides text, for a reader that wants only
// the displayed text of a shown group with no \uN fallback pending.
struct RtfTextPass {
    bool words = false;  // words with no effect; marks and characters written
    bool marks = true;   // with words: also the marks (else they stop the run)
    bool groups = false; // braces, whose state equals the one around them
    size_t opened = 0;   // groups opened and still open where decoding stopped
};

// Splits RTF bytes into tokens without allocating. Control word names are
// cut to 32 letters and parameters clamped to +-1,000,000,000 (further
// letters and digits are consumed); a space after a control word belongs to
// it. CR, LF and other control bytes except tab are dropped between tokens.
// A \' without two hex digits is dropped with the digits it has.
class RtfTokenizer {
public:
    static constexpr size_t kMaxWordLength = 32;
    static constexpr int32_t kMaxParameter = 1000000000;

    explicit RtfTokenizer(std::string_view input) : m_input(input) {}

    RtfToken next() {
        // Braces are the commonest tokens after text: they cost a compare.
        if (m_pos < m_input.size()) {
            const char c = m_input[m_pos];
            if (c == '{' || c == '}') {
                ++m_pos;
                RtfToken token;
                token.type = c == '{' ? RtfToken::Type::GroupStart : RtfToken::Type::GroupEnd;
                return token;
            }
        }
        return nextOther();
    }
    // The raw bytes of \binN following its control word, cut to the input.
    std::string_view takeBinary(int32_t size);
    // The position of the '}' that closes the group being read, nested
    // groups and \binN data passed over as next() would read them; the size
    // of the input when the group is never closed.
    size_t groupEnd() const;
    // Passes over the rest of the group being read, up to its closing '}'.
    void skipGroup() { m_pos = groupEnd(); }
    size_t offset() const { return m_pos; }
    // The token at `pos` as next() reads it from there (control bytes before
    // it passed over), without moving this tokenizer; `pos` moves past it.
    // False for a \' without two hex digits, which next() drops: `pos` then
    // moves past what is dropped and `token` is End.
    bool tokenAt(size_t& pos, RtfToken& token) const {
        // A control word, the commonest, goes straight to its scan.
        if (pos + 1 < m_input.size() && m_input[pos] == '\\' &&
            static_cast<unsigned char>((m_input[pos + 1] | 0x20) - 'a') < 26) {
            pos = scanWord(pos + 1, token);
            return true;
        }
        RtfTokenizer at(m_input);
        at.m_pos = pos;
        const bool whole = at.scan(token);
        pos = at.m_pos;
        return whole;
    }
    std::string_view input() const { return m_input; }
    // Goes on reading at `position` (at most the size of the input).
    void seek(size_t position) { m_pos = std::min(position, m_input.size()); }

    // The fast path of plain text: decodes plain bytes and \'hh escapes from
    // the current position through `table` into `out` (at most `capacity`
    // units), dropping CR, LF and control bytes as next() would, and stops
    // before anything else. With `pass`, also goes on over what it allows.
    // Returns the number of units written.
    size_t decodeText(const std::array<char16_t, 256>& table, char16_t* out, size_t capacity,
                      RtfTextPass* pass = nullptr) {
        // Text often stops at once, between two braces or control words.
        if (pass == nullptr && m_pos < m_input.size()) {
            const char c = m_input[m_pos];
            if (c == '{' || c == '}' ||
                (c == '\\' && m_pos + 1 < m_input.size() && m_input[m_pos + 1] != '\''))
                return 0;
        }
        return decodeRun(table, out, capacity, pass);
    }

private:
    RtfToken nextOther();
    size_t decodeRun(const std::array<char16_t, 256>& table, char16_t* out, size_t capacity,
                     RtfTextPass* pass);
    // Reads the word whose first letter is at `p` into `token`; returns the
    // position after it (its parameter and one space included).
    size_t scanWord(size_t p, RtfToken& token) const;
    // Passes over the word at the backslash `p` when `pass` allows, writing
    // what it shows at out[k] (room for two units), a mark only when `marks`;
    // false to stop before it.
    bool passWord(size_t& p, char16_t* out, size_t& k, bool marks) const;
    // One token into `token`; false when it read a malformed \' and must go on.
    bool scan(RtfToken& token);

    std::string_view m_input;
    size_t m_pos = 0;
};

} // namespace tolvane::rtf
