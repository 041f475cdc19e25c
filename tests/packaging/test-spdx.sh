#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs scripts/spdx.sh on a small git tree of every kind of file it must
# mark or leave alone, then again to see that a second run changes nothing,
# and checks what --check says before and after.
# Usage: test-spdx.sh SOURCE_DIR
set -euo pipefail
script=$1/scripts/spdx.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/common.sh"
command -v git >/dev/null || skip "git is missing"

spdx_cpp='// SPDX-License-Identifier: GPL-3.0-or-later'
spdx_sh='# SPDX-License-Identifier: GPL-3.0-or-later'
# path | content before (\n escapes) | content after; "=" for unchanged
cases=(
    "src/core/A.cpp|#include \"A.h\"\n|$spdx_cpp\n#include \"A.h\"\n"
    "src/core/A.h|#pragma once\n|$spdx_cpp\n#pragma once\n"
    "tools/x/Version.h.in|#define V \"@V@\"\n|$spdx_cpp\n#define V \"@V@\"\n"
    "CMakeLists.txt|project(X)\n|$spdx_sh\nproject(X)\n"
    "samples/CMakeLists.txt|add_custom_target(s)\n|$spdx_sh\nadd_custom_target(s)\n"
    "Makefile|all:\n|$spdx_sh\nall:\n"
    "scripts/run.sh|#!/bin/sh\necho hi\n|#!/bin/sh\n$spdx_sh\necho hi\n"
    "tests/app/client.py|#!/usr/bin/env python3\n# -*- coding: utf-8 -*-\nx = 1\n|#!/usr/bin/env python3\n# -*- coding: utf-8 -*-\n$spdx_sh\nx = 1\n"
    ".ci/run|#!/usr/bin/env bash\nmake test\n|#!/usr/bin/env bash\n$spdx_sh\nmake test\n"
    "packaging/changelog.cmake|set(A 1)\n|$spdx_sh\nset(A 1)\n"
    "tests/core/Done.cpp|$spdx_cpp\nint x;\n|="
    "tests/core/golden/case.txt|text\n|="
    "samples/guide/GUIDE.rtf|{\\\\rtf1 }\n|="
    "packaging/tolvane.desktop|[Desktop Entry]\n|="
    "packaging/man/tolvane.1|.TH X 1\n|="
    "docs/notes.md|# Notes\n|="
    "README.md|# X\n|="
    "src/resources/icons/a.svg|<svg/>\n|="
    "build/generated.cpp|int y;\n|="
)
cd "$work"
git init -q .
echo '/build/' >.gitignore
for c in "${cases[@]}"; do
    IFS='|' read -r path before _ <<<"$c"
    mkdir -p "$(dirname "$path")"
    printf "$before" >"$path"
done
chmod 755 scripts/run.sh
git add -A

out=$("$script" --check -C "$work" 2>/dev/null) && fail "--check passed on unmarked files"
grep -q '^src/core/A.cpp: ' <<<"$out" || fail "--check does not name src/core/A.cpp: $out"
grep -q 'README.md\|golden\|build/' <<<"$out" && fail "--check names a file that is not source: $out"

"$script" -C "$work" >/dev/null || fail "first run"
for c in "${cases[@]}"; do
    IFS='|' read -r path before after <<<"$c"
    [[ $after == = ]] && after=$before
    expected=$(printf "$after"; echo .)
    actual=$(cat "$path"; echo .)
    [[ $actual == "$expected" ]] || fail "$path: got '$actual', wanted '$expected'"
done
[[ -x scripts/run.sh ]] || fail "the script lost its execute bit"

second=$("$script" -C "$work") || fail "second run"
[[ -z $second ]] || fail "a second run changed: $second"
"$script" --check -C "$work" >/dev/null || fail "--check fails after the run"

# A new file, not yet added to git, counts as soon as it exists.
mkdir -p fuzz
printf 'int z;\n' >fuzz/new_fuzzer.cpp
out=$("$script" --check -C "$work" 2>/dev/null) && fail "--check missed an untracked file"
grep -q '^fuzz/new_fuzzer.cpp: ' <<<"$out" || fail "--check: $out"
echo "licence lines added where due, once"
