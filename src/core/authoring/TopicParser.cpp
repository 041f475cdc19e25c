// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/TopicParser.h"

#include "core/common/Cp1252.h"
#include "core/common/HexDigit.h"
#include "core/rtf/RtfCodePages.h"
#include "core/rtf/RtfControlWords.h"
#include "core/rtf/RtfReader.h"
#include "core/rtf/RtfTokenizer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tolvane::authoring {

namespace {

enum class Hot : uint8_t { None, Jump, Popup };

// Character properties that decide what a character is for the help
// compiler: hidden, a jump or popup hot spot, and the colour in effect.
struct CharState {
    bool hidden = false;
    bool doubleUnderline = false;
    bool strike = false;
    bool underline = false;
    int32_t colour = 0;
    bool linkColoured = false; // we gave the run the link colour
    Hot hot() const {
        if (doubleUnderline || strike)
            return Hot::Jump;
        return underline ? Hot::Popup : Hot::None;
    }
};

struct Level {
    CharState chars;
    int uc = 1;
    // Formatting control words of this group, as written to the body, for
    // re-opening the group at the start of a later topic.
    std::string words;
    size_t compressedSize = 0; // words.size() when last compressed
    size_t contentStart = 0;   // where its content begins in the body being written
    bool inBody = false;       // whether its '{' was written to the current body
};

// The body being written. Most pieces are a few bytes (a control word, a
// brace), so the room is made ahead and the bytes are copied in place
// without a library call each; take() gives the bytes as a string.
class BodyBuffer {
public:
    size_t size() const { return m_length; }
    char operator[](size_t k) const { return m_bytes[k]; }
    std::string_view view() const { return std::string_view(m_bytes.data(), m_length); }
    void append(const char* p, size_t n) {
        if (m_length + n > m_bytes.size())
            grow(n);
        std::memcpy(m_bytes.data() + m_length, p, n);
        m_length += n;
    }
    void append(std::string_view text) { append(text.data(), text.size()); }
    BodyBuffer& operator+=(std::string_view text) {
        append(text.data(), text.size());
        return *this;
    }
    BodyBuffer& operator+=(char c) {
        if (m_length == m_bytes.size())
            grow(1);
        m_bytes[m_length++] = c;
        return *this;
    }
    // Takes out the byte at k.
    void erase(size_t k) {
        if (k >= m_length)
            return;
        std::memmove(m_bytes.data() + k, m_bytes.data() + k + 1, m_length - k - 1);
        --m_length;
    }
    // Keeps the first length bytes.
    void truncate(size_t length) { m_length = std::min(m_length, length); }
    void clear() { m_length = 0; }
    // Empties the buffer and makes room for about this many bytes.
    void reset(size_t room) {
        m_bytes = std::string();
        m_bytes.resize(room);
        m_length = 0;
    }
    std::string take() {
        m_bytes.resize(m_length);
        m_length = 0;
        return std::move(m_bytes);
    }

private:
    void grow(size_t n) { m_bytes.resize(std::max(m_bytes.size() * 2, m_length + n + 64)); }

    std::string m_bytes; // its size is the room; the bytes after m_length are free
    size_t m_length = 0;
};

// The open groups. A closed group's level is kept for the next group
// opened at its depth, so that its strings keep their room.
class LevelStack {
public:
    bool empty() const { return m_size == 0; }
    size_t size() const { return m_size; }
    Level& back() { return m_levels[m_size - 1]; }
    const Level& back() const { return m_levels[m_size - 1]; }
    Level& operator[](size_t k) { return m_levels[k]; }
    Level* begin() { return m_levels.data(); }
    Level* end() { return m_levels.data() + m_size; }
    // A new innermost level, reset to the given state.
    Level& push(CharState chars, int uc) {
        if (m_size == m_levels.size())
            m_levels.emplace_back();
        Level& l = m_levels[m_size++];
        l.chars = chars;
        l.uc = uc;
        l.words.clear();
        l.compressedSize = 0;
        l.contentStart = 0;
        l.inBody = true;
        return l;
    }
    void pop() { --m_size; }

private:
    std::vector<Level> m_levels;
    size_t m_size = 0;
};

struct StyleFlags {
    bool hidden = false, doubleUnderline = false, strike = false, underline = false;
};

struct Token {
    enum Kind { End, Open, Close, Word, Symbol, Text } kind = End;
    std::string_view name; // control word name, or the symbol character
    uint32_t hash = 0;     // of a control word's whole name, as the reader hashes it
    bool hasParam = false;
    int32_t param = 0;
    size_t begin = 0, end = 0; // bytes of the token in the source
};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Control bytes other than the tab: copied, but the reader shows nothing
// for them, so they take no position.
bool IsDropped(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
}

bool OnlyDropped(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), IsDropped);
}

// Reads the token at i; text tokens are runs of ordinary bytes. Control
// words and symbols are read by the reader's own tokenizer, so that both
// cut names and clamp parameters alike: a name longer than the reader reads
// has none here either.
Token NextToken(std::string_view s, size_t i) {
    Token t;
    t.begin = i;
    if (i >= s.size())
        return t;
    const char c = s[i];
    if (c == '{') {
        t.kind = Token::Open;
        t.end = i + 1;
    } else if (c == '}') {
        t.kind = Token::Close;
        t.end = i + 1;
    } else if (c == '\\') {
        size_t end = i;
        rtf::RtfToken r;
        const bool whole = rtf::RtfTokenizer(s).tokenAt(end, r);
        t.end = end;
        if (!whole) {
            // A broken escape, which the reader drops with the digits it has.
            t.kind = Token::Symbol;
            t.name = s.substr(i + 1, 1);
            t.param = -1;
        } else if (r.type == rtf::RtfToken::Type::ControlWord) {
            t.kind = Token::Word;
            t.name = r.text;
            t.hash = r.hash;
            t.hasParam = r.hasParameter;
            t.param = r.parameter;
        } else if (r.type == rtf::RtfToken::Type::HexByte) {
            t.kind = Token::Symbol;
            t.name = s.substr(i + 1, 1);
            t.param = r.symbol;
        } else if (r.type == rtf::RtfToken::Type::ControlSymbol) {
            t.kind = Token::Symbol;
            t.name = s.substr(i + 1, 1);
        } else {
            // A backslash that ends the input stands for nothing; copied, it
            // would take the body's closing brace.
            t.kind = Token::Text;
            t.begin = t.end = s.size();
        }
    } else {
        size_t j = i;
        static constexpr auto kStops = [] {
            std::array<bool, 256> stops{};
            stops['{'] = stops['}'] = stops['\\'] = true;
            return stops;
        }();
        while (j < s.size() && !kStops[static_cast<unsigned char>(s[j])])
            ++j;
        t.kind = Token::Text;
        t.end = j;
    }
    return t;
}

// Steps i over the next token before `to` into t; false at `to`, or where
// no token could be read.
bool StepToken(std::string_view s, size_t& i, size_t to, Token& t) {
    if (i >= to)
        return false;
    t = NextToken(s, i);
    if (t.end <= i)
        return false;
    i = t.end;
    return true;
}

// The reader's entry for a control word token.
const rtf::ControlWord& Known(const Token& t) {
    return rtf::LookUpControlWord(t.name, t.hash);
}

// The '}' that closes the group s[from] lies in, or s.size().
size_t GroupClose(std::string_view s, size_t from) {
    int depth = 0;
    for (size_t i = from; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\') {
            if (i + 4 < s.size() && s.compare(i + 1, 3, "bin") == 0 && IsDigit(s[i + 4])) {
                const Token t = NextToken(s, i);
                const size_t skip = t.param > 0 ? static_cast<size_t>(t.param) : 0;
                i = std::min(s.size(), t.end + skip) - 1;
            } else {
                ++i;
            }
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (depth-- == 0)
                return i;
        }
    }
    return s.size();
}

