// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/rtf/RichDocument.h"
#include "core/rtf/RtfCodePages.h"
#include "core/rtf/RtfControlWords.h"
#include "core/rtf/RtfGroupState.h"
#include "core/rtf/RtfPictureBuilder.h"
#include "core/rtf/RtfTokenizer.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvane::rtf {

// The fonts read from a font table, kept for the next document whose font
// table holds the same bytes in the same document code page: the bodies of
// one help project all carry the project's table, often most of their bytes.
struct RtfFontTableCache {
    bool valid = false;
    std::string bytes; // from after \fonttbl up to its closing brace
    int documentCodePage = 0;
    std::vector<FontInfo> fonts;
    std::vector<int32_t> byDirectNumber;
    std::unordered_map<int32_t, int32_t> byNumber;
};

// Reads RTF tokens into a sink, keeping the group states on an explicit
// stack (never recursing on the input's nesting). The sink receives decoded
// characters, marks and pictures with the group state they appear in:
//   static constexpr bool kFull;  // wants formats, tables and picture data
//   static constexpr bool kPassWords; // takes runs that words wrote (text only)
//   static constexpr bool kPassMarks; // ... marks included (else mark() has them)
//   using State;                  // RtfGroupState when kFull, else RtfTextState
//   void text(const unsigned char* bytes, size_t n, const RtfCodePages::Table&,
//             const State&);
//   char16_t* space(size_t& room);  // where plain text is decoded, `room` units
//   void wrote(size_t n, const State&); // n units decoded into space()
//   void character(char16_t, const State&);
//   void mark(MarkKind, const State&);
//   void picture(Picture&&, const State&);
//   void layoutWord(Word, int32_t parameter, const State&);
//       table definitions, section breaks and document settings
// Both sinks share this one reading, so the fast text and the full model
// cannot disagree on a position.
template <class Sink> class RtfParser {
public:
    // RtfTextState for a sink of text only, RtfGroupState for the full model.
    using State = typename Sink::State;

    // Groups deeper than this share the deepest state: a million nested
    // braces then cost a counter, not a million states.
    static constexpr size_t kMaxDepth = 4096;
    static constexpr size_t kMaxFonts = 16384;
    static constexpr size_t kMaxColors = 16384;
    static constexpr size_t kMaxFontName = 256;
    // Font numbers below this are looked up in a table, the others in a map.
    static constexpr int32_t kDirectFontNumbers = 1024;
    static constexpr size_t kMaxTabs = 64;
    // What the text-only reader keeps of a font name: enough to tell "Symbol".
    static constexpr size_t kShortFontName = 15;
    static constexpr size_t kMaxLists = 4096;
    static constexpr size_t kMaxNotes = 65536;
    static constexpr size_t kMaxInstruction = 256;
    static constexpr size_t kMaxListLevels = 9;

    RtfParser(std::string_view input, Sink& sink)
        : m_tokens(input), m_sink(sink), m_picture(Sink::kFull) {
        m_stack.reserve(64);
        m_stack.emplace_back();
        setCodePage(m_stack.back(), 1252);
    }

    // Fonts of the document's first font table are taken from `cache` when
    // it holds the same table, and left in it otherwise.
    void useFontCache(RtfFontTableCache* cache) { m_fontCache = cache; }

    void run();

    std::vector<FontInfo>& fonts() { return m_fonts; }
    std::vector<Color>& colors() { return m_colors; }
    std::vector<Note>& notes() { return m_notes; }
    std::vector<ComputedField>& fields() { return m_fields; }
    // The pictures of drawing objects whose result showed none.
    std::vector<std::pair<uint32_t, Picture>>& shapes() { return m_shapes; }
    int32_t defaultFont() const { return fontIndex(m_defaultFontNumber); }
    // The state in force where the document's text ended.
    const State& finalState() const { return m_final; }

private:
    State& state() { return m_stack.back(); }

    void openGroup();
    void closeGroup();
    void onText(std::string_view text);
    void onByte(unsigned char byte);
    void onSymbol(unsigned char symbol);
    void onWord(const RtfToken& token, bool ignorable);
    void setDestination(Word word);
    void textWord(const ControlWord& word, const RtfToken& token);
    void paragraphWord(Word word, int32_t parameter, bool on);
    void pictureWord(Word word, int32_t parameter);
    void fontTableWord(Word word, int32_t parameter);
    void listWord(Word word, int32_t parameter);
    void noteBytes(const unsigned char* bytes, size_t size);
    static std::u16string numberText(int32_t number);
    bool unnumberedLevel(int32_t listOverride, int32_t level) const;

    void emitBytes(const unsigned char* bytes, size_t size);
    void emitChar(char16_t unit);
    // shownHidden: the mark ends its paragraph, cell or row in hidden text
    // too.
    void emitMark(MarkKind kind, bool shownHidden = false);
    void appendFontName(std::string_view bytes);
    void commitFont();
    void commitFontName(const RtfCodePages::Table& names);
    void fontTableFromCache();
    void fontTableToCache();
    void commitColor();

    void formatWord(Word word, int32_t parameter, bool on);
    void setCodePage(State& s, int codePage);
    void applyFont(State& s, int32_t index);
    int32_t fontIndex(int32_t number) const;
    int32_t colorIndex(int32_t index) const;

    RtfTokenizer m_tokens;
    Sink& m_sink;
    RtfCodePages m_codePages;
    std::vector<State> m_stack;
    size_t m_overflow = 0; // groups opened beyond kMaxDepth and not yet closed
    bool m_done = false;   // the outermost group has closed
    bool m_ending = false; // unwinding the groups a truncated input left open
    State m_final;
    int m_skip = 0;  // fallback characters of a \uN still to skip
    int m_lead = -1; // a DBCS lead byte waiting for its trail byte
    int m_documentCodePage = 1252;
    int32_t m_defaultFontNumber = 0;

    std::vector<FontInfo> m_fonts;
    std::vector<int32_t> m_fontByDirectNumber; // index or -1; empty until a font is read
    std::unordered_map<int32_t, int32_t> m_fontByNumber;
    size_t m_fontNameBytes = 0;  // bytes of the open font's name, up to kMaxFontName
    bool m_fontNameLong = false; // the text-only reader kept a short prefix of it

    RtfFontTableCache* m_fontCache = nullptr;
    size_t m_fontTableDepth = 0; // depth of the font table read for the cache; 0: none
    std::string_view m_fontTableBytes;
    int m_fontTableCodePage = 0;
    size_t m_colorsBefore = 0; // the colour state the font table must leave as it is
    Color m_colorBefore;
    bool m_colorGivenBefore = false;
    bool m_fontOpen = false;
    int32_t m_fontNumber = 0;
    int32_t m_fontCodePage = 0;
    FontInfo m_font;

    std::vector<Color> m_colors;
    std::vector<bool> m_colorIsAuto;
    Color m_color;
    bool m_colorGiven = false;

    RtfPictureBuilder m_picture;
    // Fields: the instruction of the one being read and where it began.
    std::vector<ComputedField> m_fields;
    std::string m_instruction;
    size_t m_fieldAt = SIZE_MAX;
    int32_t m_fieldCount = 0;
    void endField();

    // Drawing objects: the name of the property being read, the picture of
    // the current one (pib) and where the text stood when it was read.
    std::string m_shapeName;
    Picture m_shapePicture;
    size_t m_shapeAt = SIZE_MAX;
    int32_t m_shapeCount = 0;
    std::vector<std::pair<uint32_t, Picture>> m_shapes;

    // Footnotes and endnotes, read apart from the text.
    std::vector<Note> m_notes;
    int32_t m_noteNumber = 0;     // automatic numbers given so far
    size_t m_numberAt = SIZE_MAX; // where a \chftn of the text stands

    // Lists: the levels of each list that have no number, and the list each
    // override (\ls) stands for.
    struct ListDefinition {
        std::vector<bool> unnumbered;
    };
    std::vector<ListDefinition> m_lists;
    std::unordered_map<int32_t, size_t> m_listById;
    std::unordered_map<int32_t, int32_t> m_listOfOverride;
    int32_t m_overrideList = 0;

    // The last border side named was a paragraph's (\brdrt), not a cell's
    // (\clbrdrt): a \brdrnone after it takes that side away.
    uint8_t m_paragraphSide = 0;
    bool m_objectHasResult = false;
    int32_t m_objectWidth = 0;
    int32_t m_objectHeight = 0;
};

