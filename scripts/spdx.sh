#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the licence identifier line at the top of every source file that
# lacks one; with --check, lists those files and fails instead.
#
#   scripts/spdx.sh [--check] [-C FOLDER]
#
# Source files are the git tree's files (tracked or new, not ignored) that
# are code: C++ (`//` line), CMake, shell, Python and make files (`#` line)
# under the code folders, plus every CMakeLists.txt and Makefile and any
# script with a shebang there. Data, the guide's RTF, documentation, icons,
# golden files and what the build generates are not. The line goes first,
# after a shebang and a Python coding line, which must stay where they are.
# Running it twice changes nothing the second time.
set -euo pipefail

readonly tag='SPDX-License-Identifier:'
readonly licence='GPL-3.0-or-later'
readonly code_folders='src tools tests bench fuzz scripts packaging .ci'

check=no
root=$(dirname "$0")/..
while (($#)); do
    case $1 in
        --check) check=yes ;;
        -C) root=${2:?-C needs a folder}; shift ;;
        *) echo "usage: $0 [--check] [-C FOLDER]" >&2; exit 2 ;;
    esac
    shift
done
cd "$root"

# The comment that starts the identifier line of a file, or nothing when
# the file is not source.
comment_of() {
    local path=$1 name=${1##*/} top=${1%%/*}
    case $name in
        CMakeLists.txt | Makefile | *.mk | *.cmake) echo '#'; return ;;
    esac
    [[ $path == */* && " $code_folders " == *" $top "* ]] || return 0
    case $name in
        *.cpp | *.cc | *.c | *.h | *.hpp | *.h.in | *.cpp.in) echo '//' ;;
        *.sh | *.py | *.bash) echo '#' ;;
        *.*) ;;
        *) [[ $(head -c 2 "$path") == '#!' ]] && echo '#' ;;
    esac
    return 0
}

# True when the identifier is already among the file's opening lines.
has_line() { head -n 3 "$1" | grep -q "$tag"; }

# How many opening lines must stay above the identifier.
kept_lines() {
    local first second
    first=$(sed -n 1p "$1")
    second=$(sed -n 2p "$1")
    if [[ $first == '#!'* ]]; then
        [[ $second =~ ^#.*coding[:=] ]] && echo 2 || echo 1
    elif [[ $first =~ ^#.*coding[:=] ]]; then
        echo 1
    else
        echo 0
    fi
}

add_line() {
    local path=$1 comment=$2 keep tmp
    keep=$(kept_lines "$path")
    tmp=$(mktemp "$path.spdx.XXXXXX")
    {
        head -n "$keep" "$path"
        printf '%s %s %s\n' "$comment" "$tag" "$licence"
        tail -n +"$((keep + 1))" "$path"
    } >"$tmp"
    chmod --reference="$path" "$tmp"
    mv "$tmp" "$path"
}

missing=0
while IFS= read -r -d '' path; do
    [[ -f $path && ! -L $path ]] || continue
    comment=$(comment_of "$path")
    [[ -n $comment ]] || continue
    has_line "$path" && continue
    if [[ $check == yes ]]; then
        echo "$path: no $tag line (scripts/spdx.sh adds it)"
        missing=$((missing + 1))
    else
        add_line "$path" "$comment"
        echo "$path"
    fi
done < <(git ls-files -z -co --exclude-standard)

if [[ $check == yes && $missing -gt 0 ]]; then
    echo "spdx: $missing source file(s) without a licence line" >&2
    exit 1
fi
exit 0