// The byte after the group that opens at s[open] ('{'), or s.size().
size_t GroupEnd(std::string_view s, size_t open) {
    const size_t close = GroupClose(s, open + 1);
    return close < s.size() ? close + 1 : s.size();
}

// What the reader shows of the rest of a group once it meets a control
// word: the reader's own table says which words open a destination.
enum class Rest { Shown, Hidden, Picture, Dropped, Counted };

Rest RestOfGroupAfter(const rtf::ControlWord& w) {
    if (w.kind != rtf::WordKind::Destination)
        return Rest::Shown;
    switch (w.word) {
    case rtf::Word::Field:
    case rtf::Word::FieldResult:
    case rtf::Word::ShapePicture:
    case rtf::Word::ListText:
    case rtf::Word::ObjectResult:
        return Rest::Shown;
    case rtf::Word::Picture:
        return Rest::Picture;
    case rtf::Word::UnicodePair: // shows its \ud group
    case rtf::Word::Object:      // shows its result, or a placeholder
        return Rest::Counted;
    case rtf::Word::FontTable:
    case rtf::Word::ColorTable:
        // Their content would change the fonts of the body: left out.
        return Rest::Dropped;
    default:
        return Rest::Hidden;
    }
}

// Whether the reader shows the picture whose group goes on at s[from] and
// ends before s[to]: a destination named at the picture's own level (other
// than those shown as the text around them), or a word after \* it does not
// know as one, makes the rest of the group a skipped destination, and then
// the reader shows no picture.
bool PictureShown(std::string_view s, size_t from, size_t to) {
    size_t i = from;
    bool star = false;
    for (Token t; StepToken(s, i, to, t);) {
        switch (t.kind) {
        case Token::Open:
            i = GroupEnd(s, t.begin);
            star = false;
            break;
        case Token::Word: {
            if (t.name == "bin") {
                if (t.param > 0)
                    i = std::min(s.size(), i + static_cast<size_t>(t.param));
                star = false;
                break;
            }
            const rtf::ControlWord& w = Known(t);
            if (RestOfGroupAfter(w) != Rest::Shown)
                return false;
            if (star && w.kind != rtf::WordKind::Destination)
                return false;
            star = false;
            break;
        }
        case Token::Symbol:
            star = t.name == "*";
            break;
        default:
            star = false;
            break;
        }
    }
    return true;
}

// One control word of the symbols that stand for a Windows-1252 character.
int SymbolByte(std::string_view name) {
    struct Entry {
        std::string_view name;
        int byte;
    };
    static constexpr Entry kTable[] = {
        {"lquote", 0x91}, {"rquote", 0x92}, {"ldblquote", 0x93}, {"rdblquote", 0x94},
        {"bullet", 0x95}, {"endash", 0x96}, {"emdash", 0x97},    {"emspace", ' '},
        {"enspace", ' '}, {"qmspace", ' '}, {"tab", '\t'},
    };
    if (name.size() < 3 || name.size() > 9 || std::strchr("lrbeqt", name[0]) == nullptr)
        return -1;
    for (const Entry& e : kTable)
        if (e.name == name)
            return e.byte;
    return -1;
}

bool IsMarkWord(std::string_view name) {
    return name == "par" || name == "line" || name == "sect" || name == "row";
}

// Groups whose content the body never shows and the tool does not keep:
// destinations of the reader's table, of which these few names.
bool IsDroppedDestination(const Token& t) {
    if (t.kind != Token::Word)
        return false;
    const std::string_view name = t.name;
    static constexpr std::string_view kNames[] = {
        "info",       "comment", "header",    "headerl",   "headerr",
        "headerf",    "footer",  "footerl",   "footerr",   "footerf",
        "pntxta",     "pntxtb",  "xe",        "tc",        "txe",
        "annotation", "atnid",   "atnauthor", "listtable", "listoverridetable",
        "revtbl",     "rsidtbl", "fonttbl",   "colortbl",  "stylesheet",
        "nonshppict", "private",
    };
    if (name.size() < 2 || name.size() > 17)
        return false;
    // Most words of a body start with a letter no listed name starts with.
    constexpr uint32_t kFirstLetters = [] {
        uint32_t mask = 0;
        for (std::string_view n : kNames)
            mask |= 1u << (n[0] - 'a');
        return mask;
    }();
    if (name[0] < 'a' || name[0] > 'z' || (kFirstLetters & (1u << (name[0] - 'a'))) == 0)
        return false;
    for (std::string_view n : kNames)
        if (n == name)
            return Known(t).kind == rtf::WordKind::Destination;
    return false;
}

// Words that do not describe a group's formatting (they write something,
// or belong to tables and are only meaningful in their row).
bool IsStateWord(std::string_view name) {
    if (name == "rtf" || name == "page" || name == "cell" || name == "nestcell" ||
        name == "nestrow" || IsMarkWord(name) || name == "u" || name == "bin" ||
        SymbolByte(name) >= 0)
        return false;
    if (name.rfind("tr", 0) == 0 || name.rfind("cl", 0) == 0 || name.rfind("brdr", 0) == 0 ||
        name == "intbl" || name == "cellx")
        return false;
    return true;
}

// The document's code page after a control word, as the reader takes it.
int CodePageAfter(const Token& t, int codePage) {
    switch (Known(t).word) {
    case rtf::Word::Ansi:
    case rtf::Word::Pc:
    case rtf::Word::Pca:
        return 1252;
    case rtf::Word::Mac:
        return rtf::RtfCodePages::kMacRoman;
    case rtf::Word::AnsiCodePage:
        return rtf::RtfCodePages::normalize(t.hasParam ? t.param : 1252);
    default:
        return codePage;
    }
}

// The document's code page that a list of formatting words leaves (1252
// when no word sets it).
int CodePageOf(std::string_view words) {
    int codePage = 1252;
    size_t i = 0;
    for (Token t; StepToken(words, i, words.size(), t);) {
        if (t.kind == Token::Word)
            codePage = CodePageAfter(t, codePage);
    }
    return codePage;
}

std::string CodePageWord(int codePage) {
    if (codePage == rtf::RtfCodePages::kMacRoman)
        return "\\mac ";
    return "\\ansicpg" + std::to_string(codePage) + " ";
}

// Keeps the last occurrence of each control word (by name) of a list of
// formatting words; replaying them gives the same state. Tab stops keep
// every position.
std::string CompressWords(std::string_view words) {
    struct Item {
        std::string_view key, word;
    };
    std::vector<Item> items;
    items.reserve(32);
    size_t i = 0;
    while (i < words.size()) {
        size_t j = words.find('\\', i + 1);
        if (j == std::string_view::npos)
            j = words.size();
        const std::string_view word = words.substr(i, j - i);
        size_t k = 1;
        while (k < word.size() && IsLetter(word[k]))
            ++k;
        std::string_view key = word.substr(std::min<size_t>(1, word.size()), k - 1);
        if (key == "tx" || key == "tb" || key.rfind("tq", 0) == 0 || key.rfind("tl", 0) == 0)
            key = word;
        items.push_back({key, word});
        i = j;
    }
    // A word stays when no later word has its key: read from the end, the
    // first word of each key stays. The keys are few (a group's formatting).
    std::vector<std::string_view> seen;
    std::vector<bool> stays(items.size(), false);
    for (size_t a = items.size(); a-- > 0;) {
        if (std::find(seen.begin(), seen.end(), items[a].key) != seen.end())
            continue;
        seen.push_back(items[a].key);
        stays[a] = true;
    }
    std::string out;
    out.reserve(words.size());
    for (size_t a = 0; a < items.size(); ++a)
        if (stays[a])
            out += items[a].word;
    return out;
}

