// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/RichTextDump.h"

#include "core/rtf/RtfReader.h"
#include "core/rtf/RtfTextSink.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <memory>
#include <ostream>
#include <sstream>

#ifdef __SSE2__
#include <emmintrin.h>
#include <tmmintrin.h>
#endif

namespace tolvane::rtf {
namespace {

// Units converted per step: the part of the output zeroed ahead of them
// stays in cache until it is overwritten.
constexpr size_t kBlock = 4096;

bool isHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

#ifdef __SSE2__
// For eight units below U+0800, none a CR: which bytes of the units' two-byte
// forms (lead, trail) to keep, by the mask of units from U+0080 up, whose
// trail is kept; the others keep their one byte.
struct NarrowShuffle {
    alignas(16) uint8_t keep[256][16];
    uint8_t length[256];
};
constexpr NarrowShuffle makeNarrowShuffle() {
    NarrowShuffle t{};
    for (int mask = 0; mask < 256; ++mask) {
        int n = 0;
        for (int unit = 0; unit < 8; ++unit) {
            t.keep[mask][n++] = static_cast<uint8_t>(2 * unit);
            if (mask & (1 << unit))
                t.keep[mask][n++] = static_cast<uint8_t>(2 * unit + 1);
        }
        t.length[mask] = static_cast<uint8_t>(n);
        for (; n < 16; ++n)
            t.keep[mask][n] = 0x80; // a zero byte, overwritten by what follows
    }
    return t;
}
constexpr NarrowShuffle kNarrowShuffle = makeNarrowShuffle();

// Eight units below U+0800, none a CR, into one or two bytes each; sixteen
// bytes are stored. False (nothing written) for any other unit.
__attribute__((target("ssse3"), always_inline)) inline bool convertNarrow(const char16_t* p,
                                                                          char*& d) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i narrow = _mm_cmpeq_epi16(
        _mm_and_si128(x, _mm_set1_epi16(static_cast<short>(0xF800))), _mm_setzero_si128());
    const __m128i cr = _mm_cmpeq_epi16(x, _mm_set1_epi16(0x0D));
    if (_mm_movemask_epi8(_mm_andnot_si128(cr, narrow)) != 0xFFFF)
        return false;
    const __m128i wide = _mm_cmpgt_epi16(x, _mm_set1_epi16(0x7F));
    // Lead byte low, trail byte high: 110xxxxx 10xxxxxx for wide units.
    const __m128i lead = _mm_or_si128(_mm_srli_epi16(x, 6), _mm_set1_epi16(0xC0));
    const __m128i trail =
        _mm_or_si128(_mm_and_si128(x, _mm_set1_epi16(0x3F)), _mm_set1_epi16(0x80));
    const __m128i twoBytes = _mm_or_si128(lead, _mm_slli_epi16(trail, 8));
    const __m128i forms = _mm_or_si128(_mm_and_si128(wide, twoBytes), _mm_andnot_si128(wide, x));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(wide, wide))) & 0xFF;
    const __m128i keep =
        _mm_load_si128(reinterpret_cast<const __m128i*>(kNarrowShuffle.keep[mask]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_shuffle_epi8(forms, keep));
    d += kNarrowShuffle.length[mask];
    return true;
}

bool hasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

// One unit, or a CR LF or a pair (looking up to `end` for its second unit).
__attribute__((always_inline)) inline char* convertOne(const char16_t*& p, const char16_t* end,
                                                       char* d) {
    const char16_t u = *p++;
    if (u < 0x80) {
        if (u == u'\r' && p < end && *p == u'\n') {
            *d++ = '\n';
            ++p;
        } else {
            *d++ = static_cast<char>(u);
        }
    } else if (u < 0x800) {
        *d++ = static_cast<char>(0xC0 | (u >> 6));
        *d++ = static_cast<char>(0x80 | (u & 0x3F));
    } else if (isHighSurrogate(u) && p < end && isLowSurrogate(*p)) {
        const char32_t c = 0x10000 + ((char32_t{u} - 0xD800) << 10) + (*p++ - 0xDC00);
        *d++ = static_cast<char>(0xF0 | (c >> 18));
        *d++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *d++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *d++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        const char16_t c = isHighSurrogate(u) || isLowSurrogate(u) ? char16_t{0xFFFD} : u;
        *d++ = static_cast<char>(0xE0 | (c >> 12));
        *d++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *d++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return d;
}

char* convertScalar(const char16_t*& p, const char16_t* stop, const char16_t* end, char* d) {
    while (p < stop)
        d = convertOne(p, end, d);
    return d;
}

#ifdef __SSE2__
__attribute__((target("ssse3"))) char* convertVector(const char16_t*& p, const char16_t* stop,
                                                     const char16_t* end, char* d) {
    while (stop - p >= 8) {
        // Eight units at a time while they are below U+0800 and no CR, the
        // common case, without a branch on which of them are ASCII; else the
        // eight one by one.
        if (convertNarrow(p, d)) {
            p += 8;
            continue;
        }
        for (const char16_t* const next = p + 8; p < next;)
            d = convertOne(p, end, d);
    }
    while (p < stop)
        d = convertOne(p, end, d);
    return d;
}
#endif

// Converts the units from `p` up to `stop` into `d`, looking at most one unit
// further (up to `end`) for the LF after a CR or the second half of a pair,
// which it then takes too. Each unit takes at most three bytes and a pair
// four for two, so 3 * (stop - p) + 1 bytes of room are enough. Returns the
// end of what it wrote; `p` moves past what it read.
char* convert(const char16_t*& p, const char16_t* stop, const char16_t* end, char* d) {
#ifdef __SSE2__
    if (hasSsse3())
        return convertVector(p, stop, end, d);
#endif
    return convertScalar(p, stop, end, d);
}

} // namespace

