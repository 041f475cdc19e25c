#include "core/rtf/RichTextDump.h"

#include "core/common/Cp1252.h"
#include "core/rtf/RtfReader.h"

namespace tolvane::rtf {

std::string RichTextDump::toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            out += '\n';
            ++i;
        } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            cp1252::appendUtf8(out,
                               0x10000 + ((char32_t{u} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            cp1252::appendUtf8(out, 0xFFFD);
        } else {
            cp1252::appendUtf8(out, u);
        }
    }
    return out;
}

std::string RichTextDump::dump(std::string_view rtf, Mode mode) {
    if (mode == Mode::Count)
        return std::to_string(RtfReader::displayedText(rtf).size()) + "\n";
    if (mode == Mode::Text)
        return toUtf8(RtfReader::displayedText(rtf));
    const RichDocument document = RtfReader::read(rtf);
    const std::u16string_view text = document.text;
    std::string out;
    for (const Paragraph& p : document.paragraphs) {
        out += std::to_string(p.begin);
        out += '\t';
        out += toUtf8(text.substr(p.begin, p.end - p.begin));
        out += '\n';
    }
    return out;
}

} // namespace tolvane::rtf
