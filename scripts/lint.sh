#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the layers' include direction, the formatting of every C++ file and
# the licence line at the top of every source file.
#
# The folders under src/ are layers, lowest first. A file of src/ may include
# the headers of its own layer and of the layers below it, never above; the
# core (src/core, the tool, the fuzzers and the core tests) includes no Qt and
# no window header at all. Prints one line per fault and exits 1 when there is
# one.
set -euo pipefail
cd "$(dirname "$0")/.."

layers="core/common core/geometry core/articles core/rtf core/outline core/stores core/search
        core/startup core/authoring ui/base ui/view ui/panes app"

faults=0
mapfile -t files < <(git ls-files -co --exclude-standard 'src/*.h' 'src/*.cpp' 'tools/*.h' \
    'tools/*.cpp' 'fuzz/*.h' 'fuzz/*.cpp' 'tests/core/*.h' 'tests/core/*.cpp')
if ! awk -v layers="$layers" '
    function layer_of(path,    i) {
        sub(/^(src|tests)\//, "", path)
        for (i = 1; i <= n; i++)
            if (index(path, names[i] "/") == 1)
                return i
        return 0
    }
    BEGIN { n = split(layers, names, /[ \n]+/); bad = 0 }
    FNR == 1 {
        # Tests may use any layer below the window layer; the sources only
        # their own and those below.
        own = FILENAME ~ /^src\// ? layer_of(FILENAME) : 0
        core = FILENAME ~ /^(src\/core|tests\/core|tools|fuzz)\//
    }
    /^[ \t]*#[ \t]*include/ {
        header = $0
        sub(/^[^<"]*[<"]/, "", header)
        sub(/[>"].*$/, "", header)
        if (core && header ~ /^(Q|ui\/|app\/)/) {
            printf "%s:%d: the core includes %s\n", FILENAME, FNR, header; bad++; next
        }
        target = layer_of(header)
        if (own && target > own) {
            printf "%s:%d: %s includes %s, from the higher layer %s\n", FILENAME, FNR,
                names[own], header, names[target]
            bad++
        }
    }
    END { exit bad > 0 }' "${files[@]}"; then
    faults=$((faults + 1))
fi

# Formatting: every C++ file as .clang-format lays it out.
mapfile -t sources < <(git ls-files -co --exclude-standard '*.h' '*.cpp')
if ! clang-format --dry-run --Werror "${sources[@]}" 2>/tmp/tolvane-format.$$; then
    grep -E '^[^ ].*(warning|error):' /tmp/tolvane-format.$$ | sed -E 's/:[0-9]+:[0-9]+: (warning|error):.*/: not formatted (make format)/' | sort -u
    faults=$((faults + 1))
fi
rm -f /tmp/tolvane-format.$$

# Licence: the SPDX line on every source file (scripts/spdx.sh adds it).
if ! ./scripts/spdx.sh --check; then
    faults=$((faults + 1))
fi

if (( faults > 0 )); then
    echo "lint: failed" >&2
    exit 1
fi
echo "lint: layers, formatting and licence lines clean"
