// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/authoring/TopicParser.h"
#include "core/rtf/RtfControlWords.h"
#include "core/rtf/RtfReader.h"
#include "core/rtf/RtfTokenizer.h"

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::fuzz {

// The pictures of the checks: a bitmap whose name has an even length exists.
inline bool CheckPicture(const std::string& name, std::string& pict) {
    if (name.size() % 2)
        return false;
    pict = "{\\pict\\pngblip 00}";
    return true;
}

// The source as the builder means it to be read, and where each source byte
// went in it. Only what the build changes by design is changed: the mark
// before each footnote is left out, text whose character style hides it is
// hidden, and a bitmap reference becomes its picture or its placeholder.
// Everything else is copied as it is, read by the reader's own tokenizer.
class IntendedSource {
public:
    explicit IntendedSource(std::string_view s) : m_s(s) {
        m_out.reserve(s.size());
        run();
    }
    const std::string& text() const { return m_out; }
    // Whether a font is chosen before the first font table: each body has
    // the tables in its header, so there the font is known from the start.
    bool fontBeforeTable() const { return m_fontBeforeTable; }
    // Where the source byte at `offset` went.
    size_t map(size_t offset) const {
        auto it = std::upper_bound(m_map.begin(), m_map.end(), std::make_pair(offset, ~size_t(0)));
        if (it == m_map.begin())
            return std::min(offset, m_out.size());
        --it;
        return std::min(it->second + (offset - it->first), m_out.size());
    }

private:
    using Token = rtf::RtfToken;

    bool isWord(const Token& t, std::string_view name) const {
        return t.type == Token::Type::ControlWord && t.text == name;
    }
    // The token right after a '{' at `at`, as the builder reads it there.
    Token after(size_t at) const {
        Token t;
        if (at < m_s.size() && m_s[at] == '\\')
            rtf::RtfTokenizer(m_s).tokenAt(at, t);
        return t;
    }
    // The character styles that hide text, as a style sheet group from
    // `from` gives them: each style is a group, its \csN and \v.
    void styleSheet(size_t from) {
        rtf::RtfTokenizer tokens(m_s.substr(from));
        int depth = 0;
        int32_t number = -1;
        bool hidden = false;
        for (Token t = tokens.next(); t.type != Token::Type::End; t = tokens.next()) {
            if (t.type == Token::Type::GroupStart && ++depth == 1) {
                number = -1;
                hidden = false;
            } else if (t.type == Token::Type::GroupEnd) {
                if (depth == 1 && number >= 0)
                    m_hiddenStyles[number] = hidden;
                if (--depth < 0)
                    return;
            } else if (depth >= 1 && isWord(t, "cs") && t.hasParameter) {
                number = t.parameter;
            } else if (depth >= 1 && isWord(t, "v")) {
                hidden = !t.hasParameter || t.parameter != 0;
            } else if (isWord(t, "bin")) {
                tokens.takeBinary(t.hasParameter ? t.parameter : 0);
            }
        }
    }
    void placeholder(const std::string& name) {
        m_out += "{}";
        for (char ch : "[image absente : " + name + "]") {
            if (static_cast<unsigned char>(ch) < 0x20)
                ch = '?';
            if (ch == '{' || ch == '}' || ch == '\\')
                m_out += '\\';
            m_out += ch;
        }
    }
    // A bitmap reference after the brace ending at `at`: written as the
    // build writes it, and the byte after it; 0 when there is none.
    size_t bitmap(size_t at, std::string_view close) {
        std::string name;
        size_t end = 0;
        if (!authoring::TopicParser::bitmapReference(m_s, at, close, name, end))
            return 0;
        std::string pict;
        if (CheckPicture(name, pict))
            m_out += pict;
        else
            placeholder(name);
        return end;
    }

    void run() {
        std::vector<int> uc{1};
        int skip = 0;
        size_t base = 0;
        rtf::RtfTokenizer tokens(m_s);
        bool afterText = false; // the token before was text, last in m_out
        for (;;) {
            const size_t from = base + tokens.offset();
            const Token t = tokens.next();
            const size_t to = base + tokens.offset();
            const bool wasText = afterText;
            afterText = false;
            if (t.type == Token::Type::End) {
                m_map.emplace_back(from, m_out.size());
                m_out.append(m_s.substr(from));
                return;
            }
            size_t jump = 0;
            switch (t.type) {
            case Token::Type::GroupStart: {
                skip = 0;
                const bool inDocument = uc.size() > 1;
                uc.push_back(uc.back());
                if (inDocument) {
                    m_map.emplace_back(from, m_out.size());
                    if ((jump = bitmap(to, "}")) != 0) {
                        uc.pop_back();
                        break;
                    }
                    m_map.pop_back();
                }
                // The group's word, after a \* and control bytes if need be.
                Token word = after(to);
                if (word.type == Token::Type::ControlSymbol && word.symbol == '*') {
                    size_t next = to + 2;
                    while (next < m_s.size() && static_cast<unsigned char>(m_s[next]) < 0x20 &&
                           m_s[next] != '\t')
                        ++next;
                    word = after(next);
                }
                if (wasText && isWord(word, "footnote"))
                    m_out.pop_back(); // the footnote's mark
                if (isWord(word, "stylesheet"))
                    styleSheet(to);
                m_tableSeen = m_tableSeen || isWord(word, "fonttbl");
                break;
            }
            case Token::Type::GroupEnd:
                skip = 0;
                if (uc.size() > 1)
                    uc.pop_back();
                break;
            case Token::Type::Text: {
                const size_t n = std::min(t.text.size(), static_cast<size_t>(skip));
                skip -= static_cast<int>(n);
                afterText = n < t.text.size();
                break;
            }
            case Token::Type::ControlSymbol:
                if (skip > 0) {
                    --skip;
                } else if (t.symbol == '{') {
                    m_map.emplace_back(from, m_out.size());
                    if ((jump = bitmap(to, "\\}")) == 0)
                        m_map.pop_back();
                }
                break;
            case Token::Type::HexByte:
                if (skip > 0)
                    --skip;
                break;
            case Token::Type::ControlWord:
                if (isWord(t, "bin"))
                    tokens.takeBinary(t.hasParameter ? t.parameter : 0);
                m_fontBeforeTable = m_fontBeforeTable || (isWord(t, "f") && !m_tableSeen);
                if (skip > 0) {
                    --skip;
                } else if (isWord(t, "uc")) {
                    uc.back() = std::clamp(t.hasParameter ? t.parameter : 1, 0, 16);
                } else if (isWord(t, "u")) {
                    skip = uc.back();
                } else if (isWord(t, "cs") && t.hasParameter) {
                    const auto it = m_hiddenStyles.find(t.parameter);
                    if (it != m_hiddenStyles.end() && it->second) {
                        m_map.emplace_back(from, m_out.size());
                        m_out.append(m_s.substr(from, base + tokens.offset() - from));
                        m_out += "\\v ";
                        continue;
                    }
                }
                break;
            default:
                break;
            }
            if (jump != 0) {
                base = jump;
                tokens = rtf::RtfTokenizer(m_s.substr(base));
                continue;
            }
            m_map.emplace_back(from, m_out.size());
            m_out.append(m_s.substr(from, base + tokens.offset() - from));
        }
    }

    std::string_view m_s;
    std::string m_out;
    std::vector<std::pair<size_t, size_t>> m_map; // source offset, offset in m_out
    std::map<int32_t, bool> m_hiddenStyles;
    bool m_tableSeen = false;
    bool m_fontBeforeTable = false;
};

// What the topic parser fuzzer checks on every input, and the tests on the
// corpus: each body numbers as the parser counted it, each anchor lies on its
// hot text in the reader's own numbering, and (when the build would write
// it) the reader shows each built body as it shows the topic in the source,
// less what the build takes out by design: footnotes and their marks, hidden
// link targets. Returns what disagrees, or nothing. Sources that choose a
// font before their font table are not compared: no help source does, and
// the header of every body holds the tables.
inline std::string TopicParserDisagreement(std::string_view rtf,
                                           const std::string& file = "fuzz.rtf") {
    using namespace tolvane::authoring;
    BuildMessages messages;
    TopicParser parser(messages, CheckPicture);
    std::vector<SourceTopic> topics;
    parser.setKeepHotText(true);
    parser.parse(file, rtf, topics);
    const bool written = messages.errorCount() == 0;
    const IntendedSource intended(rtf);
    for (const SourceTopic& t : topics) {
        const std::string topic = file + ": topic " + std::to_string(&t - topics.data()) + " (" +
                                  t.id + ", line " + std::to_string(t.line) + "): ";
        const std::u16string text = rtf::RtfReader::displayedText(t.body);
        if (text.size() != static_cast<size_t>(t.length))
            return topic + "the reader shows " + std::to_string(text.size()) +
                   " positions, the parser counted " + std::to_string(t.length);
        if (t.hotTexts.size() != t.links.size())
            return topic + "hot texts and links differ in number";
        for (size_t n = 0; n < t.links.size(); ++n) {
            const SourceLink& l = t.links[n];
            const std::u16string& hot = t.hotTexts[n];
            const std::string link = topic + "link " + std::to_string(n) + ": ";
            if (l.first < 0 || l.first > l.last || l.last >= t.length ||
                hot.size() != static_cast<size_t>(l.last - l.first + 1))
                return link + "anchor outside the text or unlike its hot text";
            // A symbol font's letters are shown as its own characters: only
            // where both sides are ASCII must they be the same.
            for (size_t k = 0; k < hot.size(); ++k)
                if (hot[k] < 0x80 && text[l.first + k] < 0x80 && text[l.first + k] != hot[k])
                    return link + "character " + std::to_string(k) + " differs";
        }
        if (!written || intended.fontBeforeTable())
            continue;
        // The reader reads the intended source up to the topic, then up to
        // its end: what the second shows more is the topic.
        const std::string_view all = intended.text();
        const size_t before =
            rtf::RtfReader::displayedText(all.substr(0, intended.map(t.sourceBegin))).size();
        const std::u16string through =
            rtf::RtfReader::displayedText(all.substr(0, intended.map(t.sourceEnd)));
        const std::u16string source = through.substr(std::min(before, through.size()));
        if (source != text) {
            size_t k = 0;
            while (k < source.size() && k < text.size() && source[k] == text[k])
                ++k;
            auto around = [k](const std::u16string& s) {
                std::string out;
                for (size_t q = k; q < s.size() && q < k + 24; ++q)
                    out += s[q] < 0x80 && s[q] >= 0x20 ? static_cast<char>(s[q]) : '.';
                return "\"" + out + "\"";
            };
            return topic + "the source shows " + std::to_string(source.size()) +
                   " positions, the body " + std::to_string(text.size()) + "; from " +
                   std::to_string(k) + " the source shows " + around(source) + ", the body " +
                   around(text);
        }
    }
    return {};
}

} // namespace tolvane::fuzz
