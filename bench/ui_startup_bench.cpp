// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and link-following times of the viewer against plain Qt anchors,
// measured in the same run on the offscreen platform.
//
//   StartupToFirstArticle: from process start to the first article painted,
//     on a generated data source of 20,000 articles with a 5,000-node
//     outline. The viewer (tolvane-harness, the shipped viewer with the
//     test controls) runs with TOLVANE_EXIT_AFTER_FIRST_ARTICLE=1 (it
//     quits once its first article is painted); the anchor is this program
//     started with --minimal: a QMainWindow with a QTextEdit showing the
//     same article's text. Counters: viewer_ms, minimal_ms, ratio. The
//     viewer's configuration folder holds no reading place.
//   StartupToFirstArticleWithPlace: the same with a reading place kept for
//     the data source (window, panes, text size and an article to resume),
//     which the start reads and applies.
//   FollowLinkTo100KB: showing an article of 100 KB of text until painted,
//     against a QTextBrowser given the same text as HTML. Counters:
//     viewer_ms, browser_ms, ratio.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "core/articles/ArticleStore.h"
#include "core/articles/DataSourceWriter.h"
#include "core/articles/OutlineRecord.h"
#include "core/rtf/RtfReader.h"
#include "core/startup/ReadingState.h"
#include "ui/base/AppServices.h"
#include "ui/view/CTolvaneView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace tolvane;

namespace {

std::string g_dir;      // the bench's temporary folder
std::string g_bigBase;  // 20,000 articles
std::string g_linkBase; // the 100 KB article
QString g_textFile;     // article 1's text, for the anchor program
QString g_self;         // this program

std::string toolDir() {
    return std::filesystem::path(TOLVANE_TOOL_PATH).parent_path().string();
}

void writeOutline(const std::string& fic, int nodes, int articles) {
    std::string bytes;
    for (int i = 0; i < nodes; ++i) {
        OutlineRecord r;
        r.nodeKey = std::to_string(i + 1);
        const bool folder = i % 50 == 0;
        r.title = (folder ? "Chapitre " : "Rubrique ") + std::to_string(i + 1);
        r.referenceKey =
            folder ? (i == 0 ? "0" : std::to_string(i - 49)) : std::to_string(i - i % 50 + 1);
        r.placement = folder && i != 0 ? OutlineRecord::kPlacementBeside : 0;
        r.article = folder ? 0 : 1 + (i * 7) % articles;
        bytes += r.encode();
    }
    bytes += OutlineRecord{}.encode();
    std::ofstream(fic, std::ios::binary) << bytes;
}

bool prepare() {
    char pattern[] = "/tmp/tolvane-bench-XXXXXX";
    if (!::mkdtemp(pattern))
        return false;
    g_dir = pattern;
    g_bigBase = g_dir + "/GRANDE";
    QProcess tool;
    tool.start(QString::fromStdString(TOLVANE_TOOL_PATH),
               {QStringLiteral("generate"), QString::fromStdString(g_bigBase),
                QStringLiteral("--articles"), QStringLiteral("20000")});
    if (!tool.waitForFinished(300000) || tool.exitCode() != 0)
        return false;
    writeOutline(g_bigBase + ".FIC", 5000, 20000);

    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(g_bigBase), index);
    store.LoadIndex();
    ArticleRecord first;
    store.ReadArticle(1, first);
    const std::u16string text = rtf::RtfReader::displayedText(first.body);
    g_textFile = QString::fromStdString(g_dir + "/article1.txt");
    QFile out(g_textFile);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(QString::fromStdU16String(text).toUtf8());
    out.close();

    // Article 1 links to article 2, which holds 100 KB of text.
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\fs20 ";
    int paragraph = 0;
    while (rtf.size() < 100 * 1024) {
        rtf += "{\\b Paragraphe " + std::to_string(++paragraph) + ".} ";
        rtf += "Le texte de ce paragraphe d\\'e9crit une fonction du logiciel, ses r\\'e9glages "
               "et la mani\\'e8re de l'employer dans le travail de tous les jours.\\par ";
    }
    rtf += "}";
    DataSourceWriter w;
    w.addArticle(1, "Depart",
                 "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 Vers le long article.\\par}",
                 {{0, 3, 2, 0}});
    w.addArticle(2, "Long", rtf);
    g_linkBase = g_dir + "/LIEN";
    return w.write(g_linkBase);
}

double runMs(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    p.waitForFinished(120000);
    return double(timer.nsecsElapsed()) / 1e6;
}