char* Utf8Converter::convert(std::u16string_view units, char* d) {
    const char16_t* p = units.data();
    const char16_t* end = p + units.size();
    if (p == end)
        return d;
    if (m_held != 0) {
        const char16_t held[2] = {m_held, *p};
        m_held = 0;
        const char16_t* h = held;
        // A CR LF or a pair across the pieces takes two units, else one.
        d = tolvane::rtf::convert(h, held + 1, held + 2, d);
        p += h - held - 1;
    }
    if (p < end && (end[-1] == u'\r' || isHighSurrogate(end[-1])))
        m_held = *--end;
    return tolvane::rtf::convert(p, end, end, d);
}

void Utf8Converter::append(std::u16string_view units, std::string& out) {
    while (!units.empty()) {
        const std::u16string_view block = units.substr(0, kBlock);
        units.remove_prefix(block.size());
        const size_t at = out.size();
        out.resize(at + room(block.size()));
        char* const begin = &out[at];
        out.resize(at + static_cast<size_t>(convert(block, begin) - begin));
    }
}

void Utf8Converter::finish(std::string& out) {
    if (m_held == 0)
        return;
    const char16_t held[1] = {m_held};
    m_held = 0;
    const char16_t* h = held;
    char bytes[4];
    out.append(bytes,
               static_cast<size_t>(tolvane::rtf::convert(h, held + 1, held + 1, bytes) - bytes));
}

void RichTextDump::appendUtf8(std::string& out, std::u16string_view text) {
    Utf8Converter converter;
    converter.append(text, out);
    converter.finish(out);
}

std::string RichTextDump::toUtf8(std::u16string_view text) {
    std::string out;
    // French text is mostly ASCII; the last block may want its full room.
    out.reserve(text.size() + text.size() / 8 + 3 * kBlock + 1);
    appendUtf8(out, text);
    return out;
}