template <class Sink> void RtfParser<Sink>::run() {
    while (!m_done) {
        const State& s = state();
        if (s.destination == Destination::Text && !s.hidden && m_skip == 0 && !s.doubleByte) {
            // Text alone: the words that change nothing here and the groups
            // that hold only text and such words are passed over. A group
            // opened at the outermost level would end the document when it
            // closes, so those are left to closeGroup().
            RtfTextPass pass;
            pass.words = Sink::kPassWords && m_lead < 0;
            pass.marks = Sink::kPassMarks;
            pass.groups = pass.words && m_stack.size() >= 2;
            for (;;) {
                size_t room = 0;
                char16_t* space = m_sink.space(room);
                const size_t n =
                    m_tokens.decodeText(*s.table, space, room, pass.words ? &pass : nullptr);
                m_sink.wrote(n, s);
                if (n < room)
                    break;
            }
            for (size_t i = 0; i < pass.opened; ++i)
                openGroup();
        }
        // Nothing in a group whose text is not shown has any effect but its
        // braces and its \bin data: the rest of it is passed over at once.
        if (state().destination == Destination::Skip && m_stack.size() >= 2 && m_overflow == 0)
            m_tokens.skipGroup();
        const RtfToken token = m_tokens.next();
        switch (token.type) {
        case RtfToken::Type::End:
            m_final = state();
            m_ending = true;
            while (m_stack.size() > 1 && !m_done) {
                m_overflow = 0;
                closeGroup();
            }
            return;
        case RtfToken::Type::GroupStart:
            openGroup();
            break;
        case RtfToken::Type::GroupEnd:
            closeGroup();
            break;
        case RtfToken::Type::Text:
            onText(token.text);
            break;
        case RtfToken::Type::HexByte:
            if (m_skip > 0)
                --m_skip;
            else
                onByte(token.symbol);
            break;
        case RtfToken::Type::ControlSymbol:
            if (m_skip > 0) {
                --m_skip;
            } else if (token.symbol == '*') {
                // Only the control word right after \* is ignorable.
                const RtfToken next = m_tokens.next();
                if (next.type == RtfToken::Type::ControlWord) {
                    onWord(next, true);
                } else if (next.type == RtfToken::Type::GroupStart) {
                    openGroup();
                } else if (next.type == RtfToken::Type::GroupEnd) {
                    closeGroup();
                } else if (next.type == RtfToken::Type::Text) {
                    onText(next.text);
                } else if (next.type == RtfToken::Type::HexByte) {
                    onByte(next.symbol);
                } else if (next.type == RtfToken::Type::ControlSymbol) {
                    onSymbol(next.symbol);
                }
            } else {
                onSymbol(token.symbol);
            }
            break;
        case RtfToken::Type::ControlWord:
            onWord(token, false);
            break;
        }
    }
}

template <class Sink> void RtfParser<Sink>::openGroup() {
    m_skip = 0;
    m_lead = -1;
    if (m_stack.size() >= kMaxDepth) {
        ++m_overflow;
        return;
    }
    m_stack.push_back(m_stack.back());
}