std::string_view TrimView(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && IsSpace(text[b]))
        ++b;
    while (e > b && IsSpace(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

std::string Trim(const std::string& text) {
    return std::string(TrimView(text));
}

// The plain Windows-1252 text of an RTF fragment (a footnote): nested
// destinations and hidden text are skipped.
std::string PlainText(std::string_view s) {
    std::string out;
    std::vector<int> ucStack{1};
    std::vector<bool> skipStack{false};
    int skipChars = 0;
    size_t i = 0;
    while (i < s.size()) {
        const Token t = NextToken(s, i);
        i = t.end;
        const bool skipping = skipStack.back();
        switch (t.kind) {
        case Token::End:
            i = s.size();
            break;
        case Token::Open: {
            const Token n = NextToken(s, i);
            bool dest = n.kind == Token::Symbol && n.name == "*";
            if (n.kind == Token::Word &&
                (IsDroppedDestination(n) || n.name == "footnote" || n.name == "pict"))
                dest = true;
            ucStack.push_back(ucStack.back());
            skipStack.push_back(skipping || dest);
            break;
        }
        case Token::Close:
            if (ucStack.size() > 1) {
                ucStack.pop_back();
                skipStack.pop_back();
            }
            break;
        case Token::Word:
            if (t.name == "uc" && t.hasParam)
                ucStack.back() = std::clamp(t.param, 0, 16);
            else if (t.name == "bin" && t.param > 0)
                i = std::min(s.size(), i + static_cast<size_t>(t.param));
            else if (skipping)
                break;
            else if (t.name == "v" && (!t.hasParam || t.param != 0))
                skipStack.back() = true;
            else if (t.name == "u" && t.hasParam) {
                const int b = cp1252::fromUnicode(static_cast<char16_t>(t.param));
                out += static_cast<char>(b >= 0 ? b : '?');
                skipChars = ucStack.back();
            } else if (IsMarkWord(t.name))
                out += ' ';
            else if (SymbolByte(t.name) >= 0)
                out += static_cast<char>(SymbolByte(t.name) == '\t' ? ' ' : SymbolByte(t.name));
            break;
        case Token::Symbol:
            if (skipping)
                break;
            if (skipChars > 0) {
                --skipChars;
                break;
            }
            if (t.name == "'" && t.param >= 0)
                out += static_cast<char>(t.param);
            else if (t.name == "{" || t.name == "}" || t.name == "\\")
                out += t.name[0];
            else if (t.name == "~")
                out += ' ';
            break;
        case Token::Text:
            for (size_t k = t.begin; k < t.end; ++k) {
                if (s[k] == '\r' || s[k] == '\n')
                    continue;
                if (skipChars > 0) {
                    --skipChars;
                    continue;
                }
                if (!skipping)
                    out += s[k];
            }
            break;
        }
    }
    return out;
}

// A bitmap reference "bmc name" (bml, bmr, optional t) at s[i], ended by
// the closing text: "}" or "\}". Sets name and the end of the reference.
bool BitmapReference(std::string_view s, size_t i, std::string_view close, std::string& name,
                     size_t& end) {
    while (i < s.size() && s[i] == ' ')
        ++i;
    if (i + 4 > s.size() || (s[i] != 'b' && s[i] != 'B') || (s[i + 1] != 'm' && s[i + 1] != 'M'))
        return false;
    const char kind = static_cast<char>(s[i + 2] | 0x20);
    if (kind != 'c' && kind != 'l' && kind != 'r')
        return false;
    size_t j = i + 3;
    if (j < s.size() && (s[j] | 0x20) == 't')
        ++j;
    if (j >= s.size() || s[j] != ' ')
        return false;
    const size_t stop = s.find(close, j);
    if (stop == std::string_view::npos || stop - j > 260)
        return false;
    const std::string_view inside = s.substr(j, stop - j);
    if (inside.find_first_of("{}\\") != std::string_view::npos)
        return false;
    std::string text = Trim(std::string(inside));
    const size_t semicolon = text.find(';');
    if (semicolon != std::string::npos)
        text = Trim(text.substr(0, semicolon));
    if (text.empty())
        return false;
    name = text;
    end = stop + close.size();
    return true;
}

class Session {
public:
    Session(BuildMessages& messages, const TopicParser::PictureSource& pictures,
            const std::string& file, std::string_view s, std::vector<SourceTopic>& topics,
            bool keepHotText)
        : m_messages(messages), m_pictures(pictures), m_file(file), m_s(s), m_topics(topics),
          m_keepHotText(keepHotText) {}

    void run();

private:
    int lineAt(size_t offset);
    void warn(size_t offset, const std::string& text) {
        m_messages.warning(m_file, lineAt(offset), text);
    }
    void fail(size_t offset, const std::string& text) {
        m_messages.error(m_file, lineAt(offset), text);
    }

    void startTopic(size_t offset, bool afterPage);
    // Reads the formatting words of every open group back from the body.
    void captureOpenGroups();
    // end: where the topic ends in the source.
    void finishTopic(size_t end);
    void openGroup(size_t at);
    void closeGroup(size_t at);
    // known: the reader's entry for the word (Unknown when it has none).
    void word(const Token& t, const rtf::ControlWord& known);
    void symbol(const Token& t);
    void text(const Token& t);
    // Ordinary visible text and \'hh escapes from i, copied and counted in
    // one pass while nothing but such text follows; the byte after them.
    size_t plainRun(size_t i);
    bool plain() const {
        if (m_skipChars != 0 || m_topic.line == 0 || m_levels.empty())
            return false;
        const CharState& c = m_levels.back().chars;
        return !c.hidden && c.hot() == Hot::None;
    }
    void footnote(size_t begin, size_t end);
    void styleSheet(std::string_view group);
    void colourTable(std::string_view group);
    void picture(const std::string& name, size_t at);
    // Counts what the reader shows of the rest of a group copied as it is
    // (an object, a \upr), which holds no link.
    void countShown(std::string_view rest);

    // One displayed character (or picture) written to the body.
    void visible(char16_t unit);
    void hiddenChar(char byte);
    void mark(int positions);
    void closeAnchor();
    void emitWord(std::string_view word, bool record);
    // The control word as read, ended by a space.
    void emitRaw(const Token& t, bool record);
    std::string header() const;

    BuildMessages& m_messages;
    const TopicParser::PictureSource& m_pictures;
    const std::string& m_file;
    std::string_view m_s;
    std::vector<SourceTopic>& m_topics;
    const bool m_keepHotText;

    size_t m_lineOffset = 0;
    size_t m_at = 0; // the token being read
    size_t m_topicOffset = 0;
    int m_macroFootnotes = 0;
    bool m_tooDeep = false;
    static constexpr size_t kMaxDepth = 256;
    int m_firstMacroLine = 0;
    int m_line = 1;

    LevelStack m_levels;
    std::string m_fontTable;
    // The document's code page word where the font table was read: the
    // reader decodes the font names and charsets under it.
    int m_fontTableCodePage = 1252;
    int m_codePage = 1252;      // the document's, as the reader has it here
    int m_topicCodePage = 1252; // the document's where the topic began
    static constexpr size_t kMaxFontTables = 65536;
    std::string m_colourTable = ";"; // the entries, without the group's braces
    int32_t m_colourCount = 1;
    std::unordered_map<int32_t, StyleFlags> m_styles;

    SourceTopic m_topic;
    int32_t m_contentChars = 0;
    bool m_topicHasFootnote = false;
    BodyBuffer m_content;
    bool m_contentHasHeader = false;
    size_t m_lastBodySize = 4096;
    size_t m_lastLinkCount = 0;
    std::string m_rootWords;
    int32_t m_count = 0;
    int m_skipChars = 0;

    // The mark character before a footnote group: where it was written.
    size_t m_lastCharAt = std::string::npos;

    // The hot spot being read.
    bool m_anchorOpen = false;
    bool m_targetStarted = false;
    bool m_anchorPopup = false;
    SourceLink m_anchor;
    std::u16string m_anchorHot;   // its hot text, when kept
    std::u16string m_anchorMarks; // marks met since its last character
};

int Session::lineAt(size_t offset) {
    if (offset < m_lineOffset) {
        m_lineOffset = 0;
        m_line = 1;
    }
    // Line ends are far apart: found with memchr rather than counted a byte
    // at a time.
    const char* p = m_s.data() + m_lineOffset;
    const char* const end = m_s.data() + std::min(offset, m_s.size());
    while (p < end) {
        const void* next = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (next == nullptr)
            break;
        ++m_line;
        p = static_cast<const char*>(next) + 1;
    }
    m_lineOffset = offset;
    return m_line;
}

std::string Session::header() const {
    std::string h = "{\\rtf1" + m_rootWords;
    // The code page the fonts were read under, if the words before the
    // table in the header would give another, then the header's own again.
    int codePage = CodePageOf(m_rootWords);
    if (codePage != m_fontTableCodePage)
        h += CodePageWord(codePage = m_fontTableCodePage);
    h += m_fontTable;
    // The document's code page is not a group's: it is the one in force
    // where the topic began, whatever group set it.
    if (codePage != m_topicCodePage)
        h += CodePageWord(m_topicCodePage);
    h += "{\\colortbl";
    // Entries that start with a letter or a digit would join the word.
    if (!m_colourTable.empty() &&
        (IsLetter(m_colourTable[0]) || IsDigit(m_colourTable[0]) || m_colourTable[0] == '-'))
        h += ' ';
    h += m_colourTable;
    h += TopicParser::kLinkColour;
    h += "}";
    return h;
}

void Session::run() {
    m_topic.file = m_file;
    size_t i = 0;
    bool ended = false;
    Token peeked;
    bool havePeeked = false;
    while (i < m_s.size() && !ended) {
        if (!havePeeked && plain()) {
            const size_t next = plainRun(i);
            if (next != i) {
                i = next;
                continue;
            }
        }
        const Token t = havePeeked ? peeked : NextToken(m_s, i);
        havePeeked = false;
        i = t.end;
        m_at = t.begin;
        switch (t.kind) {
        case Token::End:
            ended = true;
            break;
        case Token::Open: {
            // A group ends the characters a \u stands for, as its end does.
            // A group left out of the body must still end them there: an
            // empty group takes its place.
            const bool endsFallback = m_skipChars > 0;
            m_skipChars = 0;
            auto leftOut = [&] {
                if (endsFallback)
                    m_content += "{}";
            };
            std::string name;
            size_t end = 0;
            if (!m_levels.empty() && BitmapReference(m_s, i, "}", name, end)) {
                leftOut();
                picture(name, t.begin);
                i = end;
                break;
            }
            const Token n = NextToken(m_s, i);
            const bool star = n.kind == Token::Symbol && n.name == "*";
            Token w = n;
            if (star) {
                // The reader finds the word after \* past control bytes.
                size_t next = n.end;
                while (next < m_s.size() && IsDropped(m_s[next]))
                    ++next;
                w = NextToken(m_s, next);
            }
            // After \*, the reader skips the group unless a word it shows
            // (a field result, a picture...) follows; after no word at all
            // it skips nothing.
            const bool starSkipped = star && w.kind == Token::Word &&
                                     (Known(w).kind != rtf::WordKind::Destination ||
                                      RestOfGroupAfter(Known(w)) == Rest::Hidden ||
                                      RestOfGroupAfter(Known(w)) == Rest::Dropped);
            if (!m_levels.empty() &&
                (starSkipped || (!star && w.kind == Token::Word &&
                                 (IsDroppedDestination(w) || w.name == "footnote")))) {
                const size_t end = GroupEnd(m_s, t.begin);
                if (w.kind == Token::Word && w.name == "footnote")
                    footnote(t.begin, end);
                else if (w.kind == Token::Word && w.name == "fonttbl") {
                    // Only a closed table: an open one would take the body.
                    // Later tables add to the first, whose fonts stay as
                    // the reader keeps them; their size is bounded, as each
                    // body repeats them.
                    if (GroupClose(m_s, t.begin + 1) < m_s.size() &&
                        m_fontTable.size() + (end - t.begin) <= kMaxFontTables) {
                        if (m_fontTable.empty())
                            m_fontTableCodePage = m_codePage;
                        m_fontTable.append(m_s.substr(t.begin, end - t.begin));
                    }
                } else if (w.kind == Token::Word && w.name == "colortbl")
                    colourTable(m_s.substr(w.end, end - w.end));
                else if (w.kind == Token::Word && w.name == "stylesheet")
                    styleSheet(m_s.substr(w.end, end - w.end));
                leftOut();
                i = end;
                break;
            }
            if (w.kind == Token::Word && w.name == "pict" && !m_levels.empty()) {
                const size_t end = GroupEnd(m_s, t.begin);
                if (m_levels.back().chars.hidden) {
                    hiddenChar(' ');
                    leftOut();
                } else {
                    m_content.append(m_s.substr(t.begin, end - t.begin));
                    if (PictureShown(m_s, w.end, end))
                        visible(0xFFFC);
                }
                i = end;
                break;
            }
            if (m_levels.size() >= kMaxDepth) {
                // Deeper nesting is no help text: the group is left out, so
                // that re-opening the open groups at each page stays cheap.
                if (!m_tooDeep)
                    fail(t.begin, "RTF trop imbriqué : groupe ignoré");
                m_tooDeep = true;
                leftOut();
                i = GroupEnd(m_s, t.begin);
                break;
            }
            openGroup(t.begin);
            if (!star && n.kind == Token::Word) {
                // The group's first word was read already.
                peeked = n;
                havePeeked = true;
            }
            break;
        }
        case Token::Close:
            closeGroup(t.begin);
            if (m_levels.empty())
                ended = true;
            break;
        case Token::Word: {
            if (m_levels.empty())
                break;
            if (t.name == "bin") {
                const size_t skip = t.param > 0 ? static_cast<size_t>(t.param) : 0;
                const size_t end = std::min(m_s.size(), t.end + skip);
                if (m_skipChars > 0)
                    --m_skipChars;
                m_content += "\\bin" + std::to_string(end - t.end) + " ";
                m_content.append(m_s.substr(t.end, end - t.end));
                i = end;
                break;
            }
            if (t.name == "page") {
                if (m_skipChars > 0)
                    m_skipChars = 0;
                captureOpenGroups();
                finishTopic(t.begin);
                startTopic(t.end, true);
                break;
            }
            if (m_skipChars > 0) {
                // A control word is one of the characters a \u stands for.
                --m_skipChars;
                emitRaw(t, false);
                break;
            }
            const rtf::ControlWord& known = Known(t);
            if (const Rest rest = RestOfGroupAfter(known); rest != Rest::Shown) {
                // A destination met inside a group: the reader shows none of
                // what follows in the group (a picture counts one).
                const size_t close = GroupClose(m_s, t.end);
                if (rest != Rest::Dropped)
                    m_content.append(m_s.substr(t.begin, close - t.begin));
                if (rest == Rest::Picture && !m_levels.back().chars.hidden &&
                    PictureShown(m_s, t.end, close))
                    visible(0xFFFC);
                if (rest == Rest::Counted && !m_levels.back().chars.hidden)
                    countShown(m_s.substr(t.begin, close - t.begin));
                i = close;
                break;
            }
            word(t, known);
            break;
        }
        case Token::Symbol:
            if (m_levels.empty())
                break;
            if (t.name == "*" && m_skipChars == 0) {
                // Inside a group, a word the reader does not know as a
                // destination after \* hides the rest of the group. The
                // reader passes over control bytes to find that word.
                size_t next = i;
                while (next < m_s.size() && IsDropped(m_s[next]))
                    ++next;
                const Token n = NextToken(m_s, next);
                if (n.kind == Token::Word && Known(n).kind != rtf::WordKind::Destination) {
                    const size_t close = GroupClose(m_s, i);
                    m_content.append(m_s.substr(t.begin, close - t.begin));
                    i = close;
                    break;
                }
            }
            if (t.name == "{" && m_skipChars == 0) {
                // Where a \u's fallback is pending, the brace is part of it.
                std::string name;
                size_t end = 0;
                if (BitmapReference(m_s, i, "\\}", name, end)) {
                    picture(name, t.begin);
                    i = end;
                    break;
                }
            }
            symbol(t);
            break;
        case Token::Text:
            if (!m_levels.empty())
                text(t);
            break;
        }
    }
    if (!m_levels.empty())
        fail(m_s.size(), "RTF déséquilibré : " + std::to_string(m_levels.size()) +
                             " groupe(s) non fermé(s) en fin de fichier");
    finishTopic(std::min(i, m_s.size()));
    if (m_macroFootnotes > 0)
        m_messages.warning(m_file, m_firstMacroLine,
                           std::to_string(m_macroFootnotes) +
                               " note(s) de macro (!) ignorée(s), la première ici");
    if (i < m_s.size()) {
        size_t k = i;
        while (k < m_s.size() && (IsSpace(m_s[k]) || m_s[k] == '\0' || m_s[k] == '\x1A'))
            ++k;
        if (k < m_s.size())
            fail(k, "RTF déséquilibré : texte après la fin du document");
    }
}

void Session::openGroup(size_t at) {
    if (m_levels.empty()) {
        m_levels.push(CharState{}, 1);
        startTopic(at, false);
        return;
    }
    const CharState chars = m_levels.back().chars;
    Level& next = m_levels.push(chars, m_levels.back().uc);
    m_content += '{';
    next.contentStart = m_content.size();
}

void Session::closeGroup(size_t at) {
    if (m_levels.empty()) {
        fail(at, "RTF déséquilibré : accolade fermante en trop");
        return;
    }
    if (m_levels.size() > 1)
        m_content += '}';
    m_levels.pop();
    m_skipChars = 0;
}

void Session::captureOpenGroups() {
    for (size_t k = 1; k < m_levels.size(); ++k) {
        const size_t begin = std::min(m_levels[k].contentStart, m_content.size());
        size_t end = k + 1 < m_levels.size() ? m_levels[k + 1].contentStart - 1 : m_content.size();
        end = std::clamp(end, begin, m_content.size());
        const std::string_view part = m_content.view().substr(begin, end - begin);
        std::string words;
        // Words that stood for a \u's characters are no formatting: they
        // are passed over as the reader passes over them.
        int uc = m_levels[k - 1].uc;
        int fallback = 0;
        size_t i = 0;
        for (Token t; StepToken(part, i, part.size(), t);) {
            if (t.kind == Token::Open) {
                i = GroupEnd(part, t.begin);
                fallback = 0;
            } else if (t.kind == Token::Text) {
                for (size_t q = t.begin; q < t.end && fallback > 0; ++q)
                    fallback -= !IsDropped(part[q]);
            } else if (fallback > 0) {
                --fallback;
            } else if (t.kind == Token::Word) {
                if (t.name == "uc")
                    uc = t.hasParam ? std::clamp(t.param, 0, 16) : 1;
                else if (t.name == "u")
                    fallback = uc;
                if (t.name == "bin" && t.param > 0)
                    i = std::min(part.size(), i + static_cast<size_t>(t.param));
                // A destination word here was one of the characters a \u
                // stood for: re-opened alone, it would hide the group; a
                // character word would be shown once more.
                else if (IsStateWord(t.name) && Known(t).kind != rtf::WordKind::Destination &&
                         Known(t).kind != rtf::WordKind::Symbol) {
                    words.append(part.substr(t.begin, t.end - t.begin));
                    if (words.back() != ' ')
                        words += ' ';
                }
            }
        }
        m_levels[k].words = CompressWords(words);
        m_levels[k].compressedSize = m_levels[k].words.size();
    }
}

void Session::startTopic(size_t offset, bool afterPage) {
    m_topic = SourceTopic{};
    m_topic.file = m_file;
    m_topic.line = 0;
    m_topic.links.reserve(m_lastLinkCount);
    m_topicOffset = offset;
    m_topicCodePage = m_codePage;
    m_contentChars = 0;
    m_topicHasFootnote = false;
    m_content.clear();
    m_contentHasHeader = false;
    m_count = 0;
    m_anchorOpen = false;
    m_lastCharAt = std::string::npos;
    if (m_levels.empty())
        return;
    for (Level& l : m_levels) {
        if (l.words.size() != l.compressedSize) {
            l.words = CompressWords(l.words);
            l.compressedSize = l.words.size();
        }
    }
    m_rootWords = m_levels[0].words;
    if (afterPage) {
        // The tables are known: the body is written in place, header first.
        m_content.reset(m_lastBodySize + m_lastBodySize / 4 + 256);
        m_content += header();
        m_contentHasHeader = true;
    }
    for (size_t k = 1; k < m_levels.size(); ++k) {
        m_content += '{';
        m_levels[k].contentStart = m_content.size();
        m_content += m_levels[k].words;
    }
}

void Session::finishTopic(size_t end) {
    closeAnchor();
    if (!m_topicHasFootnote && m_contentChars == 0)
        return;
    if (m_topic.line == 0)
        m_topic.line = lineAt(m_topicOffset);
    if (m_topic.id.empty()) {
        if (m_contentChars > 0 || !m_topic.title.empty())
            m_messages.error(m_file, m_topic.line,
                             "topique sans identifiant (note #)" +
                                 (m_topic.title.empty()
                                      ? std::string()
                                      : " : « " + cp1252::toUtf8(m_topic.title) + " »"));
        return;
    }
    const size_t open = m_levels.empty() ? 0 : m_levels.size() - 1;
    std::string body;
    if (m_contentHasHeader) {
        m_content.append(std::string(open, '}'));
        m_content += '}';
        body = m_content.take();
    } else {
        body = header();
        body.reserve(body.size() + m_content.size() + open + 8);
        body += m_content.view();
        body.append(open, '}');
        body += "}";
    }
    m_lastBodySize = body.size();
    m_lastLinkCount = m_topic.links.size();
    m_topic.body = std::move(body);
    m_topic.length = m_count;
    m_topic.sourceBegin = m_topicOffset;
    m_topic.sourceEnd = std::max(end, m_topic.sourceBegin);
    m_topics.push_back(std::move(m_topic));
    m_topic = SourceTopic{};
}

void Session::emitWord(std::string_view word, bool record) {
    m_content += word;
    // Only the document's own level keeps its words as they come: a group's
    // words are read back from the body when a topic ends inside it.
    if (record && m_levels.size() == 1)
        m_levels.back().words += word;
}

void Session::emitRaw(const Token& t, bool record) {
    const std::string_view raw = m_s.substr(t.begin, t.end - t.begin);
    const bool space = raw.back() != ' ';
    m_content += raw;
    if (space)
        m_content += ' ';
    if (record && m_levels.size() == 1) {
        std::string& words = m_levels.back().words;
        words += raw;
        if (space)
            words += ' ';
    }
}

void Session::word(const Token& t, const rtf::ControlWord& known) {
    using rtf::Word;
    Level& level = m_levels.back();
    CharState& c = level.chars;
    const std::string_view name = t.name;
    const bool on = !t.hasParam || t.param != 0;
    // The reader's table names each of these words by one spelling only,
    // except \strike (also \striked), told apart below.
    const Word w = known.word;

    if (w == Word::Unknown && name == "rtf")
        return;
    if (w == Word::Unicode) {
        // As the reader takes it: no parameter is 0, and the value is kept
        // to 16 bits, negative ones counting from 65536.
        emitRaw(t, false);
        const int32_t value = t.hasParam ? std::clamp(t.param, -32768, 65535) : 0;
        if (c.hidden)
            hiddenChar('?');
        else
            visible(static_cast<char16_t>(value < 0 ? value + 65536 : value));
        m_skipChars = level.uc;
        return;
    }
    if (w == Word::UnicodeCount) {
        level.uc = t.hasParam ? std::clamp(t.param, 0, 16) : 1;
        emitRaw(t, true);
        return;
    }
    // A paragraph, row or cell mark ends its paragraph, row or cell in
    // hidden text too, as the reader reads it (a cell after a link's hidden
    // target); a line, page or section break there counts nothing.
    const bool cell = w == Word::Cell || w == Word::NestedCell;
    const bool ends = cell || w == Word::Paragraph || w == Word::Row || w == Word::NestedRow;
    if (ends || w == Word::Line || w == Word::Section) {
        emitRaw(t, false);
        if (ends || !c.hidden)
            mark(cell ? 1 : 2);
        return;
    }
    if (w == Word::Tab || w == Word::Character) {
        // The character the reader shows; in a hidden target, its
        // Windows-1252 byte, if it has one.
        emitRaw(t, false);
        if (!c.hidden)
            visible(w == Word::Tab ? u'\t' : static_cast<char16_t>(known.value));
        else if (const int byte = SymbolByte(name); byte >= 0)
            hiddenChar(static_cast<char>(byte));
        else if (m_anchorOpen)
            m_targetStarted = true;
        return;
    }

    // Formatting that decides links: rewritten so that a jump shows as an
    // underlined link and a popup with a dotted underline.
    const Hot before = c.hot();
    if (w == Word::Hidden) {
        c.hidden = on;
    } else if (w == Word::UnderlineDouble) {
        c.doubleUnderline = on;
    } else if (w == Word::Strike && name.size() == 6) {
        c.strike = on;
    } else if (w == Word::Underline) {
        c.underline = on;
    } else if (w == Word::UnderlineNone) {
        c.underline = c.doubleUnderline = false;
    } else if (w == Word::Plain) {
        c = CharState{};
        emitRaw(t, true);
        return;
    } else if (w == Word::Foreground) {
        c.colour = t.hasParam ? t.param : 0;
        c.linkColoured = false;
        emitRaw(t, true);
        return;
    } else if (w == Word::Unknown && name == "cs" && t.hasParam) {
        emitRaw(t, true);
        const auto it = m_styles.find(t.param);
        if (it == m_styles.end())
            return;
        // The viewer does not apply styles: what the style hides is hidden
        // explicitly, so that both agree on what is shown.
        if (it->second.hidden && !c.hidden)
            emitWord("\\v ", true);
        c.hidden = c.hidden || it->second.hidden;
        c.doubleUnderline = c.doubleUnderline || it->second.doubleUnderline;
        c.strike = c.strike || it->second.strike;
        c.underline = c.underline || it->second.underline;
    } else {
        m_codePage = CodePageAfter(t, m_codePage);
        emitRaw(t, m_levels.size() == 1 && IsStateWord(name));
        return;
    }
    if (w == Word::Hidden) {
        emitWord(on ? "\\v " : "\\v0 ", true);
        return;
    }
    const Hot after = c.hot();
    if (after == before)
        return;
    // At most two colour words and one underline word.
    char out[64];
    size_t length = 0;
    auto put = [&](std::string_view text) {
        std::memcpy(out + length, text.data(), text.size());
        length += text.size();
    };
    auto putColour = [&](int32_t colour) {
        put("\\cf");
        length =
            static_cast<size_t>(std::to_chars(out + length, out + sizeof out, colour).ptr - out);
        put(" ");
    };
    if (before == Hot::Jump && c.linkColoured) {
        putColour(c.colour);
        c.linkColoured = false;
    }
    if (after == Hot::Jump) {
        put("\\ul ");
        if (c.colour == 0) {
            putColour(m_colourCount);
            c.linkColoured = true;
        }
    } else if (after == Hot::Popup) {
        put("\\uld ");
    } else {
        put("\\ulnone ");
    }
    emitWord(std::string_view(out, length), true);
}

void Session::symbol(const Token& t) {
    const CharState& c = m_levels.back().chars;
    const char s = t.name[0];
    if (s == '\'') {
        // A broken escape is left out: copied, it could join the bytes
        // after it (once a NUL byte is dropped) into an escape of its own.
        if (t.param < 0)
            return;
        m_content.append(m_s.substr(t.begin, t.end - t.begin));
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        const unsigned char byte = static_cast<unsigned char>(t.param < 0 ? '?' : t.param);
        if (c.hidden)
            hiddenChar(static_cast<char>(byte));
        else
            visible(cp1252::toUnicode(byte));
        return;
    }
    if (s == '{' || s == '}' || s == '\\' || s == '~' || s == '_') {
        if (m_skipChars > 0) {
            --m_skipChars;
            m_content.append(m_s.substr(t.begin, t.end - t.begin));
            return;
        }
        if (c.hidden) {
            hiddenChar(s);
            return;
        }
        m_content.append(m_s.substr(t.begin, t.end - t.begin));
        visible(s == '~' ? u'\u00A0' : s == '_' ? u'\u2011' : static_cast<char16_t>(s));
        return;
    }
    // Any other symbol is one of the characters a \u stands for.
    const bool skipped = m_skipChars > 0;
    if (skipped)
        --m_skipChars;
    if (s == '\r' || s == '\n') {
        m_content += "\\par ";
        if (!skipped)
            mark(2);
        return;
    }
    m_content.append(m_s.substr(t.begin, t.end - t.begin));
    // A \* the reader takes as such marks the next word; what follows it
    // here may be left out of the body (hidden text, a footnote), so an
    // empty group stands between it and any later word.
    if (s == '*' && !skipped)
        m_content += "{}";
}

void Session::text(const Token& t) {
    const CharState& c = m_levels.back().chars;
    size_t k = t.begin;
    while (k < t.end) {
        if (m_skipChars == 0 && !c.hidden && c.hot() == Hot::None) {
            // Ordinary visible text: copied and counted a run at a time.
            closeAnchor();
            const char* const p = m_s.data();
            const void* nul = std::memchr(p + k, '\0', t.end - k);
            const size_t j = nul ? static_cast<size_t>(static_cast<const char*>(nul) - p) : t.end;
            // Counted without branches: control bytes (line ends among them)
            // are no characters, and blanks do not make a topic's content.
            int32_t dropped = 0, blanks = 0;
            for (size_t q = k; q < j; ++q) {
                const unsigned char ch = static_cast<unsigned char>(p[q]);
                dropped += (ch < 0x20) & (ch != '\t');
                blanks += (ch == ' ') | (ch == '\t');
            }
            const int32_t counted = static_cast<int32_t>(j - k) - dropped;
            const int32_t nonSpace = counted - blanks;
            size_t firstNonSpace = k;
            if (nonSpace > 0 && m_topic.line == 0)
                while (IsDropped(p[firstNonSpace]) || p[firstNonSpace] == ' ' ||
                       p[firstNonSpace] == '\t')
                    ++firstNonSpace;
            m_content.append(m_s.data() + k, j - k);
            if (counted > 0) {
                m_count += counted;
                m_contentChars += nonSpace;
                if (nonSpace > 0 && m_topic.line == 0)
                    m_topic.line = lineAt(firstNonSpace);
                // A footnote's mark is the last character, line ends after
                // it being nothing to the reader.
                size_t last = j - 1;
                while (IsDropped(p[last]))
                    --last;
                m_lastCharAt = m_content.size() - (j - last);
            }
            k = j < t.end ? j + 1 : j; // a NUL byte is dropped
            continue;
        }
        const char ch = m_s[k++];
        if (ch == '\0')
            continue;
        if (IsDropped(ch)) {
            m_content += ch;
            continue;
        }
        if (m_skipChars > 0) {
            --m_skipChars;
            m_content += ch;
            continue;
        }
        // The bytes up to the next control byte are alike: taken together.
        size_t j = k;
        while (j < t.end && !IsDropped(m_s[j]))
            ++j;
        if (c.hidden) {
            hiddenChar(ch);
            if (m_anchorOpen)
                m_anchor.target.append(m_s.data() + k, j - k);
            k = j;
            continue;
        }
        m_content += ch;
        m_at = k - 1;
        visible(ch == '\t' ? u'\t' : cp1252::toUnicode(static_cast<unsigned char>(ch)));
        m_lastCharAt = m_content.size() - 1;
        if (!m_anchorOpen || m_topic.line == 0 || j == k)
            continue;
        // The rest of a hot spot's run joins the anchor just opened or
        // continued by the first character.
        const auto rest = static_cast<int32_t>(j - k);
        m_content.append(m_s.data() + k, j - k);
        for (; k < j; ++k) {
            const unsigned char b = static_cast<unsigned char>(m_s[k]);
            if (m_keepHotText)
                m_anchorHot += b == '\t' ? u'\t' : cp1252::toUnicode(b);
            m_contentChars += b != ' ' && b != '\t';
        }
        m_anchor.last = m_count + rest - 1;
        m_count += rest;
        m_lastCharAt = m_content.size() - 1;
    }
}

namespace {

struct ByteClass {
    // Bytes that end a run of text: group marks, the escape character and
    // NUL (which is dropped, not copied).
    std::array<bool, 256> stop{};
    // Positions a byte of text takes (control bytes other than the tab take
    // none) and whether it makes the topic's content (blanks do not).
    std::array<uint8_t, 256> counts{};
    std::array<uint8_t, 256> content{};
};

constexpr ByteClass kBytes = [] {
    ByteClass b{};
    b.stop['{'] = b.stop['}'] = b.stop['\\'] = b.stop['\0'] = true;
    for (int c = 0; c < 256; ++c) {
        b.counts[c] = c >= 0x20 || c == '\t';
        b.content[c] = b.counts[c] && c != ' ' && c != '\t';
    }
    return b;
}();

// The bits set in a mask; where the processor has an instruction for it,
// ScanText is built a second time to use it. Not under ThreadSanitizer: the
// choice between the two is made while the program is being loaded, before
// the sanitizer's run-time is ready.
inline int BitCount16(unsigned mask) {
    return __builtin_popcount(mask);
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__SSE2__) &&        \
    !defined(__SANITIZE_THREAD__)
#define TOLVANE_WITH_POPCNT __attribute__((target_clones("popcnt", "default")))
#else
#define TOLVANE_WITH_POPCNT
#endif

// A run of text bytes from p[k] up to the first stop byte (or n): where it
// ends, the positions its bytes take and how many of them are content.
struct TextRun {
    size_t end;
    int32_t positions = 0;
    int32_t content = 0;
};

TOLVANE_WITH_POPCNT TextRun ScanText(const char* p, size_t k, size_t n) {
    TextRun run{k};
#ifdef __SSE2__
    const __m128i open = _mm_set1_epi8('{');
    const __m128i close = _mm_set1_epi8('}');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i zero = _mm_setzero_si128();
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i space = _mm_set1_epi8(' ');
    while (k + 16 <= n) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const unsigned stops = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, open), _mm_cmpeq_epi8(x, close)),
                         _mm_or_si128(_mm_cmpeq_epi8(x, backslash), _mm_cmpeq_epi8(x, zero)))));
        const __m128i isTab = _mm_cmpeq_epi8(x, tab);
        const __m128i isControl = _mm_cmpeq_epi8(_mm_min_epu8(x, lastControl), x);
        const unsigned dropped =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(isTab, isControl)));
        const unsigned blanks =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, space), isTab)));
        const int length = stops ? __builtin_ctz(stops) : 16;
        const unsigned taken = (1u << length) - 1;
        // Control bytes are rare (line ends): counted only when present.
        const int positions = (dropped & taken) ? length - BitCount16(dropped & taken) : length;
        run.positions += positions;
        run.content += positions - BitCount16(blanks & taken);
        k += static_cast<size_t>(length);
        if (stops) {
            run.end = k;
            return run;
        }
    }
