#!/usr/bin/env bash
# Runs every benchmark program of a bench build, one after the other.
set -euo pipefail
build=${1:-build-bench}
for bench in "$build"/bench/*_bench; do
    echo "== $(basename "$bench")"
    (cd "$build" && "$bench" --benchmark_counters_tabular=true)
done
