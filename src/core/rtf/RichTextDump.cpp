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

namespace {

const char* markName(MarkKind mark) {
    switch (mark) {
    case MarkKind::None:
        return "none";
    case MarkKind::Paragraph:
        return "par";
    case MarkKind::Page:
        return "page";
    case MarkKind::Line:
        return "line";
    case MarkKind::Cell:
        return "cell";
    case MarkKind::Row:
        return "row";
    }
    return "?";
}

const char* underlineName(UnderlineStyle style) {
    switch (style) {
    case UnderlineStyle::None:
        return "none";
    case UnderlineStyle::Single:
        return "single";
    case UnderlineStyle::Double:
        return "double";
    case UnderlineStyle::Dotted:
        return "dotted";
    case UnderlineStyle::Dashed:
        return "dashed";
    case UnderlineStyle::Wave:
        return "wave";
    case UnderlineStyle::Thick:
        return "thick";
    case UnderlineStyle::Word:
        return "words";
    }
    return "?";
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