#endif
    while (k < n && !kBytes.stop[static_cast<unsigned char>(p[k])]) {
        const unsigned char ch = static_cast<unsigned char>(p[k]);
        run.positions += kBytes.counts[ch];
        run.content += kBytes.content[ch];
        ++k;
    }
    run.end = k;
    return run;
}

} // namespace

size_t Session::plainRun(size_t i) {
    const char* const p = m_s.data();
    const size_t n = m_s.size();
    size_t k = i;
    size_t copied = i; // the bytes before it are in the body
    int32_t counted = 0, content = 0;
    size_t lastCharAt = m_lastCharAt;
    for (;;) {
        const TextRun run = ScanText(p, k, n);
        k = run.end;
        content += run.content;
        if (run.positions > 0) {
            // A footnote's mark is the text byte written last: control
            // bytes after it (a line end) are nothing to the reader.
            counted += run.positions;
            size_t last = k - 1;
            while (!kBytes.counts[static_cast<unsigned char>(p[last])])
                --last;
            lastCharAt = m_content.size() + (last - copied);
        }
        if (k >= n)
            break;
        if (p[k] == '\0') {
            m_content.append(p + copied, k - copied);
            copied = ++k;
            continue;
        }
        if (p[k] != '\\' || k + 3 >= n || p[k + 1] != '\'')
            break;
        const int hi = hexDigitValue(static_cast<unsigned char>(p[k + 2]));
        const int lo = hexDigitValue(static_cast<unsigned char>(p[k + 3]));
        if (hi < 0 || lo < 0)
            break;
        const int byte = hi * 16 + lo;
        ++counted;
        content += byte != ' ' && byte != '\t';
        lastCharAt = std::string::npos;
        k += 4;
    }
    if (k == i)
        return i;
    closeAnchor();
    m_content.append(p + copied, k - copied);
    m_count += counted;
    m_contentChars += content;
    m_lastCharAt = lastCharAt;
    return k;
}

