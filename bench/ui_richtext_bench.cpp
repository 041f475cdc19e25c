// SPDX-License-Identifier: GPL-3.0-or-later
// The rich-text widget against Qt's own ways of showing the same article:
// building the QTextDocument (against setHtml), the first screen painted
// (against a QTextBrowser), a short article shown, and find (against
// QTextDocument::find). Pairs are meant to be read side by side.
#include "OffscreenBenchmarkMain.h"
#include "core/rtf/RtfReader.h"
#include "ui/view/RichTextBuilder.h"
#include "ui/view/RichTextEdit.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>
#include <map>
#include <string>

using namespace tolvane;

namespace {

const char* const kWords[] = {"le",
                              "document",
                              "est",
                              "une",
                              "aide",
                              "pour",
                              "l'utilisateur",
                              "qui",
                              "consulte",
                              "les",
                              "articles",
                              "de",
                              "r\\'e9f\\'e9rence",
                              "avec",
                              "des",
                              "liens",
                              "vers",
                              "d'autres",
                              "pages",
                              "\\'e0",
                              "propos",
                              "du",
                              "syst\\'e8me",
                              "et",
                              "de",
                              "ses",
                              "fen\\'eatres",
                              "o\\'f9",
                              "chaque",
                              "commande",
                              "appara\\'eet",
                              "dans",
                              "le",
                              "menu",
                              "principal",
                              "ainsi",
                              "que",
                              "sur",
                              "la",
                              "barre",
                              "d'outils",
                              "fran\\'e7aise"};

// An article of realistic French help paragraphs, with bold, italic and
// underlined runs, of about `characters` displayed characters.
std::string generateRtf(size_t characters, bool marker) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}"
                      "{\\f1\\froman Times New Roman;}}{\\colortbl;\\red0\\green0\\blue255;}"
                      "\\pard\\sa120\\f0\\fs20 ";
    size_t shown = 0;
    size_t word = 0;
    int paragraph = 0;
    while (shown < characters) {
        const int length = 60 + (paragraph * 37) % 90;
        for (int w = 0; w < length; ++w, ++word) {
            const char* text = kWords[(word * 7 + size_t(paragraph)) % std::size(kWords)];
            switch (word % 23) {
            case 3:
                rtf += "{\\b ";
                break;
            case 9:
                rtf += "{\\i ";
                break;
            case 15:
                rtf += "{\\ul\\cf1 ";
                break;
            default:
                break;
            }
            rtf += text;
            if (word % 23 == 4 || word % 23 == 10 || word % 23 == 17) {
                rtf += "}";
            }
            rtf += " ";
            shown += std::strlen(text) -
                     3 * size_t(std::count(text, text + std::strlen(text), '\\')) + 1;
        }
        if (marker && shown + 2000 > characters && shown < characters) {
            rtf += "z\\'e9phyrin ";
            marker = false;
        }
        rtf += "\\par\n";
        shown += 2;
        ++paragraph;
    }
    rtf += "}";
    return rtf;
}

QString escaped(const std::u16string& text, uint32_t begin, uint32_t end) {
    return QString(reinterpret_cast<const QChar*>(text.data() + begin), int(end - begin))
        .toHtmlEscaped();
}

// The same text and formatting as HTML, for QTextDocument::setHtml.
QString toHtml(const rtf::RichDocument& document) {
    QString html;
    html.reserve(int(document.text.size() * 3));
    html += QStringLiteral("<html><body>");
    for (const rtf::Paragraph& paragraph : document.paragraphs) {
        html += QStringLiteral("<p style=\"margin-top:0px; margin-bottom:%1px\">")
                    .arg(paragraph.format.spaceAfterTwips / 15);
        for (const rtf::Segment& segment : paragraph.segments) {
            const rtf::CharFormat& f = segment.format;
            QString style =
                QStringLiteral("font-family:'%1'; font-size:%2pt;")
                    .arg(f.font == 1 ? QStringLiteral("Times New Roman") : QStringLiteral("Arial"))
                    .arg(f.sizeHalfPoints / 2.0);
            if (f.bold) {
                style += QStringLiteral(" font-weight:bold;");
            }
            if (f.italic) {
                style += QStringLiteral(" font-style:italic;");
            }
            if (f.underline != rtf::UnderlineStyle::None) {
                style += QStringLiteral(" text-decoration:underline;");
            }
            if (f.foreground >= 0 && size_t(f.foreground) < document.colors.size()) {
                const rtf::Color& c = document.colors[size_t(f.foreground)];
                style += QStringLiteral(" color:%1;").arg(QColor(c.red, c.green, c.blue).name());
            }
            html += QStringLiteral("<span style=\"") + style + QStringLiteral("\">") +
                    escaped(document.text, segment.begin, segment.end) + QStringLiteral("</span>");
        }
        html += QStringLiteral("</p>\n");
    }
    html += QStringLiteral("</body></html>");
    return html;
}

struct Article {
    rtf::RichDocument document;
    QString html;
    std::string rtf;
};