template <class Sink> void RtfParser<Sink>::closeGroup() {
    m_skip = 0;
    m_lead = -1;
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    if (m_stack.size() <= 1)
        return; // a stray '}' outside every group
    if (m_stack.size() == 2 && !m_ending)
        m_final = m_stack.back();
    const State closed = std::move(m_stack.back());
    m_stack.pop_back();
    if constexpr (Sink::kFull) {
        if (closed.field != 0 && closed.field != state().field && m_fieldAt != SIZE_MAX)
            endField();
        // A drawing object whose result showed nothing: its own picture.
        if (closed.shape != 0 && closed.shape != state().shape && m_shapeAt != SIZE_MAX) {
            if (m_shapeAt == m_sink.length() && m_shapes.size() < kMaxNotes)
                m_shapes.emplace_back(static_cast<uint32_t>(m_shapeAt), std::move(m_shapePicture));
            m_shapeAt = SIZE_MAX;
            m_shapePicture = Picture{};
        }
    }
    const Destination outer = state().destination;
    if (closed.destination == Destination::FontTable) {
        if (m_fontOpen)
            commitFont();
        if (outer != Destination::FontTable && state().font < 0)
            applyFont(state(), fontIndex(m_defaultFontNumber));
    } else if (closed.destination == Destination::Picture && outer == Destination::ShapeProps) {
        if constexpr (Sink::kFull) {
            if (m_shapeName == "pib" && !closed.hidden && closed.shape != 0) {
                m_shapePicture = m_picture.build();
                m_shapeAt = m_sink.length();
            }
        }
        m_picture.reset();
    } else if (closed.destination == Destination::Picture && outer != Destination::Picture) {
        if (!closed.hidden)
            m_sink.picture(m_picture.build(), closed);
        m_picture.reset();
    } else if (closed.destination == Destination::Object && outer != Destination::Object) {
        if (!m_objectHasResult && !closed.hidden) {
            Picture placeholder;
            placeholder.widthTwips = std::max(0, m_objectWidth);
            placeholder.heightTwips = std::max(0, m_objectHeight);
            m_sink.picture(std::move(placeholder), closed);
        }
    }
    if (m_fontTableDepth > m_stack.size())
        fontTableToCache();
    if (m_stack.size() == 1)
        m_done = true;
}

template <class Sink> void RtfParser<Sink>::fontTableFromCache() {
    const size_t begin = m_tokens.offset();
    const std::string_view input = m_tokens.input();
    RtfFontTableCache& cache = *m_fontCache;
    // The same bytes followed by a brace: the same table, closed there.
    if (cache.valid && cache.documentCodePage == m_documentCodePage &&
        input.size() - begin > cache.bytes.size() &&
        input.compare(begin, cache.bytes.size(), cache.bytes) == 0 &&
        input[begin + cache.bytes.size()] == '}') {
        m_fonts = cache.fonts;
        m_fontByDirectNumber = cache.byDirectNumber;
        m_fontByNumber = cache.byNumber;
        m_tokens.seek(begin + cache.bytes.size());
        return;
    }
    const size_t end = m_tokens.groupEnd();
    if (end >= input.size())
        return; // never closed
    const std::string_view bytes = input.substr(begin, end - begin);
    m_fontTableDepth = m_stack.size();
    m_fontTableBytes = bytes;
    m_fontTableCodePage = m_documentCodePage;
    m_colorsBefore = m_colors.size();
    m_colorBefore = m_color;
    m_colorGivenBefore = m_colorGiven;
}

// The font table read for the cache has just closed. A colour table nested
// in it would have done more than read fonts: such a table is not kept.
template <class Sink> void RtfParser<Sink>::fontTableToCache() {
    m_fontTableDepth = 0;
    RtfFontTableCache& cache = *m_fontCache;
    cache.valid = m_colors.size() == m_colorsBefore && m_color == m_colorBefore &&
                  m_colorGiven == m_colorGivenBefore;
    if (!cache.valid)
        return;
    cache.bytes.assign(m_fontTableBytes);
    cache.documentCodePage = m_fontTableCodePage;
    cache.fonts = m_fonts;
    cache.byDirectNumber = m_fontByDirectNumber;
    cache.byNumber = m_fontByNumber;
}

template <class Sink> void RtfParser<Sink>::onText(std::string_view text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    size_t size = text.size();
    if (m_skip > 0) {
        const size_t skipped = std::min(static_cast<size_t>(m_skip), size);
        bytes += skipped;
        size -= skipped;
        m_skip -= static_cast<int>(skipped);
        if (size == 0)
            return;
    }
    State& s = state();
    switch (s.destination) {
    case Destination::Text:
        if (!s.hidden)
            emitBytes(bytes, size);
        break;
    case Destination::FontTable:
        appendFontName(std::string_view(reinterpret_cast<const char*>(bytes), size));
        break;
    case Destination::ColorTable:
        for (size_t i = 0; i < size; ++i)
            if (bytes[i] == ';')
                commitColor();
        break;
    case Destination::Picture:
        m_picture.addHex(std::string_view(reinterpret_cast<const char*>(bytes), size));
        break;
    case Destination::Note:
        if (!s.hidden)
            noteBytes(bytes, size);
        break;
    case Destination::ShapeProps:
        if constexpr (Sink::kFull) {
            if (s.shapeName && m_shapeName.size() < 16)
                m_shapeName.append(reinterpret_cast<const char*>(bytes),
                                   std::min<size_t>(size, 16));
        }
        break;
    case Destination::FieldInstruction:
        m_instruction.append(
            reinterpret_cast<const char*>(bytes),
            std::min(size, kMaxInstruction - std::min(kMaxInstruction, m_instruction.size())));
        break;
    default:
        break;
    }
}

template <class Sink> void RtfParser<Sink>::endField() {
    // A field that showed nothing, of a kind whose value is known here.
    const size_t at = m_fieldAt;
    m_fieldAt = SIZE_MAX;
    if (at != m_sink.length() || m_fields.size() >= kMaxNotes)
        return;
    size_t begin = m_instruction.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return;
    size_t end = m_instruction.find_first_of(" \t\r\n\\", begin);
    std::string name = m_instruction.substr(begin, end == std::string::npos ? end : end - begin);
    for (char& c : name)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    ComputedField field;
    field.position = static_cast<uint32_t>(at);
    if (name == "PAGE" || name == "SECTIONPAGES")
        field.kind = ComputedField::Kind::Page;
    else if (name == "NUMPAGES")
        field.kind = ComputedField::Kind::PageCount;
    else if (name == "DATE" || name == "CREATEDATE" || name == "SAVEDATE" || name == "PRINTDATE")
        field.kind = ComputedField::Kind::Date;
    else if (name == "TIME")
        field.kind = ComputedField::Kind::Time;
    else if (name == "TITLE")
        field.kind = ComputedField::Kind::Title;
    else
        return;
    // \@ "picture": the format of a date or time.
    const size_t picture = m_instruction.find("\\@");
    if (picture != std::string::npos) {
        const size_t open = m_instruction.find('"', picture);
        const size_t close = open == std::string::npos ? open : m_instruction.find('"', open + 1);
        if (close != std::string::npos)
            field.format = m_instruction.substr(open + 1, close - open - 1);
    }
    m_fields.push_back(std::move(field));
}

