// SPDX-License-Identifier: GPL-3.0-or-later
// What follows the search engine before the results window is on screen:
// 1000 matches sorted into the list in French order, the caption counted,
// and the list painted; against the anchor of QListWidget's own fill and
// sort (plain code-unit order) of the same titles, painted the same way.
// Both must stay far below the 100 ms within which the window repaints.
#include "ListWidgetAnchor.h"
#include "OffscreenBenchmarkMain.h"
#include "app/CTolvaneApp.h"
#include "core/common/Cp1252.h"
#include "core/search/SearchEngine.h"
#include "ui/base/AppServices.h"
#include "ui/panes/CListWindow.h"

#include <QApplication>
#include <QListWidget>

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

using namespace tolvane;

namespace {

constexpr int kMatches = 1000;

// Titles are Windows-1252, as the data source holds them.
const std::vector<std::string> kWords = [] {
    std::vector<std::string> words;
    for (const char* w : {"Port", "école", "Abricot", "zèbre", "Zoo", "manuel", "Index", "réseau",
                          "Données", "ligne", "État", "fenêtre", "aide", "Sujet"})
        words.push_back(cp1252::fromUtf8(w));
    return words;
}();

std::vector<SearchMatch> matches() {
    std::vector<SearchMatch> out;
    const size_t words = kWords.size();
    for (int i = 0; i < kMatches; ++i) {
        const size_t a = size_t(i * 7919) % words;
        const size_t b = size_t(i * 104729 + 3) % words;
        out.push_back({i + 1, kWords[a] + " " + kWords[b] + " " + std::to_string(i)});
    }
    return out;
}

void BM_ResultsWindowFill(benchmark::State& state) {
    AppServices services;
    CTolvaneApp app(services);
    CListWindow window(app, nullptr);
    window.CreateList(LISTMODE_RESULTS);
    window.SetQuery("x", false, false);
    window.ShowList();
    const std::vector<SearchMatch> found = matches();
    for (auto _ : state) {
        window.ClearRows();
        window.addRows(found);
        window.repaint();
    }
    state.counters["rows"] = window.RowCount();
}

void BM_Anchor_QListWidgetSortItems(benchmark::State& state) {
    QStringList titles;
    for (const SearchMatch& m : matches())
        titles << QString::fromLatin1(m.title.data(), qsizetype(m.title.size()));
    RunListWidgetAnchor(state, titles);
}

} // namespace

BENCHMARK(BM_ResultsWindowFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Anchor_QListWidgetSortItems)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return tolvane::bench::RunOffscreenBenchmarks(argc, argv);
}
