#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The viewer as a screen reader sees it: screenreader.py, run in a D-Bus
# session of its own. Exits 77 (skipped) when the AT-SPI client or its
# services are not installed.
#   screenreader.sh <build folder>
set -euo pipefail

build=${1:?usage: screenreader.sh <build folder>}
here=$(cd "$(dirname "$0")" && pwd)

skip() {
    echo "SKIP: $*"
    exit 77
}

# Debian's own interpreter: the bindings are installed for it only.
python=/usr/bin/python3
[[ -x $python ]] || skip "no /usr/bin/python3"
"$python" -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed"
command -v dbus-run-session >/dev/null || skip "dbus (dbus-run-session) is not installed"
command -v Xvfb >/dev/null || skip "xvfb is not installed"
launcher=
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [[ -x $candidate ]] && launcher=$candidate && break
done
[[ -n $launcher ]] || skip "at-spi2-core (at-spi-bus-launcher) is not installed"
[[ -x $build/tolvane ]] || skip "no viewer in $build"
[[ -f $build/GUIDE.PGD ]] || skip "no guide in $build"

exec dbus-run-session -- "$python" "$here/screenreader.py" \
    --viewer "$build/tolvane" --source "$build/GUIDE" --bus-launcher "$launcher"