template <class Sink> void RtfParser<Sink>::noteBytes(const unsigned char* bytes, size_t size) {
    if (m_notes.empty())
        return;
    const RtfCodePages::Table& table = *state().table;
    std::u16string& text = m_notes.back().text;
    for (size_t i = 0; i < size; ++i) {
        // Line breaks of the source are not text.
        if (bytes[i] != '\r' && bytes[i] != '\n')
            text += table[bytes[i]];
    }
}

template <class Sink> void RtfParser<Sink>::onByte(unsigned char byte) {
    State& s = state();
    if (s.destination == Destination::Text) {
        if (!s.hidden)
            emitBytes(&byte, 1);
    } else if (s.destination == Destination::FontTable) {
        appendFontName(std::string_view(reinterpret_cast<const char*>(&byte), 1));
    } else if (s.destination == Destination::Note && !s.hidden) {
        noteBytes(&byte, 1);
    } else if (s.destination == Destination::FieldInstruction &&
               m_instruction.size() < kMaxInstruction) {
        m_instruction += static_cast<char>(byte);
    }
}

template <class Sink> void RtfParser<Sink>::emitBytes(const unsigned char* bytes, size_t size) {
    State& s = state();
    if (!s.doubleByte) {
        m_sink.text(bytes, size, *s.table, s);
        return;
    }
    for (size_t i = 0; i < size; ++i) {
        const unsigned char b = bytes[i];
        if (m_lead >= 0) {
            const auto lead = static_cast<unsigned char>(m_lead);
            m_lead = -1;
            m_sink.character(m_codePages.decodePair(s.codePage, lead, b), s);
        } else if (b < 0x80) {
            m_sink.character(b, s);
        } else if (RtfCodePages::isLeadByte(s.codePage, b)) {
            m_lead = b;
        } else {
            m_sink.character(m_codePages.decodeSingle(s.codePage, b), s);
        }
    }
}

template <class Sink> void RtfParser<Sink>::emitChar(char16_t unit) {
    m_lead = -1;
    State& s = state();
    if (s.destination == Destination::Text && !s.hidden)
        m_sink.character(unit, s);
    else if (s.destination == Destination::Note && !s.hidden && !m_notes.empty())
        m_notes.back().text += unit;
}

template <class Sink> void RtfParser<Sink>::emitMark(MarkKind kind, bool shownHidden) {
    m_lead = -1;
    State& s = state();
    if (s.destination == Destination::Text && (!s.hidden || shownHidden))
        m_sink.mark(kind, s);
    else if (s.destination == Destination::Note && !s.hidden && !m_notes.empty())
        m_notes.back().text += kind == MarkKind::Cell ? u' ' : u'\n';
}

template <class Sink> void RtfParser<Sink>::onSymbol(unsigned char symbol) {
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        onByte(symbol);
        break;
    case '~':
        emitChar(0x00A0);
        break;
    case '_':
        emitChar(0x2011);
        break;
    case '\r':
    case '\n':
        emitMark(MarkKind::Paragraph, true);
        break;
    default:
        // \- (optional hyphen), \| \: and the others show nothing.
        break;
    }
}

template <class Sink> void RtfParser<Sink>::onWord(const RtfToken& token, bool ignorable) {
    const ControlWord& word = LookUpControlWord(token.text, token.hash);
    if (word.word == Word::Binary) {
        const std::string_view data = m_tokens.takeBinary(token.hasParameter ? token.parameter : 0);
        if (m_skip > 0)
            --m_skip;
        else if (state().destination == Destination::Picture)
            m_picture.addBinary(data);
        return;
    }
    if (m_skip > 0) {
        --m_skip;
        return;
    }
    if (word.kind == WordKind::Destination) {
        setDestination(word.word);
        return;
    }
    if (ignorable) {
        state().destination = Destination::Skip;
        return;
    }
    const int32_t parameter = token.hasParameter ? token.parameter : word.value;
    switch (state().destination) {
    case Destination::Text:
    case Destination::Note:
        textWord(word, token);
        break;
    case Destination::FontTable:
        fontTableWord(word.word, parameter);
        break;
    case Destination::ColorTable:
        if (word.word == Word::Red)
            m_color.red = static_cast<uint8_t>(std::clamp(parameter, 0, 255));
        else if (word.word == Word::Green)
            m_color.green = static_cast<uint8_t>(std::clamp(parameter, 0, 255));
        else if (word.word == Word::Blue)
            m_color.blue = static_cast<uint8_t>(std::clamp(parameter, 0, 255));
        else
            break;
        m_colorGiven = true;
        break;
    case Destination::Picture:
        pictureWord(word.word, parameter);
        break;
    case Destination::Object:
        if (word.word == Word::ObjectWidth)
            m_objectWidth = parameter;
        else if (word.word == Word::ObjectHeight)
            m_objectHeight = parameter;
        break;
    case Destination::ListTable:
    case Destination::ListOverrideTable:
        if constexpr (Sink::kFull)
            listWord(word.word, parameter);
        break;
    case Destination::TableProps:
        if constexpr (Sink::kFull) {
            if (word.word == Word::NestedRow)
                m_sink.layoutWord(word.word, parameter, state());
            else
                paragraphWord(word.word, parameter, true);
        }
        break;
    case Destination::ShapeProps:
        if constexpr (Sink::kFull) {
            if (word.word == Word::ShapePropertyName) {
                state().shapeName = true;
                m_shapeName.clear();
            }
        }
        break;
    case Destination::FieldInstruction:
    case Destination::Skip:
    case Destination::UnicodePair:
        break;
    }
}

