#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes CHANGELOG.md in the format of a Debian changelog, which the package
# ships as /usr/share/doc/tolvane/changelog.gz and lintian reads.
#
#   debian-changelog.sh CHANGELOG.md "Name <address>" [OUTPUT]
#
# Each `## VERSION (YYYY-MM-DD)` heading starts an entry signed by the
# maintainer on that day; its `- ` items become `  * ` items, their
# continuation lines and other text are indented to match, and Markdown's
# code and emphasis marks are dropped. Fails on a heading of another form
# or a file without entry.
set -euo pipefail
export LC_ALL=C
changelog=$1
maintainer=$2
if (($# > 2)); then exec >"$3"; fi
[[ $maintainer =~ ^[^\<\>]+\ \<[^\<\>@\ ]+@[^\<\>@\ ]+\>$ ]] ||
    { echo "debian-changelog.sh: the maintainer must read 'Name <address>', not '$maintainer'" >&2; exit 1; }

# The RFC 2822 dates the signature lines need, one per release date.
declare -A stamps
while read -r day; do
    stamps[$day]=$(date -u -R -d "$day 00:00") ||
        { echo "$changelog: bad date $day" >&2; exit 1; }
done < <(sed -n 's/^## [^ ]* (\([0-9-]*\))$/\1/p' "$changelog")
dates=$(for d in "${!stamps[@]}"; do echo "$d=${stamps[$d]}"; done)

awk -v maintainer="$maintainer" -v dates="$dates" -v file="$changelog" '
    BEGIN {
        n = split(dates, pairs, "\n")
        for (i = 1; i <= n; i++) {
            eq = index(pairs[i], "=")
            stamp[substr(pairs[i], 1, eq - 1)] = substr(pairs[i], eq + 1)
        }
    }
    function sign() {
        if (open) printf "\n -- %s  %s\n", maintainer, when
        open = 0
    }
    /^## / {
        if (!match($0, /^## [0-9][0-9A-Za-z.+~-]* \([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]\)$/)) {
            printf "%s:%d: a release heading reads \"## VERSION (YYYY-MM-DD)\"\n", file, NR > "/dev/stderr"
            bad = 1; exit 1
        }
        sign()
        if (entries++) print ""
        version = $2
        when = stamp[substr($3, 2, 10)]
        printf "tolvane (%s) unstable; urgency=medium\n\n", version
        open = 1; blank = 0; started = 0
        next
    }
    !open { next }
    /^[ \t]*$/ { blank = 1; next }
    {
        line = $0
        gsub(/`/, "", line)
        gsub(/\*\*/, "", line)
        if (blank && started) print ""
        blank = 0; started = 1
        if (line ~ /^- /) print "  * " substr(line, 3)
        else if (line ~ /^  /) print "    " substr(line, 3)
        else print "  " line
    }
    END {
        if (bad) exit 1
        if (!entries) { printf "%s: no \"## VERSION (YYYY-MM-DD)\" entry\n", file > "/dev/stderr"; exit 1 }
        sign()
    }' "$changelog"
