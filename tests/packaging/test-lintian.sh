#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package and has Debian's own checker read it: any
# lintian error or warning fails (the overrides the package ships say why
# each tag they hide is wrong for it; informational tags are shown). Checks
# too that the package carries the project's version and the maintainer the
# build was given, and holds the documents Debian asks for. Skipped when
# lintian or dpkg-dev is missing.
# Usage: test-lintian.sh BUILD_DIR VERSION MAINTAINER
set -euo pipefail
build=$1
version=$2
maintainer=$3
. "$(dirname "$0")/common.sh"
for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
    command -v "$tool" >/dev/null || skip "$tool is missing (Debian packages lintian and dpkg-dev)"
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build_deb "$build" "$work"

[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version $(dpkg-deb -f "$deb" Version)"
[[ $(dpkg-deb -f "$deb" Maintainer) == "$maintainer" ]] || fail "maintainer $(dpkg-deb -f "$deb" Maintainer)"
contents=$(dpkg-deb -c "$deb")
for f in usr/share/doc/tolvane/copyright usr/share/doc/tolvane/changelog.gz \
    usr/share/metainfo/org.tolvane.viewer.metainfo.xml usr/share/applications/org.tolvane.viewer.desktop; do
    grep -q "^-rw-r--r-- root/root .* \./$f\$" <<<"$contents" || fail "$f missing or not 0644 root: $contents"
done

# lintian complains about being run as root, on the standard error only.
out=$(lintian --fail-on error,warning --display-info --no-tag-display-limit "$deb" 2>"$work/lintian.err") || {
    cat "$work/lintian.err" >&2
    fail "lintian: $out"
}
[[ -z $out ]] || echo "$out"
echo "lintian: no error, no warning on $(basename "$deb")"
