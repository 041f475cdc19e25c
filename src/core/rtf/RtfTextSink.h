// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/rtf/RichDocument.h"
#include "core/rtf/RtfCodePages.h"
#include "core/rtf/RtfControlWords.h"
#include "core/rtf/RtfGroupState.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tolvane::rtf {

// The units that marks, characters and pictures stand for in the displayed
// text, written through the sink's claim(n), which makes room for n units and
// returns where they go.
template <class Sink> class DisplayedUnits {
public:
    void character(char16_t unit, const RtfTextState&) { *sink().claim(1) = unit; }
    void mark(MarkKind kind, const RtfTextState&) {
        if (kind == MarkKind::Cell) {
            *sink().claim(1) = u'\t';
        } else {
            char16_t* d = sink().claim(2);
            d[0] = u'\r';
            d[1] = u'\n';
        }
    }
    void picture(Picture&&, const RtfTextState&) { *sink().claim(1) = u'\uFFFC'; }

private:
    Sink& sink() { return static_cast<Sink&>(*this); }
};

// Collects only the displayed text, in the character numbering. Text is
// decoded straight into the string, which runs ahead of what is written
// (zeros, by at most kSlack units past the reserved guess); finish() cuts it
// to what was written.
class RtfTextSink : public DisplayedUnits<RtfTextSink> {
public:
    static constexpr bool kFull = false;
    // Words with no effect, and the marks, tabs and characters that words
    // stand for, are decoded in runs without reaching the sink.
    static constexpr bool kPassWords = true;
    static constexpr bool kPassMarks = true;
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
    friend class DisplayedUnits<RtfTextSink>;
    static constexpr size_t kMinRoom = 64;

    void reserve(size_t units) {
        if (m_out.size() - m_used < units)
            grow(units);
    }
    char16_t* claim(size_t units) {
        reserve(units);
        char16_t* d = &m_out[m_used];
        m_used += units;
        return d;
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

// Hands the displayed text on in blocks as it is read, so that a long
// document is never held whole; the blocks, joined, are displayedText().
class RtfBlockSink : public DisplayedUnits<RtfBlockSink> {
public:
    static constexpr bool kFull = false;
    static constexpr bool kPassWords = true;
    static constexpr bool kPassMarks = true;
    using State = RtfTextState;
    using Consumer = std::function<void(std::u16string_view)>;
    static constexpr size_t kBlock = 16384;

    explicit RtfBlockSink(const Consumer& consume)
        : m_consume(consume), m_block(new char16_t[kBlock]) {}

    char16_t* space(size_t& room) {
        reserve(kMinRoom);
        room = kBlock - m_used;
        return m_block.get() + m_used;
    }
    void wrote(size_t size, const State&) { m_used += size; }

    void text(const unsigned char* bytes, size_t size, const RtfCodePages::Table& table,
              const State&) {
        while (size > 0) {
            reserve(1);
            const size_t n = size < kBlock - m_used ? size : kBlock - m_used;
            char16_t* d = m_block.get() + m_used;
            for (size_t i = 0; i < n; ++i)
                d[i] = table[bytes[i]];
            m_used += n;
            bytes += n;
            size -= n;
        }
    }
    void tableWord(Word, int32_t) {}
    void layoutWord(Word, int32_t, const State&) {}

    // Hands on what is left; returns the length of the whole text.
    size_t finish() {
        flush();
        return m_total;
    }

protected:
    friend class DisplayedUnits<RtfBlockSink>;
    static constexpr size_t kMinRoom = 64;

    void reserve(size_t units) {
        if (kBlock - m_used < units)
            flush();
    }
    char16_t* claim(size_t units) {
        reserve(units);
        char16_t* d = m_block.get() + m_used;
        m_used += units;
        return d;
    }
    void flush() {
        if (m_used == 0)
            return;
        m_consume(std::u16string_view(m_block.get(), m_used));
        m_total += m_used;
        m_used = 0;
    }

    const Consumer& m_consume;
    std::unique_ptr<char16_t[]> m_block;
    size_t m_used = 0;
    size_t m_total = 0; // handed on so far
};

// The same blocks without the marks, which reach `onMark` one by one with
// their position: a run of text stops at them (a cell and a tab give the
// same unit, so the run could not tell them apart).
class RtfMarkBlockSink : public RtfBlockSink {
public:
    static constexpr bool kPassMarks = false;
    using MarkConsumer = std::function<void(MarkKind, size_t position)>;

    RtfMarkBlockSink(const Consumer& consume, const MarkConsumer& onMark)
        : RtfBlockSink(consume), m_onMark(onMark) {}

    void mark(MarkKind kind, const State&) {
        flush();
        m_onMark(kind, m_total);
        m_total += kind == MarkKind::Cell ? 1 : 2;
    }

private:
    const MarkConsumer& m_onMark;
};

} // namespace tolvane::rtf
