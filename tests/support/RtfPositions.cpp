// SPDX-License-Identifier: GPL-3.0-or-later
#include "RtfPositions.h"

#include <cctype>

namespace tolvane::test {

RtfPositions RtfPositions::count(const std::string& rtf) {
    struct Group {
        bool hidden = false;
        bool underlined = false;
        int start = 0;
        bool first = true; // no control word seen yet in this group
    };
    RtfPositions out;
    std::vector<Group> stack{Group{}};
    size_t i = 0;
    auto visible = [&] { return !stack.back().hidden; };
    auto addText = [&](int n) {
        stack.back().first = false;
        if (visible())
            out.length += n;
    };
    while (i < rtf.size()) {
        const char c = rtf[i];
        if (c == '{') {
            Group g;
            g.hidden = stack.back().hidden;
            g.start = out.length;
            stack.push_back(g);
            ++i;
        } else if (c == '}') {
            if (stack.size() <= 1) {
                out.balanced = false;
                return out;
            }
            const Group g = stack.back();
            stack.pop_back();
            if (g.underlined && !g.hidden && out.length > g.start)
                out.underlined.emplace_back(g.start, out.length - 1);
            ++i;
        } else if (c == '\\') {
            ++i;
            if (i >= rtf.size())
                break;
            if (rtf[i] == '\'') {
                i += 3;
                addText(1);
            } else if (rtf[i] == '*') {
                stack.back().hidden = true;
                ++i;
            } else if (std::isalpha(static_cast<unsigned char>(rtf[i]))) {
                std::string word;
                while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i])))
                    word += rtf[i++];
                if (i < rtf.size() && rtf[i] == '-')
                    ++i;
                while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i])))
                    ++i;
                if (i < rtf.size() && rtf[i] == ' ')
                    ++i;
                Group& g = stack.back();
                if (g.first && (word == "fonttbl" || word == "colortbl"))
                    g.hidden = true;
                if (word == "ul" || word == "uld")
                    g.underlined = true;
                if (word == "par" && visible())
                    out.length += 2;
                g.first = false;
            } else {
                ++i; // \\ \{ \} and other symbols: one character
                addText(1);
            }
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else {
            ++i;
            addText(1);
        }
    }
    out.balanced = out.balanced && stack.size() == 1;
    return out;
}

} // namespace tolvane::test
