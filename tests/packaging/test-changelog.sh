#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# packaging/debian-changelog.sh on a CHANGELOG.md of two releases, against
# the Debian changelog it must give, then on the faults it must refuse.
# Usage: test-changelog.sh SOURCE_DIR
set -euo pipefail
script=$1/packaging/debian-changelog.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/common.sh"
who='Ana Lopes <ana@example.org>'

cat >"$work/CHANGELOG.md" <<'EOF'
# Changes

Text before the first release is not part of any.

## 2.0.0~rc1 (2027-02-28)

Intro of the release.

- A **bold** item with `code`,
  continued on a second line.
- Another item.

## 1.2.0 (2026-12-09)

- The first release.
EOF
cat >"$work/expected" <<EOF
tolvane (2.0.0~rc1) unstable; urgency=medium

  Intro of the release.

  * A bold item with code,
    continued on a second line.
  * Another item.

 -- $who  Sun, 28 Feb 2027 00:00:00 +0000

tolvane (1.2.0) unstable; urgency=medium

  * The first release.

 -- $who  Wed, 09 Dec 2026 00:00:00 +0000
EOF
"$script" "$work/CHANGELOG.md" "$who" "$work/changelog" || fail "conversion"
diff -u "$work/expected" "$work/changelog" || fail "the Debian changelog differs"
if command -v dpkg-parsechangelog >/dev/null; then
    versions=$(dpkg-parsechangelog -l "$work/changelog" --format rfc822 --all | sed -n 's/^Version: //p')
    [[ $(echo $versions) == "2.0.0~rc1 1.2.0" ]] ||
        fail "dpkg-parsechangelog does not read both entries"
fi

# Refused: a heading of another form, a date that is none, no entry at all,
# a maintainer without an address.
refused=(
    "## 1.3.0 - 2027-01-01|$who"
    "## 1.3.0 (2027-13-45)|$who"
    "No release yet.|$who"
    "## 1.3.0 (2027-01-01)|Ana Lopes"
)
for c in "${refused[@]}"; do
    IFS='|' read -r text maintainer <<<"$c"
    printf '# Changes\n\n%s\n\n- item\n' "$text" >"$work/bad.md"
    "$script" "$work/bad.md" "$maintainer" >/dev/null 2>&1 && fail "accepted: $text / $maintainer"
done
echo "changelog converted and faults refused"