void Session::visible(char16_t unit) {
    m_lastCharAt = std::string::npos;
    if (unit != u' ' && unit != u'\t') {
        if (m_topic.line == 0)
            m_topic.line = lineAt(m_at);
        ++m_contentChars;
    }
    const Hot hot = m_levels.back().chars.hot();
    if (hot == Hot::None) {
        closeAnchor();
    } else {
        const bool popup = hot == Hot::Popup;
        if (!m_anchorOpen || m_targetStarted || popup != m_anchorPopup) {
            closeAnchor();
            m_anchorMarks.clear();
            m_anchorOpen = true;
            m_anchorPopup = popup;
            m_anchor = SourceLink{};
            m_anchorHot.clear();
            m_anchor.first = m_count;
            m_anchor.popup = popup;
            m_anchor.line = lineAt(m_at);
        }
        m_anchor.last = m_count;
        if (m_keepHotText) {
            m_anchorHot += m_anchorMarks;
            m_anchorMarks.clear();
            m_anchorHot += unit;
        }
    }
    ++m_count;
}

void Session::hiddenChar(char byte) {
    if (m_anchorOpen) {
        m_targetStarted = true;
        m_anchor.target += byte;
    }
}

void Session::mark(int positions) {
    m_lastCharAt = std::string::npos;
    if (m_anchorOpen && m_targetStarted)
        closeAnchor();
    // Inside a hot spot, the mark is part of its text once a further hot
    // character follows: the reader shows a cell as a tab, others as CR LF.
    if (m_anchorOpen && m_keepHotText)
        m_anchorMarks += positions == 1 ? u"\t" : u"\r\n";
    m_count += positions;
}