template <class Sink> void RtfParser<Sink>::setDestination(Word word) {
    State& s = state();
    if (s.destination == Destination::Skip)
        return;
    switch (word) {
    case Word::FontTable:
        s.destination = Destination::FontTable;
        m_fontOpen = false;
        if (m_fontCache && m_fonts.empty() && m_fontTableDepth == 0 && m_overflow == 0)
            fontTableFromCache();
        break;
    case Word::ColorTable:
        s.destination = Destination::ColorTable;
        m_color = Color{};
        m_colorGiven = false;
        break;
    case Word::Picture:
        if (s.destination == Destination::Text || s.destination == Destination::ShapeProps) {
            s.destination = Destination::Picture;
            m_picture.reset();
        } else {
            s.destination = Destination::Skip;
        }
        break;
    case Word::Object:
        if (s.destination == Destination::Text) {
            s.destination = Destination::Object;
            m_objectHasResult = false;
            m_objectWidth = 0;
            m_objectHeight = 0;
        } else {
            s.destination = Destination::Skip;
        }
        break;
    case Word::ObjectResult:
        if (s.destination == Destination::Object) {
            s.destination = Destination::Text;
            m_objectHasResult = true;
        }
        break;
    case Word::Field:
        if constexpr (Sink::kFull) {
            if (s.destination == Destination::Text) {
                s.field = ++m_fieldCount;
                m_fieldAt = SIZE_MAX;
                m_instruction.clear();
            }
        }
        break;
    case Word::FieldInstruction:
        s.destination = Destination::Skip;
        if constexpr (Sink::kFull) {
            if (s.field != 0 && m_stack.size() >= 2 &&
                m_stack[m_stack.size() - 2].destination == Destination::Text) {
                s.destination = Destination::FieldInstruction;
                m_fieldAt = m_sink.length();
            }
        }
        break;
    case Word::FieldResult:
    case Word::ShapePicture:
        // Shown as the text around them is.
        break;
    case Word::UnicodePair:
        // Its first group is the same text in the document's code page,
        // its \ud group the Unicode form: only that one is shown.
        s.destination =
            s.destination == Destination::Text ? Destination::UnicodePair : Destination::Skip;
        break;
    case Word::UnicodeText:
        s.destination =
            s.destination == Destination::UnicodePair ? Destination::Text : Destination::Skip;
        break;
    case Word::ListText:
        // Shown as the text around it is; drawn as nothing for a level that
        // has no number.
        if constexpr (Sink::kFull) {
            if (s.destination == Destination::Text && unnumberedLevel(s.listOverride, s.listLevel))
                s.concealed = true;
        }
        break;
    case Word::ShapeInstructions:
        s.destination = Destination::Skip;
        if constexpr (Sink::kFull) {
            if (s.shape != 0 && m_stack.size() >= 2 &&
                m_stack[m_stack.size() - 2].destination == Destination::Text && !s.hidden)
                s.destination = Destination::ShapeProps;
        }
        break;
    case Word::Footnote:
        if constexpr (Sink::kFull) {
            // Notes inside notes, and notes in hidden text, are not read.
            if (s.destination == Destination::Text && !s.hidden && m_notes.size() < kMaxNotes) {
                s.destination = Destination::Note;
                Note note;
                note.position = static_cast<uint32_t>(m_sink.length());
                if (m_numberAt == m_sink.length())
                    note.mark = numberText(++m_noteNumber);
                m_numberAt = SIZE_MAX;
                m_notes.push_back(std::move(note));
                break;
            }
        }
        s.destination = Destination::Skip;
        break;
    case Word::ListTable:
    case Word::ListOverrideTable:
        if (s.destination == Destination::Text) {
            s.destination =
                word == Word::ListTable ? Destination::ListTable : Destination::ListOverrideTable;
        } else {
            s.destination = Destination::Skip;
        }
        break;
    case Word::NestedTableProperties:
        s.destination =
            s.destination == Destination::Text ? Destination::TableProps : Destination::Skip;
        break;
    default:
        s.destination = Destination::Skip;
        break;
    }
}

template <class Sink>
void RtfParser<Sink>::textWord(const ControlWord& word, const RtfToken& token) {
    State& s = state();
    const int32_t parameter = token.hasParameter ? token.parameter : word.value;
    const bool on = !token.hasParameter || token.parameter != 0;
    switch (word.word) {
    case Word::Unknown:
        break;
    case Word::Character:
        emitChar(static_cast<char16_t>(word.value));
        break;
    case Word::Unicode: {
        const int32_t value = std::clamp(parameter, -32768, 65535);
        auto unit = static_cast<char16_t>(value < 0 ? value + 65536 : value);
        if (s.codePage == RtfCodePages::kSymbol && unit >= 0xF020 && unit <= 0xF0FF)
            unit = (*s.table)[unit - 0xF000];
        emitChar(unit);
        m_skip = s.unicodeSkip;
        break;
    }
    case Word::UnicodeCount:
        s.unicodeSkip = static_cast<uint8_t>(std::clamp(parameter, 0, 16));
        break;
    case Word::Paragraph:
        emitMark(MarkKind::Paragraph, true);
        break;
    case Word::Section:
        emitMark(MarkKind::Paragraph);
        if (s.destination == Destination::Text && !s.hidden)
            m_sink.layoutWord(Word::Section, 0, s);
        break;
    case Word::Page:
        emitMark(MarkKind::Page);
        break;
    case Word::Line:
        emitMark(MarkKind::Line);
        break;
    case Word::Row:
    case Word::NestedRow:
        emitMark(MarkKind::Row, true);
        break;
    case Word::Cell:
    case Word::NestedCell:
        emitMark(MarkKind::Cell, true);
        break;
    case Word::Tab:
        emitChar(u'\t');
        break;
    case Word::Ansi:
    case Word::Pc:
    case Word::Pca:
    case Word::Mac:
    case Word::AnsiCodePage:
        m_documentCodePage = word.word == Word::Mac            ? RtfCodePages::kMacRoman
                             : word.word == Word::AnsiCodePage ? RtfCodePages::normalize(parameter)
                                                               : 1252;
        if (s.font < 0)
            setCodePage(s, m_documentCodePage);
        break;
    case Word::DefaultFont:
        m_defaultFontNumber = parameter;
        break;
    case Word::Font:
        applyFont(s, fontIndex(parameter));
        break;
    case Word::Plain:
        if constexpr (Sink::kFull)
            s.character = CharFormat{};
        s.hidden = false;
        applyFont(s, fontIndex(m_defaultFontNumber));
        break;
    case Word::Hidden:
        s.hidden = on;
        break;
    case Word::NoNestedTables:
        // What a reader without nested tables shows in their place: still
        // counted, drawn by none of its empty lines.
        if constexpr (Sink::kFull)
            s.fallback = true;
        break;
    case Word::Shape:
        if constexpr (Sink::kFull) {
            if (s.destination == Destination::Text) {
                s.shape = ++m_shapeCount;
                m_shapeAt = SIZE_MAX;
            }
        }
        break;
    case Word::NoteNumber:
        // The automatic number of a note: in the text, where the note's
        // mark goes; in the note, its own number.
        if constexpr (Sink::kFull) {
            if (s.destination == Destination::Text && !s.hidden)
                m_numberAt = m_sink.length();
            else if (s.destination == Destination::Note && !s.hidden && !m_notes.empty())
                m_notes.back().text += m_notes.back().mark;
        }
        break;
    case Word::Endnote:
        if (s.destination == Destination::Note && !m_notes.empty())
            m_notes.back().endnote = true;
        break;
    default:
        if (s.destination != Destination::Text)
            break;
        if constexpr (Sink::kFull) {
            formatWord(word.word, parameter, on);
            paragraphWord(word.word, parameter, on);
        }
        break;
    }
}

