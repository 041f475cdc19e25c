#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build tree under a temporary prefix and checks what lands
# there: the programs, the guide the installed viewer finds on its own, the
# desktop entry and its AppStream metadata, the file type, the icons, the
# manual pages, the copyright file and the changelog, each of them carrying
# the project's version where it names one.
# Usage: test-install.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/common.sh"

prefix=$work/usr
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log"
    fail "cmake --install"
}
ui=$(grep -q '^TOLVANE_UI:BOOL=ON' "$build/CMakeCache.txt" && echo yes || echo no)

app_id=org.tolvane.viewer
desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
expected=(bin/tolvane-tool share/tolvane/GUIDE.PGD share/tolvane/GUIDE.PGH share/tolvane/GUIDE.PGL
    share/tolvane/GUIDE.FIC share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml
    share/mime/packages/tolvane.xml share/icons/hicolor/scalable/apps/tolvane.svg
    share/man/man1/tolvane.1.gz share/man/man1/tolvane-tool.1.gz share/man/fr/man1/tolvane.1.gz
    share/man/fr/man1/tolvane-tool.1.gz share/doc/tolvane/copyright share/doc/tolvane/changelog.gz)
sizes=(16 22 24 32 48 64 128 256)
if [[ $ui == yes ]]; then
    expected+=(bin/tolvane)
    for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/tolvane.png"); done
fi
for f in "${expected[@]}"; do
    [[ -s $prefix/$f ]] || fail "not installed: $f"
done

# Each PNG is square and of the size its folder names (IHDR width and height).
if [[ $ui == yes ]]; then
    for s in "${sizes[@]}"; do
        png=$prefix/share/icons/hicolor/${s}x${s}/apps/tolvane.png
        magic=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
        [[ $magic == 89504e470d0a1a0a ]] || fail "$png is no PNG"
        read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
        [[ $w == "$s" && $h == "$s" ]] || fail "$png is ${w}x${h}, not ${s}x${s}"
    done
fi

# The desktop entry, its metainfo and the file type as the desktop's own
# tools read them. The metainfo is checked with the tree it describes (the
# desktop entry it launches, the icon), with no warning allowed.
if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
    [[ -z $out ]] || fail "desktop-file-validate: $out"
else
    echo "note: desktop-file-validate absent (Debian package desktop-file-utils), entry not validated"
fi
grep -qx 'Exec=tolvane-tool open %f' "$desktop" || fail "Exec line"
grep -qx 'MimeType=application/x-tolvane-help;' "$desktop" || fail "MimeType line"
if command -v appstreamcli >/dev/null; then
    for check in "validate --no-net --pedantic $metainfo" "validate-tree --no-net --pedantic $prefix"; do
        out=$(appstreamcli $check 2>&1) || fail "appstreamcli $check: $out"
        grep -E '^(E|W):' <<<"$out" && fail "appstreamcli $check: $out"
    done
else
    echo "note: appstreamcli absent (Debian package appstream), metainfo not validated"
fi
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's id is not $app_id"

# One version everywhere: the tool, the manual pages, the metainfo's
# release and the changelog's latest entry.
out=$("$prefix/bin/tolvane-tool" --version) || fail "tolvane-tool --version"
[[ $(head -n 1 <<<"$out") == "tolvane-tool (Tolvane) $version" ]] || fail "--version: $out"
grep -q 'GPL-3.0-or-later' <<<"$out" || fail "--version names no licence: $out"
for page in man1/tolvane man1/tolvane-tool fr/man1/tolvane fr/man1/tolvane-tool; do
    text=$(zcat "$prefix/share/man/$page.1.gz")
    grep -q "^\.TH .* \"Tolvane $version\"" <<<"$text" || fail "$page: not version $version"
done
grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"" "$metainfo" ||
    fail "the metainfo's release is not $version"
text=$(zcat "$prefix/share/doc/tolvane/changelog.gz")
[[ ${text%%$'\n'*} == "tolvane ($version) "* ]] ||
    fail "the changelog does not start with $version"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' \
    "$prefix/share/doc/tolvane/copyright" || fail "the copyright file is not machine-readable"
if command -v update-mime-database >/dev/null; then
    update-mime-database "$prefix/share/mime" >"$work/mime.log" 2>&1 || {
        cat "$work/mime.log"
        fail "update-mime-database"
    }
    for glob in '*.pgd' '*.PGD'; do
        grep -qF "application/x-tolvane-help:$glob" "$prefix/share/mime/globs2" ||
            fail "no glob $glob in the mime database"
    done
fi

# Manual pages: no groff warning, and a NAME line for whatis.
for page in man1/tolvane man1/tolvane-tool fr/man1/tolvane fr/man1/tolvane-tool; do
    gz=$prefix/share/man/$page.1.gz
    warnings=$(zcat "$gz" | groff -k -wall -man -z 2>&1)
    [[ -z $warnings ]] || fail "$page: $warnings"
    if command -v lexgrog >/dev/null; then
        lexgrog "$gz" | grep -q ' - ' || fail "$page: no NAME line"
    fi
done

# The installed viewer, started without arguments, finds the installed
# guide and keeps its notes in the user's folder.
export XDG_DATA_HOME=$work/data
out=$("$prefix/bin/tolvane-tool" startup --exe "$prefix/bin/tolvane") || fail "startup: $out"
grep -qx "data_source=$prefix/share/tolvane/GUIDE" <<<"$out" || fail "startup: $out"
grep -qx "user_base=$work/data/tolvane/GUIDE" <<<"$out" || fail "startup: $out"
grep -qx "missing=no" <<<"$out" || fail "startup: $out"
[[ -d $work/data/tolvane ]] || fail "the user's folder was not made"
out=$("$prefix/bin/tolvane-tool" index "$prefix/share/tolvane/GUIDE") || fail "index: $out"
grep -q '^articles: [1-9]' <<<"$out" || fail "index: $out"
# The installed viewer itself: once it has shown the installed guide it
# listens for a second start, and a second start with /F closes it; a
# missing data source would leave its message box open instead, and the
# wait below would run out.
if [[ $ui == yes ]]; then
    mkdir -m 700 "$work/run"
    export XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=offscreen
    export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
    timeout 60 "$prefix/bin/tolvane" >"$work/viewer.log" 2>&1 &
    viewer=$!
    for _ in $(seq 600); do
        [[ -n $(find "$work/run" -type s 2>/dev/null) ]] && break
        kill -0 "$viewer" 2>/dev/null || break
        sleep 0.1
    done
    [[ -n $(find "$work/run" -type s 2>/dev/null) ]] || {
        kill "$viewer" 2>/dev/null || true
        cat "$work/viewer.log"
        fail "the installed viewer did not show the installed guide"
    }
    timeout 60 "$prefix/bin/tolvane" /F >>"$work/viewer.log" 2>&1 || true
    wait "$viewer" || { cat "$work/viewer.log"; fail "the installed viewer did not close on /F"; }
fi
echo "installed tree complete"
