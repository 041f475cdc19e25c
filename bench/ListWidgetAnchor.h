// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The anchor of the list windows' benchmarks: QListWidget's own fill and
// sort (plain code-unit order) of titles, captioned and painted at the list
// windows' size. Each benchmark states its figures as a ratio to it.
#include "ui/panes/CListWindow.h"

#include <QListWidget>

#include <benchmark/benchmark.h>

inline void RunListWidgetAnchor(benchmark::State& state, const QStringList& titles) {
    QListWidget list;
    list.resize(tolvane::CListWindow::kWidth, tolvane::CListWindow::kHeight);
    list.show();
    for (auto _ : state) {
        list.clear();
        list.addItems(titles);
        list.sortItems();
        list.setWindowTitle(QStringLiteral("Recherche sur x (%1 sujets)").arg(list.count()));
        list.repaint();
    }
    state.counters["rows"] = list.count();
}
