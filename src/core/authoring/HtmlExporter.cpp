// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/HtmlExporter.h"

#include "core/articles/ArticleStore.h"
#include "core/articles/KeywordIndex.h"
#include "core/common/AtomicFile.h"
#include "core/common/Cp1252.h"
#include "core/common/HexDigit.h"
#include "core/common/InputFile.h"
#include "core/outline/OutlineModel.h"
#include "core/rtf/RtfReader.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <unordered_map>

namespace tolvane::authoring {

namespace {

// Escaped UTF-8 of UTF-16 text; lone surrogates become U+FFFD.
std::string Html(std::u16string_view text) {
    std::string out;
    for (size_t k = 0; k < text.size(); ++k) {
        char32_t c = text[k];
        if (c >= 0xD800 && c < 0xDC00 && k + 1 < text.size() && text[k + 1] >= 0xDC00 &&
            text[k + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[k + 1] - 0xDC00);
            ++k;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\t':
            out += "<span class=\"tab\"></span>";
            break;
        default:
            if (c < 0x20)
                break;
            cp1252::appendUtf8(out, c);
        }
    }
    return out;
}

std::string HtmlOf(const std::string& cp1252Text) {
    return Html(cp1252::toUtf16(cp1252Text));
}

std::string Json(std::u16string_view text) {
    std::string out = "\"";
    for (char16_t c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '<') {
            out += "\\u003c";
        } else if (c < 0x20) {
            out += ' ';
        } else if (c >= 0xD800 && c < 0xE000) {
            out += "\\u";
            for (int s = 12; s >= 0; s -= 4)
                out += hexDigit(c >> s);
        } else {
            cp1252::appendUtf8(out, c);
        }
    }
    return out + "\"";
}

std::string Base64(const std::string& data) {
    static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    size_t k = 0;
    for (; k + 2 < data.size(); k += 3) {
        const uint32_t v = static_cast<unsigned char>(data[k]) << 16 |
                           static_cast<unsigned char>(data[k + 1]) << 8 |
                           static_cast<unsigned char>(data[k + 2]);
        for (int s = 18; s >= 0; s -= 6)
            out += table[(v >> s) & 63];
    }
    if (k < data.size()) {
        uint32_t v = static_cast<unsigned char>(data[k]) << 16;
        if (k + 1 < data.size())
            v |= static_cast<unsigned char>(data[k + 1]) << 8;
        out += table[(v >> 18) & 63];
        out += table[(v >> 12) & 63];
        out += k + 1 < data.size() ? table[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string PageName(ArticleNumber n) {
    return n == 1 ? std::string("index.html") : "article-" + std::to_string(n) + ".html";
}

std::string ColourCss(const rtf::RichDocument& doc, int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= doc.colors.size())
        return std::string();
    const rtf::Color& c = doc.colors[index];
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.red, c.green, c.blue);
    return buffer;
}

// bodySize: the document's most used size, shown as the page's own size.
std::string CharStyle(const rtf::RichDocument& doc, const rtf::CharFormat& f, int32_t bodySize) {
    std::string style;
    if (f.bold)
        style += "font-weight:bold;";
    if (f.italic)
        style += "font-style:italic;";
    if (f.underline != rtf::UnderlineStyle::None || f.strike) {
        style += "text-decoration:";
        style += f.strike ? "line-through" : "underline";
        if (f.underline == rtf::UnderlineStyle::Dotted)
            style += " dotted";
        else if (f.underline == rtf::UnderlineStyle::Double)
            style += " double";
        style += ";";
    }
    const std::string fg = ColourCss(doc, f.foreground);
    if (!fg.empty())
        style += "color:" + fg + ";";
    const std::string bg = ColourCss(doc, f.background);
    if (!bg.empty())
        style += "background:" + bg + ";";
    if (f.sizeHalfPoints != bodySize && f.sizeHalfPoints > 0 && bodySize > 0)
        style +=
            "font-size:" + std::to_string(std::clamp(f.sizeHalfPoints * 100 / bodySize, 60, 300)) +
            "%;";
    if (f.vertical == rtf::VerticalAlign::Superscript)
        style += "vertical-align:super;font-size:75%;";
    else if (f.vertical == rtf::VerticalAlign::Subscript)
        style += "vertical-align:sub;font-size:75%;";
    return style;
}

std::string BorderCss(bool top, bool right, bool bottom, bool left) {
    std::string style;
    if (top)
        style += "border-top:1px solid #000;";
    if (right)
        style += "border-right:1px solid #000;";
    if (bottom)
        style += "border-bottom:1px solid #000;";
    if (left)
        style += "border-left:1px solid #000;";
    return style;
}

std::string ParaStyle(const rtf::RichDocument& doc, const rtf::ParaFormat& p) {
    std::string style = BorderCss(p.borders & rtf::kBorderTop, p.borders & rtf::kBorderRight,
                                  p.borders & rtf::kBorderBottom, p.borders & rtf::kBorderLeft);
    if (p.borders)
        style += "padding:.2em .4em;";
    const std::string shading = ColourCss(doc, p.shading);
    if (!shading.empty())
        style += "background:" + shading + ";";
    static const char* align[] = {"left", "center", "right", "justify"};
    if (p.alignment != rtf::Alignment::Left)
        style += std::string("text-align:") + align[static_cast<int>(p.alignment)] + ";";
    auto em = [](int32_t twips) {
        return std::to_string(std::clamp(twips, -20000, 20000) / 24 / 10.0).substr(0, 5) + "em";
    };
    if (p.leftIndentTwips > 0)
        style += "margin-left:" + em(p.leftIndentTwips) + ";";
    if (p.firstIndentTwips != 0)
        style += "text-indent:" + em(p.firstIndentTwips) + ";";
    if (p.spaceBeforeTwips > 0)
        style += "margin-top:" + em(p.spaceBeforeTwips) + ";";
    if (p.spaceAfterTwips > 0)
        style += "margin-bottom:" + em(p.spaceAfterTwips) + ";";
    return style;
}

struct Site {
    const ArticleIndex* index = nullptr;
    std::unordered_map<ArticleNumber, std::string> titles;
    bool isPopup(ArticleNumber n) const {
        const auto it = titles.find(n);
        return it != titles.end() && IsPopupTitle(it->second);
    }
    bool exists(ArticleNumber n) const { return titles.count(n) != 0; }
};

// The attributes of the cell `cell` of row `row`: its span over the cells it
// covers, its shading and the sides it declares.
std::string CellAttributes(const rtf::RichDocument& doc, size_t row, size_t cell) {
    const std::vector<rtf::TableCell>& cells = doc.rows[row].cells;
    if (cell >= cells.size())
        return std::string();
    const rtf::TableCell& c = cells[cell];
    std::string out;
    size_t span = 1;
    while (cell + span < cells.size() && cells[cell + span].horizontal == rtf::CellMerge::Merged)
        ++span;
    if (span > 1)
        out += " colspan=\"" + std::to_string(span) + "\"";
    if (c.vertical == rtf::CellMerge::First) {
        size_t down = 1;
        while (row + down < doc.rows.size() && cell < doc.rows[row + down].cells.size() &&
               doc.rows[row + down].cells[cell].vertical == rtf::CellMerge::Merged)
            ++down;
        if (down > 1)
            out += " rowspan=\"" + std::to_string(down) + "\"";
    }
    std::string style = BorderCss(c.borderTop, c.borderRight, c.borderBottom, c.borderLeft);
    const std::string shading = ColourCss(doc, c.shading);
    if (!shading.empty())
        style += "background:" + shading + ";";
    if (!style.empty())
        out += " style=\"" + style + "\"";
    return out;
}

// A cell that another one covers writes nothing.
bool Covered(const rtf::RichDocument& doc, int32_t row, int32_t cell) {
    if (row < 0 || static_cast<size_t>(row) >= doc.rows.size() || cell < 0 ||
        static_cast<size_t>(cell) >= doc.rows[row].cells.size())
        return false;
    const rtf::TableCell& c = doc.rows[row].cells[cell];
    return c.horizontal == rtf::CellMerge::Merged || c.vertical == rtf::CellMerge::Merged;
}

std::string NoteMark(const rtf::Note& note, size_t k) {
    return note.mark.empty() ? std::to_string(k + 1) : Html(note.mark);
}

// The HTML of an article body with its links; the popup articles it links
// to are added to notes. Without a site, every link goes to its article's page.
std::string BodyHtml(const Site* site, const rtf::RichDocument& doc,
                     const std::vector<LinkRecord>& links, std::vector<ArticleNumber>& notes) {
    // The link each position belongs to: the first record that holds it.
    // Each position is given once: a skip list jumps over the positions an
    // earlier link already took, so overlapping ranges cost no more than the text.
    const size_t length = doc.text.size();
    std::vector<int32_t> owner(length, -1);
    std::vector<size_t> nextFree(length + 1);
    for (size_t p = 0; p <= length; ++p)
        nextFree[p] = p;
    auto find = [&](size_t p) {
        while (nextFree[p] != p) {
            nextFree[p] = nextFree[nextFree[p]];
            p = nextFree[p];
        }
        return p;
    };
    for (size_t k = 0; k < links.size(); ++k) {
        const LinkRecord& l = links[k];
        if (l.last < 0 || l.first > l.last || length == 0)
            continue;
        const size_t first = static_cast<size_t>(std::max<int32_t>(0, l.first));
        const size_t last = std::min<size_t>(length - 1, static_cast<size_t>(l.last));
        for (size_t p = find(std::min(first, length)); p <= last; p = find(p)) {
            owner[p] = static_cast<int32_t>(k);
            nextFree[p] = p + 1;
        }
    }
    auto openLink = [&](int32_t k) {
        const ArticleNumber target = links[k].target;
        if (site && !site->exists(target))
            return std::string("<span class=\"broken\" title=\"article absent\">");
        if (site && site->isPopup(target)) {
            if (std::find(notes.begin(), notes.end(), target) == notes.end())
                notes.push_back(target);
            const std::string id = "note-" + std::to_string(target);
            return "<a class=\"pop\" href=\"#" + id + "\" data-note=\"" + id + "\">";
        }
        return "<a href=\"" + PageName(target) + "\">";
    };
    auto closeLink = [&](int32_t k) {
        return !site || site->exists(links[k].target) ? std::string("</a>")
                                                      : std::string("</span>");
    };

    std::map<int32_t, size_t> sizes;
    for (const rtf::Paragraph& para : doc.paragraphs)
        for (const rtf::Segment& seg : para.segments)
            sizes[seg.format.sizeHalfPoints] += seg.end - seg.begin;
    int32_t bodySize = 24;
    size_t most = 0;
    for (const auto& [size, count] : sizes)
        if (count > most) {
            most = count;
            bodySize = size;
        }

    std::string out;
    int32_t row = -1, cell = -1;
    bool inTable = false;
    size_t nextNote = 0;
    // The marks of the notes that stand before position p.
    auto noteMarks = [&](uint32_t p) {
        for (; nextNote < doc.notes.size() && doc.notes[nextNote].position <= p; ++nextNote)
            out += "<sup class=\"fn\"><a href=\"#fn-" + std::to_string(nextNote + 1) + "\">" +
                   NoteMark(doc.notes[nextNote], nextNote) + "</a></sup>";
    };
    for (const rtf::Paragraph& para : doc.paragraphs) {
        // The mark that ends a row is not a cell of its own.
        if (para.tableRow >= 0 && para.mark == rtf::MarkKind::Row && para.begin == para.end)
            continue;
        const bool inRow =
            para.tableRow >= 0 && static_cast<size_t>(para.tableRow) < doc.rows.size();
        if (inRow) {
            if (!inTable) {
                out += "<div class=\"table\"><table>";
                inTable = true;
                row = -1;
            }
            const bool newRow = para.tableRow != row;
            if (newRow || para.cell != cell) {
                if (row >= 0 && !Covered(doc, row, cell))
                    out += "</td>";
                if (newRow)
                    out += row >= 0 ? "</tr><tr>" : "<tr>";
                row = para.tableRow;
                cell = para.cell;
                if (!Covered(doc, row, cell))
                    out += "<td" + CellAttributes(doc, row, std::max(cell, 0)) + ">";
            }
            if (Covered(doc, row, cell))
                continue;
        } else if (inTable) {
            out += Covered(doc, row, cell) ? "</tr></table></div>" : "</td></tr></table></div>";
            inTable = false;
        }
        const std::string style = ParaStyle(doc, para.format);
        out += para.tableRow >= 0 ? "<p" : "<p";
        if (para.mark == rtf::MarkKind::Line)
            out += " class=\"line\"";
        if (!style.empty())
            out += " style=\"" + style + "\"";
        out += ">";
        bool empty = true;
        for (const rtf::Segment& seg : para.segments) {
            if (seg.end <= seg.begin)
                continue;
            empty = false;
            uint32_t p = seg.begin;
            while (p < seg.end && p < doc.text.size()) {
                noteMarks(p);
                const uint32_t stop = nextNote < doc.notes.size()
                                          ? std::min(seg.end, doc.notes[nextNote].position)
                                          : seg.end;
                const int32_t link = owner[p];
                uint32_t q = p;
                while (q < stop && q < doc.text.size() && owner[q] == link)
                    ++q;
                if (link >= 0)
                    out += openLink(link);
                const std::string cs = CharStyle(doc, seg.format, bodySize);
                if (!cs.empty())
                    out += "<span style=\"" + cs + "\">";
                if (seg.picture >= 0 && static_cast<size_t>(seg.picture) < doc.pictures.size()) {
                    const rtf::Picture& pic = doc.pictures[seg.picture];
                    const char* mime = pic.kind == rtf::Picture::Kind::Png    ? "image/png"
                                       : pic.kind == rtf::Picture::Kind::Jpeg ? "image/jpeg"
                                       : pic.kind == rtf::Picture::Kind::Bmp  ? "image/bmp"
                                                                              : nullptr;
                    if (mime && !pic.data.empty()) {
                        out += "<img alt=\"\" src=\"data:" + std::string(mime) + ";base64," +
                               Base64(pic.data) + "\"";
                        if (pic.widthTwips > 0)
                            out += " width=\"" + std::to_string(pic.widthTwips / 15) + "\"";
                        out += ">";
                    } else {
                        out += "<span class=\"picture-missing\">[image]</span>";
                    }
                } else {
                    out += Html(std::u16string_view(doc.text).substr(p, q - p));
                }
                if (!cs.empty())
                    out += "</span>";
                if (link >= 0)
                    out += closeLink(link);
                p = q;
            }
        }
        // A note at the paragraph's mark stands at its end; one past the
        // text, at the end of the last paragraph.
        const size_t before = out.size();
        noteMarks(&para == &doc.paragraphs.back() ? UINT32_MAX : para.end);
        if (empty && out.size() == before)
            out += "&#8203;";
        out += "</p>\n";
    }
    if (inTable)
        out += Covered(doc, row, cell) ? "</tr></table></div>" : "</td></tr></table></div>";
    if (nextNote < doc.notes.size()) {
        out += "<p>";
        noteMarks(UINT32_MAX);
        out += "</p>\n";
    }
    if (!doc.notes.empty()) {
        out += "<div class=\"footnotes\">";
        for (size_t k = 0; k < doc.notes.size(); ++k) {
            const rtf::Note& note = doc.notes[k];
            std::u16string_view text = note.text;
            out += "<p id=\"fn-" + std::to_string(k + 1) + "\">";
            // A note usually begins with its own copy of the mark.
            if (note.mark.empty() || text.substr(0, note.mark.size()) != note.mark)
                out += "<sup>" + NoteMark(note, k) + "</sup> ";
            for (size_t at; (at = text.find(u'\n')) != std::u16string_view::npos;) {
                out += Html(text.substr(0, at)) + "<br>";
                text.remove_prefix(at + 1);
            }
            out += Html(text) + "</p>";
        }
        out += "</div>\n";
    }
    return out;
}

// The outline as the viewer builds it, as nested lists.
std::string OutlineHtml(const Site& site, const std::string& ficPath) {
    OutlineModel outline;
    outline.LoadOutline(ficPath);
    std::string out = "<ul class=\"tree\">";
    // Iterative walk: an outline may nest deeper than the stack allows. The
    // stack holds, per open list, the next node to write in it.
    std::vector<OutlineModel::NodeId> stack{outline.firstTopLevel()};
    while (!stack.empty()) {
        const OutlineModel::NodeId node = stack.back();
        if (node == OutlineModel::kNoNode) {
            stack.pop_back();
            if (!stack.empty())
                out += "</ul></details></li>";
            continue;
        }
        stack.back() = outline.nextSibling(node);
        const ArticleNumber article = outline.ArticleOfNode(node);
        std::string label = HtmlOf(std::string(outline.title(node)));
        if (article != 0 && site.exists(article) && !site.isPopup(article))
            label = "<a href=\"" + PageName(article) + "\">" + label + "</a>";
        const OutlineModel::NodeId child = outline.firstChild(node);
        if (child == OutlineModel::kNoNode) {
            out +=
                "<li class=\"" + std::string(article ? "page" : "book") + "\">" + label + "</li>";
        } else {
            out += "<li class=\"book\"><details><summary>" + label + "</summary><ul>";
            stack.push_back(child);
        }
    }
    return out + "</ul>";
}

const char* const kCss = R"(*{box-sizing:border-box}
html{-webkit-text-size-adjust:100%}
body{margin:0;font:16px/1.55 system-ui,-apple-system,"Segoe UI",Roboto,"DejaVu Sans",sans-serif;color:#1d2430;background:#fbfcfd}
header{display:flex;flex-wrap:wrap;gap:.5rem 1rem;align-items:center;padding:.6rem 1rem;background:#0b4f7c;color:#fff}
header a{color:#fff;text-decoration:none;font-weight:600}
header form{margin-left:auto;display:flex;gap:.3rem}
input[type=search]{font:inherit;padding:.3rem .5rem;border:0;border-radius:4px;min-width:10rem}
button{font:inherit;padding:.3rem .7rem;border:0;border-radius:4px;background:#e3eef6;color:#0b4f7c}
.layout{display:flex;flex-direction:column;max-width:72rem;margin:0 auto}
nav{padding:.5rem 1rem;border-bottom:1px solid #dde3ea;font-size:.95rem}
nav>details>summary{font-weight:600;cursor:pointer}
main{padding:1rem 1.2rem 3rem;max-width:46rem;width:100%}
main h1{font-size:1.5rem;line-height:1.25;margin:.3rem 0 1rem}
main p{margin:.45rem 0}
main p.line{margin:0}
a{color:#0a6b2e}
a.pop{text-decoration:underline dotted;color:inherit;cursor:help}
.broken{color:#999;text-decoration:line-through}
.tab{display:inline-block;width:2em}
img{max-width:100%;height:auto;vertical-align:middle}
.table{overflow-x:auto}
table{border-collapse:collapse;margin:.6rem 0}
td{padding:.25rem .6rem;vertical-align:top}
td p{margin:0}
.footnotes{margin-top:1.2rem;border-top:1px solid #dde3ea;font-size:.92rem}
.tree,.tree ul{list-style:none;margin:0;padding-left:1rem}
.tree{padding-left:0}
.tree li{margin:.15rem 0}
.tree summary{cursor:pointer}
.tree a[aria-current]{font-weight:700;color:#0b4f7c}
.note{display:none;position:fixed;left:1rem;right:1rem;bottom:1rem;max-width:34rem;margin:0 auto;padding:.8rem 1rem;background:#fffdf2;border:1px solid #d8c98a;border-radius:8px;box-shadow:0 6px 24px rgba(0,0,0,.2);max-height:60vh;overflow:auto;z-index:10}
.note.open,.note:target{display:block}
.note-title{font-weight:700;margin-top:0}
#resultats li{margin:.6rem 0}
#resultats small{display:block;color:#556}
@media (min-width:60rem){.layout{flex-direction:row}nav{flex:0 0 19rem;border-bottom:0;border-right:1px solid #dde3ea;min-height:100vh}}
)";

const char* const kJs = R"((function(){
function closeNotes(except){document.querySelectorAll('.note.open').forEach(function(n){if(n!==except)n.classList.remove('open');});}
document.addEventListener('click',function(e){
  var a=e.target.closest?e.target.closest('a.pop'):null;
  if(a){e.preventDefault();var n=document.getElementById(a.getAttribute('data-note'));closeNotes(n);if(n)n.classList.toggle('open');return;}
  if(!e.target.closest||!e.target.closest('.note'))closeNotes(null);
});
document.addEventListener('keydown',function(e){if(e.key==='Escape')closeNotes(null);});
var cur=document.querySelector('nav a[aria-current]');
var top=document.querySelector('nav>details');
if(top&&window.matchMedia('(min-width:60rem)').matches)top.open=true;
if(cur){var d=cur.closest('details');while(d&&d!==top){d.open=true;d=d.parentElement.closest('details');}}
var box=document.getElementById('q-page');
if(box&&window.TOLVANE_INDEX){
  var fold=function(s){return s.normalize('NFD').replace(/[\u0300-\u036f]/g,'').toLowerCase();};
  var list=document.getElementById('resultats'),count=document.getElementById('compte');
  var run=function(){
    var words=fold(box.value).split(/\s+/).filter(Boolean);list.innerHTML='';
    if(!words.length){count.textContent='';return;}
    var found=window.TOLVANE_INDEX.filter(function(a){var t=fold(a.t+' '+a.x);return words.every(function(w){return t.indexOf(w)>=0;});});
    count.textContent=found.length+' article(s) trouv\u00e9(s)';
    found.forEach(function(a){var li=document.createElement('li'),l=document.createElement('a');l.href=a.p;l.textContent=a.t;li.appendChild(l);
      var i=fold(a.x).indexOf(words[0]),s=document.createElement('small');s.textContent=i<0?a.x.slice(0,160):(i>60?'\u2026':'')+a.x.slice(Math.max(0,i-60),i+100)+'\u2026';li.appendChild(s);list.appendChild(li);});
  };
  var q=new URLSearchParams(location.search).get('q');if(q)box.value=q;
  box.addEventListener('input',run);run();
}
})();
)";

constexpr const char* kKeywordPage = "mots-cles.html";

// The outline with, when there are keywords, an entry for their page.
std::string WithKeywordEntry(std::string tree, const KeywordIndex& keywords) {
    if (!keywords.empty())
        tree.insert(tree.size() - 5, std::string("<li class=\"page\"><a href=\"") + kKeywordPage +
                                         "\">Index</a></li>");
    return tree;
}

// The keywords in French order: a keyword of one article links to its page;
// a keyword of several lists their titles. Popups and absent articles have
// no page and are left out.
std::string KeywordsHtml(const Site& site, const KeywordIndex& keywords) {
    std::string out = "<h1>Index</h1>\n<ul class=\"keywords\">";
    for (const KeywordEntry& e : keywords.entries()) {
        std::vector<ArticleNumber> pages;
        for (const ArticleNumber n : e.articles)
            if (site.exists(n) && !site.isPopup(n))
                pages.push_back(n);
        if (pages.empty())
            continue;
        if (pages.size() == 1) {
            out += "<li><a href=\"" + PageName(pages[0]) + "\">" + HtmlOf(e.keyword) + "</a></li>";
            continue;
        }
        out += "<li>" + HtmlOf(e.keyword) + "<ul>";
        for (const ArticleNumber n : pages)
            out += "<li><a href=\"" + PageName(n) + "\">" + HtmlOf(site.titles.at(n)) + "</a></li>";
        out += "</ul></li>";
    }
    return out + "</ul>\n";
}

std::string Page(const std::string& siteTitle, const std::string& title, const std::string& nav,
                 const std::string& main, const std::string& extraHead = {}) {
    return "<!DOCTYPE html>\n<html lang=\"fr\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
           "<title>" +
           title + " - " + siteTitle + "</title><link rel=\"stylesheet\" href=\"tolvane.css\">" +
           extraHead + "</head><body><header><a href=\"index.html\">" + siteTitle +
           "</a><form action=\"recherche.html\" role=\"search\"><input type=\"search\" name=\"q\" "
           "aria-label=\"Rechercher\" "
           "placeholder=\"Rechercher\"><button>OK</button></form></header>"
           "<div class=\"layout\"><nav><details><summary>Sommaire</summary>" +
           nav + "</details></nav><main>" + main +
           "</main></div><script src=\"tolvane.js\"></script></body></html>\n";
}

} // namespace

std::string DocumentHtml(const rtf::RichDocument& doc, const std::string& title,
                         const std::vector<LinkRecord>& links) {
    std::vector<ArticleNumber> notes;
    return "<!DOCTYPE html>\n<html lang=\"fr\"><head><meta charset=\"utf-8\"><title>" +
           HtmlOf(title) + "</title><style>" + kCss + "</style></head><body><main>" +
           BodyHtml(nullptr, doc, links, notes) + "</main></body></html>\n";
}

bool HtmlExporter::exportSite(const DataSourcePaths& paths, const std::string& folder,
                              const std::string& siteTitle) {
    InputFile probe;
    if (!probe.open(paths.pgh) || !probe.isOpen()) {
        m_messages.error(paths.pgh, 0, "source de données illisible");
        return false;
    }
    probe.close();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        m_messages.error(folder, 0, "dossier impossible à créer : " + ec.message());
        return false;
    }
    ArticleIndex index;
    ArticleStore store(paths, index);
    store.LoadIndex();
    Site site;
    site.index = &index;
    std::vector<ArticleNumber> numbers;
    for (const auto& [n, entry] : index) {
        site.titles[n] = store.ReadArticleTitle(n);
        numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    const std::string siteHtml = HtmlOf(siteTitle);
    KeywordIndex keywords;
    KeywordIndex::read(paths.pgk, keywords);
    const std::string tree = WithKeywordEntry(OutlineHtml(site, paths.fic), keywords);

    auto write = [&](const std::string& name, const std::string& bytes) {
        std::string error;
        if (AtomicFile::write(folder + "/" + name, bytes, &error))
            return true;
        m_messages.error(folder + "/" + name, 0, "écriture impossible : " + error);
        return false;
    };
    std::string searchIndex = "window.TOLVANE_INDEX=[\n";
    m_pages = 0;
    for (ArticleNumber n : numbers) {
        if (site.isPopup(n))
            continue;
        ArticleRecord record;
        store.ReadArticle(n, record);
        std::vector<LinkRecord> links;
        store.ReadLinks(n, links);
        const rtf::RichDocument doc = rtf::RtfReader::read(record.body);
        std::vector<ArticleNumber> notes;
        // Help topics usually begin with their title: it then serves as the heading.
        const bool titled = !doc.paragraphs.empty() &&
                            doc.text.substr(doc.paragraphs[0].begin,
                                            doc.paragraphs[0].end - doc.paragraphs[0].begin) ==
                                cp1252::toUtf16(record.title);
        std::string main = (titled ? std::string() : "<h1>" + HtmlOf(record.title) + "</h1>\n") +
                           BodyHtml(&site, doc, links, notes);
        // Popups reached from popups are notes of the same page.
        for (size_t k = 0; k < notes.size() && k < 200; ++k) {
            ArticleRecord note;
            store.ReadArticle(notes[k], note);
            std::vector<LinkRecord> noteLinks;
            store.ReadLinks(notes[k], noteLinks);
            std::string title =
                note.title.rfind("#POPUP:", 0) == 0 ? note.title.substr(7) : note.title;
            main +=
                "<aside class=\"note\" role=\"note\" id=\"note-" + std::to_string(notes[k]) + "\">";
            if (!title.empty())
                main += "<p class=\"note-title\">" + HtmlOf(title) + "</p>";
            main +=
                BodyHtml(&site, rtf::RtfReader::read(note.body), noteLinks, notes) + "</aside>\n";
        }
        std::string nav = tree;
        const std::string here = "<a href=\"" + PageName(n) + "\">";
        const size_t at = nav.find(here);
        if (at != std::string::npos)
            nav.insert(at + here.size() - 1, " aria-current=\"page\"");
        if (!write(PageName(n), Page(siteHtml, HtmlOf(record.title), nav, main)))
            return false;
        ++m_pages;
        std::u16string text = doc.text;
        std::replace_if(
            text.begin(), text.end(), [](char16_t c) { return c < 0x20 || c == 0xFFFC; }, u' ');
        searchIndex += "{\"p\":\"" + PageName(n) +
                       "\",\"t\":" + Json(cp1252::toUtf16(record.title)) + ",\"x\":" + Json(text) +
                       "},\n";
    }
    searchIndex += "];\n";
    const std::string searchMain =
        "<h1>Rechercher</h1><p><input id=\"q-page\" type=\"search\" aria-label=\"Rechercher\" "
        "placeholder=\"Mots à chercher\" autofocus></p><p id=\"compte\"></p>"
        "<ol id=\"resultats\"></ol>";
    if (!keywords.empty() &&
        !write(kKeywordPage, Page(siteHtml, "Index", tree, KeywordsHtml(site, keywords))))
        return false;
    return write("recherche.html", Page(siteHtml, "Rechercher", tree, searchMain,
                                        "<script src=\"index-recherche.js\"></script>")) &&
           write("index-recherche.js", searchIndex) && write("tolvane.css", kCss) &&
           write("tolvane.js", kJs);
}

} // namespace tolvane::authoring