const Article& article(size_t characters) {
    static std::map<size_t, Article> articles;
    auto found = articles.find(characters);
    if (found == articles.end()) {
        Article a;
        a.rtf = generateRtf(characters, true);
        a.document = rtf::RtfReader::read(a.rtf);
        a.html = toHtml(a.document);
        found = articles.emplace(characters, std::move(a)).first;
    }
    return found->second;
}

constexpr size_t kLarge = 1000000;
constexpr size_t kSmall = 10000;
const QSize kWindow(900, 700);

void BM_BuildDocument_Builder(benchmark::State& state) {
    const Article& a = article(size_t(state.range(0)));
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    for (auto _ : state) {
        PositionMap map;
        RichTextBuilder builder(dpi);
        auto document = builder.build(a.document, map);
        benchmark::DoNotOptimize(document->characterCount());
    }
    state.counters["chars"] = double(a.document.length());
}

void BM_BuildDocument_SetHtml(benchmark::State& state) {
    const Article& a = article(size_t(state.range(0)));
    for (auto _ : state) {
        QTextDocument document;
        document.setUndoRedoEnabled(false);
        document.setHtml(a.html);
        benchmark::DoNotOptimize(document.characterCount());
    }
}

// Paints the widget as the screen would show it.
void paint(QWidget& widget) {
    const QPixmap screen = widget.grab();
    benchmark::DoNotOptimize(screen.width());
}

// A widget made at each iteration, filled by show(widget, article) and
// painted: the first screen of an article.
template <typename Widget, typename Show> void firstScreen(benchmark::State& state, Show show) {
    const Article& a = article(size_t(state.range(0)));
    for (auto _ : state) {
        Widget widget;
        widget.resize(kWindow);
        show(widget, a);
        paint(widget);
    }
}

// One widget for the whole run; showing an article is filling it and a paint.
template <typename Widget, typename Show> void showInExisting(benchmark::State& state, Show show) {
    const Article& a = article(size_t(state.range(0)));
    Widget widget;
    widget.resize(kWindow);
    for (auto _ : state) {
        show(widget, a);
        paint(widget);
    }
}

void loadRtf(RichTextEdit& edit, const Article& a) {
    edit.loadRtf(a.rtf);
}

void setHtml(QTextBrowser& browser, const Article& a) {
    browser.setHtml(a.html);
}

void BM_FirstScreen_RichTextEdit(benchmark::State& state) {
    const Article& a = article(size_t(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        rtf::RichDocument copy = a.document;
        state.ResumeTiming();
        RichTextEdit edit;
        edit.resize(kWindow);
        edit.loadDocument(std::move(copy));
        paint(edit);
    }
}

void BM_FirstScreen_RichTextEditFromRtf(benchmark::State& state) {
    firstScreen<RichTextEdit>(state, loadRtf);
}

void BM_Show_ExistingRichTextEdit(benchmark::State& state) {
    showInExisting<RichTextEdit>(state, loadRtf);
}

void BM_Show_ExistingTextBrowser(benchmark::State& state) {
    showInExisting<QTextBrowser>(state, setHtml);
}

void BM_FirstScreen_TextBrowser(benchmark::State& state) {
    firstScreen<QTextBrowser>(state, setHtml);
}

void BM_Find_FindInRange(benchmark::State& state) {
    const Article& a = article(size_t(state.range(0)));
    RichTextEdit edit;
    edit.loadDocument(a.document);
    const std::u16string needle = u"z\u00E9phyrin";
    int found = -1;
    for (auto _ : state) {
        found = edit.findInRange(needle, false, true, 0, -1);
        benchmark::DoNotOptimize(found);
    }
    if (found < int(a.document.length()) / 2) {
        state.SkipWithError("the word was not found near the end");
    }
}

void BM_Find_QTextDocumentFind(benchmark::State& state) {
    const Article& a = article(size_t(state.range(0)));
    RichTextEdit edit;
    edit.loadDocument(a.document);
    const QString needle = QStringLiteral("z\u00E9phyrin");
    int found = -1;
    for (auto _ : state) {
        found = edit.document()->find(needle, 0, QTextDocument::FindWholeWords).position();
        benchmark::DoNotOptimize(found);
    }
    if (found < 0) {
        state.SkipWithError("the word was not found");
    }
}

} // namespace

BENCHMARK(BM_BuildDocument_Builder)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildDocument_SetHtml)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstScreen_RichTextEdit)->Arg(kLarge)->Arg(kSmall)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstScreen_RichTextEditFromRtf)
    ->Arg(kLarge)
    ->Arg(kSmall)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstScreen_TextBrowser)->Arg(kLarge)->Arg(kSmall)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Show_ExistingRichTextEdit)->Arg(kSmall)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Show_ExistingTextBrowser)->Arg(kSmall)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find_FindInRange)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Find_QTextDocumentFind)->Arg(kLarge)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return tolvane::bench::RunOffscreenBenchmarks(argc, argv);
}