template <class Sink> void RtfParser<Sink>::formatWord(Word word, int32_t parameter, bool on) {
    CharFormat& c = state().character;
    switch (word) {
    case Word::FontSize:
        c.sizeHalfPoints = std::clamp(parameter, 1, 3276);
        break;
    case Word::Bold:
        c.bold = on;
        break;
    case Word::Italic:
        c.italic = on;
        break;
    case Word::Underline:
    case Word::UnderlineDouble:
    case Word::UnderlineDotted:
    case Word::UnderlineDashed:
    case Word::UnderlineWave:
    case Word::UnderlineThick:
    case Word::UnderlineWord:
        // The underline words come in the order of the styles they set.
        static_assert(int(Word::UnderlineWord) - int(Word::Underline) ==
                      int(UnderlineStyle::Word) - int(UnderlineStyle::Single));
        c.underline = on ? static_cast<UnderlineStyle>(int(UnderlineStyle::Single) + int(word) -
                                                       int(Word::Underline))
                         : UnderlineStyle::None;
        break;
    case Word::UnderlineNone:
        c.underline = UnderlineStyle::None;
        break;
    case Word::Strike:
        c.strike = on;
        break;
    case Word::Foreground:
        c.foreground = colorIndex(parameter);
        break;
    case Word::Background:
    case Word::Highlight:
        c.background = colorIndex(parameter);
        break;
    case Word::Superscript:
        c.vertical = VerticalAlign::Superscript;
        break;
    case Word::Subscript:
        c.vertical = VerticalAlign::Subscript;
        break;
    case Word::NoSuperSub:
        c.vertical = VerticalAlign::Baseline;
        break;
    case Word::Up:
        c.offsetHalfPoints = std::clamp(parameter, -3276, 3276);
        break;
    case Word::Down:
        c.offsetHalfPoints = -std::clamp(parameter, -3276, 3276);
        break;
    case Word::Caps:
        c.caps = on;
        break;
    case Word::SmallCaps:
        c.smallCaps = on;
        break;
    case Word::Expand:
        // Quarter points: five twips each.
        c.spacingTwips = std::clamp(parameter, -1000, 1000) * 5;
        break;
    case Word::ExpandTwips:
        c.spacingTwips = std::clamp(parameter, -5000, 5000);
        break;
    default:
        break;
    }
}