namespace {

// The names of an enumeration's values, in its order; "?" for a value
// outside it.
template <class Enum, size_t N> const char* nameOf(Enum value, const char* const (&names)[N]) {
    const auto index = static_cast<size_t>(value);
    return index < N ? names[index] : "?";
}

const char* markName(MarkKind mark) {
    static const char* const kNames[] = {"none", "par", "page", "line", "cell", "row"};
    return nameOf(mark, kNames);
}

const char* underlineName(UnderlineStyle style) {
    static const char* const kNames[] = {"none",   "single", "double", "dotted",
                                         "dashed", "wave",   "thick",  "words"};
    return nameOf(style, kNames);
}

const char* mergeName(CellMerge merge) {
    return merge == CellMerge::First ? "first" : "merged";
}

std::string sides(bool left, bool top, bool right, bool bottom) {
    std::string out;
    out += left ? 'l' : '-';
    out += top ? 't' : '-';
    out += right ? 'r' : '-';
    out += bottom ? 'b' : '-';
    return out;
}

void charFormat(std::string& out, const CharFormat& c) {
    const CharFormat d;
    auto add = [&out](const std::string& item) { out += ' ' + item; };
    if (c.font != d.font)
        add("f" + std::to_string(c.font));
    if (c.sizeHalfPoints != d.sizeHalfPoints)
        add("fs" + std::to_string(c.sizeHalfPoints));
    if (c.bold)
        add("b");
    if (c.italic)
        add("i");
    if (c.strike)
        add("strike");
    if (c.underline != UnderlineStyle::None)
        add(std::string("ul=") + underlineName(c.underline));
    if (c.caps)
        add("caps");
    if (c.smallCaps)
        add("scaps");
    if (c.concealed)
        add("concealed");
    if (c.spacingTwips != 0)
        add("spacing=" + std::to_string(c.spacingTwips));
    if (c.foreground >= 0)
        add("cf" + std::to_string(c.foreground));
    if (c.background >= 0)
        add("cb" + std::to_string(c.background));
    if (c.vertical == VerticalAlign::Superscript)
        add("super");
    if (c.vertical == VerticalAlign::Subscript)
        add("sub");
    if (c.offsetHalfPoints != 0)
        add("up" + std::to_string(c.offsetHalfPoints));
}

void paraFormat(std::string& out, const ParaFormat& p) {
    auto add = [&out](const std::string& item) { out += ' ' + item; };
    if (p.alignment == Alignment::Center)
        add("qc");
    if (p.alignment == Alignment::Right)
        add("qr");
    if (p.alignment == Alignment::Justify)
        add("qj");
    if (p.leftIndentTwips != 0)
        add("li" + std::to_string(p.leftIndentTwips));
    if (p.rightIndentTwips != 0)
        add("ri" + std::to_string(p.rightIndentTwips));
    if (p.firstIndentTwips != 0)
        add("fi" + std::to_string(p.firstIndentTwips));
    if (p.spaceBeforeTwips != 0)
        add("sb" + std::to_string(p.spaceBeforeTwips));
    if (p.spaceAfterTwips != 0)
        add("sa" + std::to_string(p.spaceAfterTwips));
    if (p.lineSpacingTwips != 0)
        add("sl" + std::to_string(p.lineSpacingTwips) + (p.lineSpacingMultiple ? "*" : ""));
    if (p.borders != 0)
        add("borders=" + sides(p.borders & kBorderLeft, p.borders & kBorderTop,
                               p.borders & kBorderRight, p.borders & kBorderBottom));
    if (p.shading >= 0)
        add("shade" + std::to_string(p.shading));
    for (const TabStop& tab : p.tabs) {
        static const char* const kinds[] = {"", "c", "r", "d"};
        static const char* const leaders[] = {"", ".", "-", "_", "=th", "="};
        add("tab" + std::string(kinds[static_cast<int>(tab.alignment)]) +
            std::to_string(tab.positionTwips) + leaders[static_cast<int>(tab.leader)]);
    }
}

} // namespace

std::string RichTextDump::model(const RichDocument& document) {
    std::string out;
    if (document.defaultTabTwips != 720)
        out += "deftab " + std::to_string(document.defaultTabTwips) + "\n";
    const std::u16string_view text = document.text;
    for (const Paragraph& p : document.paragraphs) {
        out +=
            "P " + std::to_string(p.begin) + "-" + std::to_string(p.end) + " " + markName(p.mark);
        if (p.tableRow >= 0)
            out += " row " + std::to_string(p.tableRow) + " cell " + std::to_string(p.cell);
        if (p.collapsed)
            out += " collapsed";
        paraFormat(out, p.format);
        out += "\n";
        for (const Segment& s : p.segments) {
            out += "  S " + std::to_string(s.begin) + "-" + std::to_string(s.end);
            if (s.picture >= 0)
                out += " picture " + std::to_string(s.picture);
            charFormat(out, s.format);
            if (s.picture < 0 && s.begin <= s.end && s.end <= text.size())
                out += " |" + toUtf8(text.substr(s.begin, s.end - s.begin)) + "|";
            out += "\n";
        }
    }
    for (const ComputedField& f : document.fields) {
        static const char* const kinds[] = {"page", "numpages", "date", "time", "title"};
        out += "F " + std::to_string(f.position) + " " + kinds[static_cast<int>(f.kind)];
        if (!f.format.empty())
            out += " |" + f.format + "|";
        out += "\n";
    }
    for (const ShapePicture& s : document.shapes)
        out += "D " + std::to_string(s.position) + " picture " + std::to_string(s.picture) + "\n";
    for (const Note& n : document.notes) {
        out += std::string(n.endnote ? "E " : "N ") + std::to_string(n.position);
        if (!n.mark.empty())
            out += " mark " + toUtf8(n.mark);
        out += " |" + toUtf8(n.text) + "|\n";
    }
    for (size_t i = 0; i < document.rows.size(); ++i) {
        const TableRow& r = document.rows[i];
        out += "R " + std::to_string(i) + " depth " + std::to_string(r.depth);
        if (r.parent >= 0)
            out += " parent " + std::to_string(r.parent) + "/" + std::to_string(r.parentCell);
        if (r.leftTwips != 0 || r.gapTwips != 0)
            out += " left " + std::to_string(r.leftTwips) + " gap " + std::to_string(r.gapTwips);
        out += "\n";
        for (const TableCell& c : r.cells) {
            out += "  C " + std::to_string(c.rightEdgeTwips);
            if (c.borderLeft || c.borderTop || c.borderRight || c.borderBottom)
                out +=
                    " borders " + sides(c.borderLeft, c.borderTop, c.borderRight, c.borderBottom);
            if (c.horizontal != CellMerge::None)
                out += std::string(" h ") + mergeName(c.horizontal);
            if (c.vertical != CellMerge::None)
                out += std::string(" v ") + mergeName(c.vertical);
            if (c.shading >= 0)
                out += " shade " + std::to_string(c.shading);
            out += "\n";
        }
    }
    return out;
}