void Session::closeAnchor() {
    if (!m_anchorOpen)
        return;
    m_anchorOpen = false;
    const bool hadTarget = m_targetStarted;
    m_targetStarted = false;
    if (!hadTarget)
        return;
    std::string_view target = TrimView(m_anchor.target);
    if (!target.empty() && target[0] == '!') {
        m_messages.warning(m_file, m_anchor.line,
                           "macro ignorée dans un lien : " + cp1252::toUtf8(target));
        return;
    }
    while (!target.empty() && (target[0] == '%' || target[0] == '*'))
        target.remove_prefix(1);
    const size_t cut = target.find_first_of(">@");
    if (cut != std::string_view::npos)
        target = TrimView(target.substr(0, cut));
    if (target.empty())
        return;
    if (target.size() != m_anchor.target.size())
        m_anchor.target = std::string(target);
    m_topic.links.push_back(std::move(m_anchor));
    m_anchor = SourceLink{};
    if (m_keepHotText)
        m_topic.hotTexts.push_back(std::move(m_anchorHot));
}

void Session::footnote(size_t begin, size_t end) {
    m_topicHasFootnote = true;
    if (m_topic.line == 0)
        m_topic.line = lineAt(begin);
    // The footnote's mark is the character written just before the group.
    char markChar = 0;
    if (m_lastCharAt != std::string::npos && m_lastCharAt < m_content.size() &&
        OnlyDropped(m_content.view().substr(m_lastCharAt + 1))) {
        markChar = m_content[m_lastCharAt];
        m_content.erase(m_lastCharAt);
        --m_count;
        if (markChar != ' ' && markChar != '\t')
            --m_contentChars;
        if (m_anchorOpen && m_anchor.last == m_count) {
            if (m_keepHotText)
                m_anchorHot.pop_back();
            if (m_anchor.first == m_anchor.last)
                m_anchorOpen = false;
            else
                --m_anchor.last;
        }
    }
    m_lastCharAt = std::string::npos;
    size_t inner = begin + 1;
    const Token w = NextToken(m_s, inner);
    inner = w.end;
    const size_t stop = end > inner && m_s[end - 1] == '}' ? end - 1 : end;
    std::string text = Trim(PlainText(m_s.substr(inner, stop - inner)));
    if (markChar != 0 && !text.empty() && text[0] == markChar)
        text = Trim(text.substr(1));
    if (markChar == 0 && !text.empty() && std::strchr("#$K+!", text[0]) != nullptr &&
        text.size() > 1 && IsSpace(text[1])) {
        markChar = text[0];
        text = Trim(text.substr(1));
    }
    const int line = lineAt(begin);
    switch (markChar) {
    case '#':
        if (text.empty())
            m_messages.warning(m_file, line, "note # vide");
        else if (!m_topic.id.empty())
            m_topic.otherIds.push_back(text);
        else
            m_topic.id = text;
        break;
    case '$':
        m_topic.title = text;
        break;
    case 'K':
        for (std::string& keyword : TopicParser::splitKeywords(text))
            m_topic.keywords.push_back(std::move(keyword));
        break;
    case '!':
        if (m_macroFootnotes++ == 0)
            m_firstMacroLine = line;
        break;
    default:
        break;
    }
}

