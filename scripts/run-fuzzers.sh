#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time each, with a seed
# corpus made by the target's own --seed mode when it has one.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
status=0
for fuzzer in "$build"/fuzzers/*_fuzzer; do
    name=$(basename "$fuzzer")
    corpus="$build/corpus/$name"
    mkdir -p "$corpus" "$build/crashes/$name"
    # Targets that make their own seeds write them when asked through
    # TOLVANE_FUZZ_SEED_DIR; the others run no input and leave it empty.
    if [[ -z "$(ls -A "$corpus")" ]]; then
        TOLVANE_FUZZ_SEED_DIR="$corpus" "$fuzzer" -runs=0 >/dev/null 2>&1 || true
    fi
    echo "== $name: ${seconds}s"
    if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$name/" "$corpus" 2>"$build/$name.log"; then
        echo "!! $name found a fault; see $build/$name.log and $build/crashes/$name/"
        status=1
    fi
    grep -E '^stat::(number_of_executed_units|new_units_added)|cov:' "$build/$name.log" | tail -3 || true
done
exit $status
