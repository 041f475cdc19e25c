#pragma once

#include "core/rtf/RichDocument.h"
#include "core/rtf/RtfCodePages.h"
#include "core/rtf/RtfControlWords.h"
#include "core/rtf/RtfGroupState.h"

#include <string>

namespace tolvane::rtf {

// Collects only the displayed text, in the character numbering. Text is
// decoded straight into the string, which runs ahead of what is written
// (zeros, by at most kSlack units past the reserved guess); finish() cuts it
// to what was written.
class RtfTextSink {
public:
    static constexpr bool kFull = false;
    using State = RtfTextState;
    static constexpr size_t kSlack = 16384;

    // `expected`: the units the text probably needs (a guess, never a limit).
    explicit RtfTextSink(size_t expected) { m_out.reserve(expected + kMinRoom); }

    char16_t* space(size_t& room) {
        if (m_out.size() - m_used < kMinRoom)
            grow(kMinRoom);
        room = m_out.size() - m_used;
        return &m_out[m_used];
    }
    void wrote(size_t size, const State&) { m_used += size; }

    void text(const unsigned char* bytes, size_t size, const RtfCodePages::Table& table,
              const State&) {
        reserve(size);
        char16_t* d = &m_out[m_used];
        for (size_t i = 0; i < size; ++i)
            d[i] = table[bytes[i]];
        m_used += size;
    }
    void character(char16_t unit, const State&) {
        reserve(1);
        m_out[m_used++] = unit;
    }
    void mark(MarkKind kind, const State&) {
        reserve(2);
        if (kind == MarkKind::Cell) {
            m_out[m_used++] = u'\t';
        } else {
            m_out[m_used++] = u'\r';
            m_out[m_used++] = u'\n';
        }
    }
    void picture(Picture&&, const State&) {
        reserve(1);
        m_out[m_used++] = u'\uFFFC';
    }
    void layoutWord(Word, int32_t, const State&) {}
    size_t length() const { return m_used; }

    std::u16string finish() {
        m_out.resize(m_used);
        // A guess far above the text would keep its memory with the result.
        if (m_out.capacity() > 2 * m_out.size() + kSlack)
            m_out.shrink_to_fit();
        return std::move(m_out);
    }

private:
    static constexpr size_t kMinRoom = 64;

    void reserve(size_t units) {
        if (m_out.size() - m_used < units)
            grow(units);
    }
    // Zero-fills in steps, so each step is still in cache when it is
    // overwritten; the reserved guess is used up before growing past it.
    void grow(size_t units) {
        size_t target = m_used + units + kSlack;
        if (target > m_out.capacity() && m_used + units + kMinRoom <= m_out.capacity())
            target = m_out.capacity();
        m_out.resize(target);
    }

    std::u16string m_out; // written up to m_used, zeros after
    size_t m_used = 0;
};

} // namespace tolvane::rtf