void Session::colourTable(std::string_view group) {
    // Entries up to the group's closing brace; each ';' ends one.
    const size_t close = group.rfind('}');
    std::string entries(group.substr(0, close == std::string_view::npos ? group.size() : close));
    m_colourCount = static_cast<int32_t>(std::count(entries.begin(), entries.end(), ';'));
    const size_t lastSemicolon = entries.rfind(';');
    entries =
        lastSemicolon == std::string::npos ? std::string() : entries.substr(0, lastSemicolon + 1);
    if (entries.find_first_of("{}") != std::string::npos ||
        entries.find("\\bin") != std::string::npos) {
        // Groups inside the table would unbalance every body's header, and
        // binary data cut at an entry take the header's end.
        m_colourTable = ";";
        m_colourCount = 1;
        return;
    }
    m_colourTable = entries;
}

void Session::styleSheet(std::string_view group) {
    // Each style is a group; only character styles (\csN) and their flags
    // matter here.
    size_t i = 0;
    while (i < group.size()) {
        const size_t open = group.find('{', i);
        if (open == std::string_view::npos)
            break;
        const size_t end = GroupEnd(group, open);
        const std::string_view style = group.substr(open, end - open);
        int32_t number = -1;
        StyleFlags flags;
        size_t k = 1;
        while (k < style.size()) {
            const Token t = NextToken(style, k);
            if (t.kind == Token::End || t.end <= k)
                break;
            k = t.end;
            if (t.kind != Token::Word)
                continue;
            const bool on = !t.hasParam || t.param != 0;
            if (t.name == "cs" && t.hasParam)
                number = t.param;
            else if (t.name == "v")
                flags.hidden = on;
            else if (t.name == "uldb")
                flags.doubleUnderline = on;
            else if (t.name == "strike")
                flags.strike = on;
            else if (t.name == "ul")
                flags.underline = on;
        }
        if (number >= 0)
            m_styles[number] = flags;
        i = end;
    }
}

