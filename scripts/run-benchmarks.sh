#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark program of a bench build, one after the other, from
# inside the build folder (the sample data source lies there).
set -euo pipefail
build=${1:-build-bench}
for bench in "$build"/bench/*_bench; do
    [[ -x "$bench" ]] || continue
    name=$(basename "$bench")
    echo "== $name"
    (cd "$build" && "./bench/$name" --benchmark_counters_tabular=true)
done