// The viewer's start on the big data source with configFolder as its
// XDG_CONFIG_HOME, against the anchor.
void startupRuns(benchmark::State& state, const std::string& configFolder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(configFolder));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TOLVANE_EXIT_AFTER_FIRST_ARTICLE"), QStringLiteral("1"));
    const QString viewer = QString::fromStdString(toolDir() + "/tolvane-harness");
    const QStringList viewerArgs{QStringLiteral("/D:") + QString::fromStdString(g_bigBase)};
    double viewerMs = 0, minimalMs = 0;
    for (auto _ : state) {
        const double v = runMs(viewer, viewerArgs, env);
        const double m = runMs(g_self, {QStringLiteral("--minimal"), g_textFile}, env);
        viewerMs += v;
        minimalMs += m;
        state.SetIterationTime((v + m) / 1000.0);
    }
    state.counters["viewer_ms"] = benchmark::Counter(viewerMs, benchmark::Counter::kAvgIterations);
    state.counters["minimal_ms"] =
        benchmark::Counter(minimalMs, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = minimalMs > 0 ? viewerMs / minimalMs : 0;
}

void StartupToFirstArticle(benchmark::State& state) {
    startupRuns(state, g_dir + "/config-empty");
}
BENCHMARK(StartupToFirstArticle)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void StartupToFirstArticleWithPlace(benchmark::State& state) {
    const std::string config = g_dir + "/config";
    ReadingState place;
    place.base = AbsoluteBase(g_bigBase);
    place.article = 12345;
    place.topPosition = 200;
    place.hasWindow = true;
    place.x = 20, place.y = 30, place.width = 1000, place.height = 720;
    place.outline = {true, true, 3000};
    place.notes = {true, true, 80};
    place.zoomPercent = 100;
    const std::string file = config + "/tolvane/" + ReadingStateFileName(place.base);
    if (!WriteReadingState(config + "/tolvane", file, place)) {
        state.SkipWithError("the reading place could not be written");
        return;
    }
    startupRuns(state, config);
    if (!ReadReadingState(file, place.base))
        state.SkipWithError("the reading place is no longer readable");
}
BENCHMARK(StartupToFirstArticleWithPlace)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

void FollowLinkTo100KB(benchmark::State& state) {
    AppServices services;
    CTolvaneApp app(services);
    if (!app.InitInstance({"/D:" + g_linkBase}, "/nonexistent/tolvane")) {
        state.SkipWithError("viewer did not start");
        return;
    }
    while (!app.mainFrame()->initialLoadDone())
        QCoreApplication::processEvents();
    CTolvaneView* view = app.mainFrame()->view();
    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(g_linkBase), index);
    store.LoadIndex();
    ArticleRecord record;
    store.ReadArticle(2, record);
    QString html = QStringLiteral("<html><body>");
    for (const QString& paragraph :
         QString::fromStdU16String(rtf::RtfReader::displayedText(record.body))
             .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const int dot = paragraph.indexOf(QLatin1Char('.'));
        html += QStringLiteral("<p><b>") + paragraph.left(dot + 1).toHtmlEscaped() +
                QStringLiteral("</b>") + paragraph.mid(dot + 1).toHtmlEscaped() +
                QStringLiteral("</p>");
    }
    html += QStringLiteral("</body></html>");
    QTextBrowser browser;
    browser.resize(view->size());
    browser.show();

    double viewerMs = 0, browserMs = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        view->ShowArticle(2, 0);
        view->viewport()->repaint();
        const double v = double(timer.nsecsElapsed()) / 1e6;
        timer.start();
        browser.setHtml(html);
        browser.viewport()->repaint();
        const double b = double(timer.nsecsElapsed()) / 1e6;
        viewerMs += v;
        browserMs += b;
        state.SetIterationTime((v + b) / 1000.0);
        state.PauseTiming();
        view->ShowArticle(1, 0);
        browser.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["viewer_ms"] = benchmark::Counter(viewerMs, benchmark::Counter::kAvgIterations);
    state.counters["browser_ms"] =
        benchmark::Counter(browserMs, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = browserMs > 0 ? viewerMs / browserMs : 0;
    app.mainFrame()->hide();
    app.ExitInstance();
}
BENCHMARK(FollowLinkTo100KB)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// The anchor of the start-up measurement: the least a Qt Widgets program
// does to show the article's text.
int runMinimal(int argc, char** argv) {
    QApplication app(argc, argv);
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    QMainWindow window;
    auto* edit = new QTextEdit(&window);
    edit->setPlainText(QString::fromUtf8(file.readAll()));
    window.setCentralWidget(edit);
    window.resize(1000, 720);
    window.show();
    QTimer::singleShot(0, &app, [&] {
        edit->viewport()->repaint();
        QCoreApplication::exit(0);
    });
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--minimal")
        return runMinimal(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    g_self = QCoreApplication::applicationFilePath();
    if (!prepare()) {
        std::fprintf(stderr, "could not prepare the data sources\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(g_dir, ec);
    return 0;
}