void Session::picture(const std::string& name, size_t at) {
    if (m_levels.back().chars.hidden)
        return;
    std::string pict;
    if (m_pictures && m_pictures(name, pict)) {
        m_content += pict;
        visible(0xFFFC);
        return;
    }
    warn(at, "image introuvable : " + cp1252::toUtf8(name));
    const std::string placeholder = "[image absente : " + name + "]";
    for (char ch : placeholder) {
        // Control bytes are no characters to the reader: a '?' shows them.
        if (IsDropped(ch) || ch == '\t')
            ch = '?';
        if (ch == '{' || ch == '}' || ch == '\\')
            m_content += '\\';
        m_content += ch;
        visible(cp1252::toUnicode(static_cast<unsigned char>(ch)));
    }
}

void Session::countShown(std::string_view rest) {
    std::string alone = "{\\rtf1\\uc" + std::to_string(m_levels.back().uc) + " ";
    alone += rest;
    alone += '}';
    const std::u16string shown = rtf::RtfReader::displayedText(alone);
    for (size_t k = 0; k < shown.size(); ++k) {
        if (shown[k] == u'\r' && k + 1 < shown.size() && shown[k + 1] == u'\n') {
            mark(2);
            ++k;
        } else {
            visible(shown[k]);
        }
    }
}

} // namespace

bool TopicParser::bitmapReference(std::string_view s, size_t i, std::string_view close,
                                  std::string& name, size_t& end) {
    return BitmapReference(s, i, close, name, end);
}

void TopicParser::parse(const std::string& file, std::string_view rtf,
                        std::vector<SourceTopic>& topics) {
    Session session(m_messages, m_pictures, file, rtf, topics, m_keepHotText);
    session.run();
}

std::vector<std::string> TopicParser::splitKeywords(std::string_view footnote) {
    std::vector<std::string> keywords;
    size_t begin = 0;
    while (begin <= footnote.size()) {
        size_t end = footnote.find(';', begin);
        if (end == std::string_view::npos)
            end = footnote.size();
        std::string keyword = Trim(std::string(footnote.substr(begin, end - begin)));
        if (!keyword.empty())
            keywords.push_back(std::move(keyword));
        begin = end + 1;
    }
    return keywords;
}

} // namespace tolvane::authoring