template <class Sink> void RtfParser<Sink>::paragraphWord(Word word, int32_t parameter, bool on) {
    State& s = state();
    ParaFormat& p = s.paragraph;
    switch (word) {
    case Word::ParagraphDefault:
        p = ParaFormat{};
        s.inTable = false;
        s.nesting = 1;
        s.listOverride = 0;
        s.listLevel = 0;
        s.nextTab = TabAlignment::Left;
        s.nextLeader = TabLeader::None;
        break;
    case Word::AlignLeft:
        p.alignment = Alignment::Left;
        break;
    case Word::AlignCenter:
        p.alignment = Alignment::Center;
        break;
    case Word::AlignRight:
        p.alignment = Alignment::Right;
        break;
    case Word::AlignJustify:
        p.alignment = Alignment::Justify;
        break;
    case Word::LeftIndent:
        p.leftIndentTwips = parameter;
        break;
    case Word::RightIndent:
        p.rightIndentTwips = parameter;
        break;
    case Word::FirstIndent:
        p.firstIndentTwips = parameter;
        break;
    case Word::SpaceBefore:
        p.spaceBeforeTwips = parameter;
        break;
    case Word::SpaceAfter:
        p.spaceAfterTwips = parameter;
        break;
    case Word::LineSpacing:
        p.lineSpacingTwips = parameter;
        break;
    case Word::LineMultiple:
        p.lineSpacingMultiple = on;
        break;
    case Word::TabRight:
        s.nextTab = TabAlignment::Right;
        break;
    case Word::TabCenter:
        s.nextTab = TabAlignment::Center;
        break;
    case Word::TabDecimal:
        s.nextTab = TabAlignment::Decimal;
        break;
    case Word::TabLeaderDots:
        s.nextLeader = TabLeader::Dots;
        break;
    case Word::TabLeaderHyphens:
        s.nextLeader = TabLeader::Hyphens;
        break;
    case Word::TabLeaderUnderline:
        s.nextLeader = TabLeader::Underline;
        break;
    case Word::TabLeaderThick:
        s.nextLeader = TabLeader::Thick;
        break;
    case Word::TabLeaderEquals:
        s.nextLeader = TabLeader::Equals;
        break;
    case Word::TabPosition:
    case Word::TabBar:
        if (p.tabs.size() < kMaxTabs)
            p.tabs.push_back(TabStop{parameter, s.nextTab, s.nextLeader});
        s.nextTab = TabAlignment::Left;
        s.nextLeader = TabLeader::None;
        break;
    case Word::InTable:
        s.inTable = true;
        break;
    case Word::NestingLevel:
        s.nesting = std::clamp(parameter, 0, 1 << 20);
        break;
    case Word::ListOverride:
        s.listOverride = parameter;
        break;
    case Word::ListLevelIndex:
        s.listLevel = std::clamp(parameter, 0, static_cast<int32_t>(kMaxListLevels) - 1);
        break;
    case Word::ParagraphBorderTop:
        m_paragraphSide = kBorderTop;
        p.borders |= m_paragraphSide;
        break;
    case Word::ParagraphBorderBottom:
        m_paragraphSide = kBorderBottom;
        p.borders |= m_paragraphSide;
        break;
    case Word::ParagraphBorderLeft:
        m_paragraphSide = kBorderLeft;
        p.borders |= m_paragraphSide;
        break;
    case Word::ParagraphBorderRight:
        m_paragraphSide = kBorderRight;
        p.borders |= m_paragraphSide;
        break;
    case Word::ParagraphBox:
        m_paragraphSide = kBorderTop | kBorderBottom | kBorderLeft | kBorderRight;
        p.borders |= m_paragraphSide;
        break;
    case Word::ParagraphShading:
        p.shading = colorIndex(parameter);
        break;
    case Word::BorderNone:
        if (m_paragraphSide != 0)
            p.borders &= static_cast<uint8_t>(~m_paragraphSide);
        else
            m_sink.layoutWord(word, parameter, s);
        break;
    case Word::BorderLeft:
    case Word::BorderTop:
    case Word::BorderRight:
    case Word::BorderBottom:
        m_paragraphSide = 0;
        m_sink.layoutWord(word, parameter, s);
        break;
    case Word::CellShading:
        m_sink.layoutWord(word, colorIndex(parameter), s);
        break;
    case Word::RowDefault:
    case Word::CellRight:
        m_paragraphSide = 0;
        m_sink.layoutWord(word, parameter, s);
        break;
    case Word::RowLeft:
    case Word::RowGap:
    case Word::CellMergeFirst:
    case Word::CellMerged:
    case Word::CellVerticalFirst:
    case Word::CellVerticalMerged:
    case Word::SectionNoBreak:
    case Word::SectionBreak:
    case Word::DefaultTab:
        m_sink.layoutWord(word, parameter, s);
        break;
    default:
        break;
    }
}

template <class Sink> void RtfParser<Sink>::pictureWord(Word word, int32_t parameter) {
    using Format = RtfPictureBuilder::Format;
    switch (word) {
    case Word::PngBlip:
        m_picture.setFormat(Format::Png);
        break;
    case Word::JpegBlip:
        m_picture.setFormat(Format::Jpeg);
        break;
    case Word::DeviceIndependentBitmap:
        m_picture.setFormat(Format::Dib);
        break;
    case Word::WindowsBitmap:
        m_picture.setFormat(Format::Ddb);
        break;
    case Word::EnhancedMetafile:
    case Word::Metafile:
        m_picture.setFormat(Format::Metafile);
        break;
    case Word::OtherPicture:
        m_picture.setFormat(Format::Pixels);
        break;
    case Word::PictureWidth:
        m_picture.setWidth(parameter);
        break;
    case Word::PictureHeight:
        m_picture.setHeight(parameter);
        break;
    case Word::GoalWidth:
        m_picture.setGoalWidth(parameter);
        break;
    case Word::GoalHeight:
        m_picture.setGoalHeight(parameter);
        break;
    case Word::ScaleX:
        m_picture.setScaleX(parameter);
        break;
    case Word::ScaleY:
        m_picture.setScaleY(parameter);
        break;
    case Word::BitsPerPixel:
        m_picture.setBitsPerPixel(parameter);
        break;
    case Word::WidthBytes:
        m_picture.setWidthBytes(parameter);
        break;
    default:
        break;
    }
}

template <class Sink> std::u16string RtfParser<Sink>::numberText(int32_t number) {
    std::u16string text;
    for (const char c : std::to_string(number))
        text += static_cast<char16_t>(c);
    return text;
}

template <class Sink> void RtfParser<Sink>::listWord(Word word, int32_t parameter) {
    if (state().destination == Destination::ListOverrideTable) {
        if (word == Word::ListId)
            m_overrideList = parameter;
        else if (word == Word::ListOverride && m_listOfOverride.size() < kMaxLists)
            m_listOfOverride[parameter] = m_overrideList;
        return;
    }
    switch (word) {
    case Word::List:
        if (m_lists.size() < kMaxLists)
            m_lists.emplace_back();
        break;
    case Word::ListLevel:
        if (!m_lists.empty() && m_lists.back().unnumbered.size() < kMaxListLevels)
            m_lists.back().unnumbered.push_back(false);
        break;
    case Word::LevelNumbering:
        if (!m_lists.empty() && !m_lists.back().unnumbered.empty())
            m_lists.back().unnumbered.back() = parameter == 255;
        break;
    case Word::ListId:
        if (!m_lists.empty())
            m_listById[parameter] = m_lists.size() - 1;
        break;
    default:
        break;
    }
}

template <class Sink>
bool RtfParser<Sink>::unnumberedLevel(int32_t listOverride, int32_t level) const {
    const auto found = m_listOfOverride.find(listOverride);
    if (found == m_listOfOverride.end())
        return false;
    const auto list = m_listById.find(found->second);
    if (list == m_listById.end())
        return false;
    const std::vector<bool>& unnumbered = m_lists[list->second].unnumbered;
    return static_cast<size_t>(level) < unnumbered.size() && unnumbered[static_cast<size_t>(level)];
}

