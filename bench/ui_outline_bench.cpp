// SPDX-License-Identifier: GPL-3.0-or-later
// Loading an outline of 100,000 nodes into the outline tree control, from the
// .FIC file. Target: under 3 times the anchor, measured in the same run:
// inserting the same titles and images, already in memory as text and tree
// links, into the same widget with no file reading. Two anchors: plain
// QTreeWidgetItems (setText, setIcon), and the outline's own item class.
#include "OutlineBenchData.h"
#include "ui/base/QtText.h"
#include "ui/panes/OutlineItem.h"
#include "ui/panes/OutlineTree.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

using namespace tolvane;

constexpr int kRecords = 100000;

const bench::OutlineFile& outlineFile() {
    static const bench::OutlineFile file(kRecords);
    return file;
}

// The outline as an anchor receives it: titles, images and parents.
struct Prepared {
    std::vector<QString> titles;
    std::vector<int> images;
    std::vector<int> parents;
};

const Prepared& prepared() {
    static const Prepared p = [] {
        Prepared out;
        OutlineModel model;
        model.LoadOutline(outlineFile().path());
        for (size_t k = 0; k < model.size(); ++k) {
            const auto n = static_cast<OutlineModel::NodeId>(k);
            out.titles.push_back(fromCp1252(model.title(n)));
            out.images.push_back(model.image(n));
            out.parents.push_back(model.parent(n));
        }
        return out;
    }();
    return p;
}

void setRate(benchmark::State& state) {
    state.counters["nodes_per_s"] =
        benchmark::Counter(static_cast<double>(kRecords) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_LoadOutlineIntoTree(benchmark::State& state) {
    const std::string& path = outlineFile().path();
    if (path.empty()) {
        state.SkipWithError("the outline could not be written");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<OutlineTree>();
        state.ResumeTiming();
        tree->LoadOutline(path);
        state.PauseTiming();
        if (tree->model().size() != static_cast<size_t>(kRecords))
            state.SkipWithError("wrong number of nodes");
        tree.reset();
        state.ResumeTiming();
    }
    setRate(state);
}
BENCHMARK(BM_LoadOutlineIntoTree)->Unit(benchmark::kMillisecond);

// Inserts the prepared nodes, each created by make, in one insertion.
template <typename Make> void insertPrepared(OutlineTree& tree, const Prepared& p, Make make) {
    std::vector<QTreeWidgetItem*> items(p.titles.size());
    QList<QTreeWidgetItem*> topLevel;
    for (size_t k = 0; k < items.size(); ++k) {
        items[k] = make(k);
        if (p.parents[k] < 0)
            topLevel.append(items[k]);
        else
            items[static_cast<size_t>(p.parents[k])]->addChild(items[k]);
    }
    tree.addTopLevelItems(topLevel);
}

void BM_AnchorInsertPlainItems(benchmark::State& state) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<OutlineTree>();
        const OutlineImageList& images = tree->images();
        state.ResumeTiming();
        insertPrepared(*tree, p, [&](size_t k) {
            auto* item = new QTreeWidgetItem;
            item->setText(0, p.titles[k]);
            item->setIcon(0, images.icon(p.images[k]));
            return item;
        });
        state.PauseTiming();
        tree->clear();
        tree.reset();
        state.ResumeTiming();
    }
    setRate(state);
}
BENCHMARK(BM_AnchorInsertPlainItems)->Unit(benchmark::kMillisecond);

void BM_AnchorInsertOutlineItems(benchmark::State& state) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<OutlineTree>();
        const OutlineImageList& images = tree->images();
        state.ResumeTiming();
        insertPrepared(*tree, p, [&](size_t k) {
            return new OutlineItem(p.titles[k], static_cast<OutlineModel::NodeId>(k), p.images[k],
                                   images);
        });
        state.PauseTiming();
        tree->clear();
        tree.reset();
        state.ResumeTiming();
    }
    setRate(state);
}
BENCHMARK(BM_AnchorInsertOutlineItems)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
