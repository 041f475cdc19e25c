// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main() of the window benchmarks: Qt on its offscreen platform (unless
// another is asked for), then the benchmarks named on the command line.
#include "BenchMain.h"

#include <QApplication>

namespace tolvane::bench {

inline int RunOffscreenBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return RunBenchmarks(argc, argv);
}

} // namespace tolvane::bench