template <class Sink> void RtfParser<Sink>::fontTableWord(Word word, int32_t parameter) {
    FontFamily family;
    switch (word) {
    case Word::Font:
        if (m_fontOpen)
            commitFont();
        m_fontOpen = true;
        m_fontNumber = parameter;
        m_fontCodePage = 0;
        m_font = FontInfo{};
        m_fontNameBytes = 0;
        m_fontNameLong = false;
        return;
    case Word::FontCharset:
        m_font.charset = parameter;
        return;
    case Word::FontCodePage:
        m_fontCodePage = parameter;
        return;
    case Word::FamilyNil:
        family = FontFamily::Nil;
        break;
    case Word::FamilyRoman:
        family = FontFamily::Roman;
        break;
    case Word::FamilySwiss:
        family = FontFamily::Swiss;
        break;
    case Word::FamilyModern:
        family = FontFamily::Modern;
        break;
    case Word::FamilyScript:
        family = FontFamily::Script;
        break;
    case Word::FamilyDecor:
        family = FontFamily::Decor;
        break;
    case Word::FamilyTech:
        family = FontFamily::Tech;
        break;
    case Word::FamilyBidi:
        family = FontFamily::Bidi;
        break;
    default:
        return;
    }
    m_font.family = family;
}

template <class Sink> void RtfParser<Sink>::appendFontName(std::string_view bytes) {
    if (!m_fontOpen)
        return;
    for (char ch : bytes) {
        if (ch == ';') {
            commitFont();
            return;
        }
        if (m_fontNameBytes >= kMaxFontName)
            continue;
        ++m_fontNameBytes;
        if constexpr (Sink::kFull) {
            m_font.name += ch; // bytes for now, made UTF-8 when committed
        } else if (m_font.name.empty() && ch == ' ') {
            // The text needs only whether the name is "Symbol".
        } else if (m_font.name.size() < kShortFontName) {
            m_font.name += ch;
        } else if (ch != ' ') {
            m_fontNameLong = true;
        }
    }
}

template <class Sink> void RtfParser<Sink>::commitFont() {
    m_fontOpen = false;
    if (m_fonts.size() >= kMaxFonts || fontIndex(m_fontNumber) >= 0)
        return;
    const RtfCodePages::Table& names = RtfCodePages::table(m_documentCodePage);
    bool symbolName = false;
    if constexpr (!Sink::kFull) {
        std::string_view name = m_font.name;
        while (!name.empty() && name.back() == ' ')
            name.remove_suffix(1);
        static constexpr std::u16string_view kSymbolName = u"Symbol";
        symbolName =
            !m_fontNameLong && name.size() == kSymbolName.size() &&
            std::equal(name.begin(), name.end(), kSymbolName.begin(), [&](char b, char16_t u) {
                return names[static_cast<unsigned char>(b)] == u;
            });
        m_font.name.clear();
    } else {
        commitFontName(names);
        symbolName = m_font.name == "Symbol";
    }
    m_font.codePage = m_fontCodePage != 0
                          ? RtfCodePages::normalize(m_fontCodePage)
                          : RtfCodePages::fromCharset(m_font.charset, m_documentCodePage);
    if (m_font.codePage == RtfCodePages::kSymbol && !symbolName)
        m_font.codePage = RtfCodePages::kPrivateSymbol;
    const auto index = static_cast<int32_t>(m_fonts.size());
    if (m_fontNumber >= 0 && m_fontNumber < kDirectFontNumbers) {
        if (m_fontByDirectNumber.empty())
            m_fontByDirectNumber.assign(kDirectFontNumbers, -1);
        m_fontByDirectNumber[static_cast<size_t>(m_fontNumber)] = index;
    } else {
        m_fontByNumber.emplace(m_fontNumber, index);
    }
    m_fonts.push_back(std::move(m_font));
    m_font = FontInfo{};
}

// The open font's name, from bytes of the document's code page to UTF-8,
// without the blanks around it.
template <class Sink> void RtfParser<Sink>::commitFontName(const RtfCodePages::Table& names) {
    std::string utf8;
    size_t begin = 0;
    size_t end = m_font.name.size();
    while (begin < end && m_font.name[begin] == ' ')
        ++begin;
    while (end > begin && m_font.name[end - 1] == ' ')
        --end;
    for (size_t i = begin; i < end; ++i) {
        const char16_t u = names[static_cast<unsigned char>(m_font.name[i])];
        if (u < 0x80) {
            utf8 += static_cast<char>(u);
        } else if (u < 0x800) {
            utf8 += static_cast<char>(0xC0 | (u >> 6));
            utf8 += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (u >> 12));
            utf8 += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    m_font.name = std::move(utf8);
}

template <class Sink> void RtfParser<Sink>::commitColor() {
    if (m_colors.size() < kMaxColors) {
        m_colors.push_back(m_color);
        m_colorIsAuto.push_back(!m_colorGiven);
    }
    m_color = Color{};
    m_colorGiven = false;
}

template <class Sink> void RtfParser<Sink>::setCodePage(State& s, int codePage) {
    s.codePage = codePage;
    s.table = &RtfCodePages::table(codePage);
    s.doubleByte = RtfCodePages::isDoubleByte(codePage);
}

template <class Sink> void RtfParser<Sink>::applyFont(State& s, int32_t index) {
    s.font = index;
    if constexpr (Sink::kFull)
        s.character.font = index;
    setCodePage(s, index >= 0 ? m_fonts[static_cast<size_t>(index)].codePage : m_documentCodePage);
}

template <class Sink> int32_t RtfParser<Sink>::fontIndex(int32_t number) const {
    if (number >= 0 && number < kDirectFontNumbers)
        return m_fontByDirectNumber.empty() ? -1
                                            : m_fontByDirectNumber[static_cast<size_t>(number)];
    const auto it = m_fontByNumber.find(number);
    return it == m_fontByNumber.end() ? -1 : it->second;
}

template <class Sink> int32_t RtfParser<Sink>::colorIndex(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_colors.size() || m_colorIsAuto[index])
        return -1;
    return index;
}

} // namespace tolvane::rtf
