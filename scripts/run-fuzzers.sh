#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target of a fuzz build for a bounded time each, from a seed
# corpus written by the build's make_fuzz_seeds (generated data sources, the
# bundled guide, annotation and bookmark files...). FUZZ_JOBS targets run at
# once (default 2), each for the full time.
#   run-fuzzers.sh [BUILD] [SECONDS_PER_TARGET]
set -uo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
jobs=${FUZZ_JOBS:-2}
here=$(cd "$(dirname "$0")/.." && pwd)

if [ -x "$build/make_fuzz_seeds" ]; then
    "$build/make_fuzz_seeds" "$build/corpus" "$build/GUIDE" "$here/samples/guide" || exit 1
fi

run_one() {
    local fuzzer=$1 name corpus
    name=$(basename "$fuzzer")
    corpus="$build/corpus/$name"
    mkdir -p "$corpus" "$build/crashes/$name"
    # Targets that make their own seeds write them when asked through
    # TOLVANE_FUZZ_SEED_DIR; the others run no input and leave it empty.
    if [[ -z "$(ls -A "$corpus")" ]]; then
        TOLVANE_FUZZ_SEED_DIR="$corpus" "$fuzzer" -runs=0 >/dev/null 2>&1 || true
    fi
    # -timeout turns an input that hangs the reader into a fault of its own.
    if "$fuzzer" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$name/" "$corpus" >"$build/$name.out" 2>"$build/$name.log"; then
        echo ok >"$build/$name.status"
    else
        echo fault >"$build/$name.status"
    fi
}

fuzzers=("$build"/fuzzers/*_fuzzer)
echo "== ${#fuzzers[@]} targets, ${seconds}s each, $jobs at once"
running=0
for fuzzer in "${fuzzers[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n
        running=$((running - 1))
    fi
    echo "-- $(basename "$fuzzer") started $(date -u +%H:%M:%S)"
    run_one "$fuzzer" &
    running=$((running + 1))
done
wait

status=0
for fuzzer in "${fuzzers[@]}"; do
    name=$(basename "$fuzzer")
    seeds=$(ls "$build/corpus/$name" 2>/dev/null | grep -c '^seed-' || true)
    done_line=$(grep -E 'DONE|INITED' "$build/$name.log" | tail -1)
    runs=$(grep -E '^stat::number_of_executed_units' "$build/$name.log" | awk '{print $2}')
    printf '%-28s seeds %-4s runs %-10s %s\n' "$name" "$seeds" "${runs:-?}" \
        "$(echo "$done_line" | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]*')"
    if [ "$(cat "$build/$name.status" 2>/dev/null)" != ok ]; then
        echo "!! $name found a fault; see $build/$name.log and $build/crashes/$name/"
        status=1
    fi
done
exit $status