std::string RichTextDump::dump(std::string_view rtf, Mode mode) {
    if (mode == Mode::Model)
        return model(RtfReader::read(rtf));
    std::ostringstream out;
    write(rtf, mode, out);
    return out.str();
}

namespace {

// What goes to the stream, gathered in a buffer that goes out whenever it
// holds about kPiece bytes: each byte is written once into the buffer.
class OutputBuffer {
public:
    static constexpr size_t kPiece = 1 << 16;

    explicit OutputBuffer(std::ostream& out)
        : m_out(out), m_buffer(new char[kCapacity]), m_end(m_buffer.get()) {}
    ~OutputBuffer() { flush(); }
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // Converts a block (of at most RtfBlockSink::kBlock units).
    void convert(Utf8Converter& converter, std::u16string_view block) {
        room(Utf8Converter::room(block.size()));
        m_end = converter.convert(block, m_end);
        if (static_cast<size_t>(m_end - m_buffer.get()) >= kPiece)
            flush();
    }
    void finish(Utf8Converter& converter) {
        std::string rest;
        converter.finish(rest);
        append(rest);
    }
    void append(std::string_view bytes) {
        room(bytes.size());
        m_end = std::copy(bytes.begin(), bytes.end(), m_end);
    }

private:
    static constexpr size_t kCapacity = kPiece + Utf8Converter::room(RtfBlockSink::kBlock);

    // Makes room for `size` bytes (never more than kCapacity - kPiece).
    void room(size_t size) {
        if (static_cast<size_t>(m_buffer.get() + kCapacity - m_end) < size)
            flush();
    }
    void flush() {
        m_out.write(m_buffer.get(), m_end - m_buffer.get());
        m_end = m_buffer.get();
    }

    std::ostream& m_out;
    std::unique_ptr<char[]> m_buffer;
    char* m_end;
};

} // namespace

void RichTextDump::write(std::string_view rtf, Mode mode, std::ostream& out) {
    if (mode == Mode::Model) {
        out << model(RtfReader::read(rtf));
        return;
    }
    if (mode == Mode::Count) {
        const size_t length = RtfReader::streamDisplayedText(rtf, [](std::u16string_view) {});
        out << length << '\n';
        return;
    }
    OutputBuffer buffer(out);
    Utf8Converter converter;
    const auto convert = [&](std::u16string_view block) { buffer.convert(converter, block); };
    if (mode == Mode::Text) {
        RtfReader::streamDisplayedText(rtf, convert);
        buffer.finish(converter);
        return;
    }
    // A paragraph's line starts with its first text or its mark: the last
    // paragraph has a line only when it holds text or is the only one.
    size_t begin = 0;
    bool started = false;
    bool any = false;
    const auto start = [&] {
        char number[24];
        const auto written = std::to_chars(number, number + sizeof number - 1, begin);
        *written.ptr = '\t';
        buffer.append(std::string_view(number, static_cast<size_t>(written.ptr + 1 - number)));
        started = true;
    };
    const auto end = [&] {
        if (!started)
            start();
        buffer.finish(converter);
        buffer.append("\n");
        started = false;
        any = true;
    };
    const size_t length = RtfReader::streamDisplayedText(
        rtf,
        [&](std::u16string_view block) {
            if (!started)
                start();
            convert(block);
        },
        [&](MarkKind kind, size_t position) {
            end();
            begin = position + (kind == MarkKind::Cell ? 1 : 2);
        });
    if (started || !any || begin < length)
        end();
}

} // namespace tolvane::rtf
