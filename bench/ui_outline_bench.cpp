// SPDX-License-Identifier: GPL-3.0-or-later
// Loading an outline of 100,000 nodes into the outline tree control, from the
// .FIC file. Target: under 3 times the anchor, measured in the same run:
// inserting the same titles and images, already in memory as text and tree
// links, into the same widget with no file reading. Two anchors: plain
// QTreeWidgetItems (setText, setIcon), and the outline's own item class.
#include "OffscreenBenchmarkMain.h"
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
        model.LoadOutline(bench::SharedOutlinePath());
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

void BM_LoadOutlineIntoTree(benchmark::State& state) {
    const std::string path = bench::OutlinePath(state);
    if (path.empty())
        return;
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<OutlineTree>();
        state.ResumeTiming();
        tree->LoadOutline(path);
        state.PauseTiming();
        if (tree->model().size() != static_cast<size_t>(bench::kOutlineRecords))
            state.SkipWithError("wrong number of nodes");
        tree.reset();
        state.ResumeTiming();
    }
    bench::SetRecordRate(state, "nodes_per_s");
}
BENCHMARK(BM_LoadOutlineIntoTree)->Unit(benchmark::kMillisecond);

// Times inserting the prepared nodes into a new tree in one insertion, each
// node made by make(k, images); making and clearing the tree are not timed.
template <typename Make> void timeInsertion(benchmark::State& state, Make make) {
    const Prepared& p = prepared();
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<OutlineTree>();
        const OutlineImageList& images = tree->images();
        state.ResumeTiming();
        std::vector<QTreeWidgetItem*> items(p.titles.size());
        QList<QTreeWidgetItem*> topLevel;
        for (size_t k = 0; k < items.size(); ++k) {
            items[k] = make(k, images);
            if (p.parents[k] < 0)
                topLevel.append(items[k]);
            else
                items[static_cast<size_t>(p.parents[k])]->addChild(items[k]);
        }
        tree->addTopLevelItems(topLevel);
        state.PauseTiming();
        tree->clear();
        tree.reset();
        state.ResumeTiming();
    }
    bench::SetRecordRate(state, "nodes_per_s");
}

void BM_AnchorInsertPlainItems(benchmark::State& state) {
    const Prepared& p = prepared();
    timeInsertion(state, [&p](size_t k, const OutlineImageList& images) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, p.titles[k]);
        item->setIcon(0, images.icon(p.images[k]));
        return item;
    });
}
BENCHMARK(BM_AnchorInsertPlainItems)->Unit(benchmark::kMillisecond);

void BM_AnchorInsertOutlineItems(benchmark::State& state) {
    const Prepared& p = prepared();
    timeInsertion(state, [&p](size_t k, const OutlineImageList& images) {
        return new OutlineItem(p.titles[k], static_cast<OutlineModel::NodeId>(k), p.images[k],
                               images);
    });
}
BENCHMARK(BM_AnchorInsertOutlineItems)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return tolvane::bench::RunOffscreenBenchmarks(argc, argv);
}
