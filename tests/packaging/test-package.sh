#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package, installs it into this system (dpkg -i), runs the
# installed programs, removes it and checks that nothing is left. Needs root
# (CI runs the tests as root on a fresh Debian 12); skipped otherwise. The
# package is removed on every way out once installing it has begun.
# Usage: test-package.sh BUILD_DIR
set -euo pipefail
build=$1
. "$(dirname "$0")/common.sh"

[[ $(id -u) -eq 0 ]] || skip "installing a package needs root (run the tests as root to include it)"
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps apt-get flock; do
    command -v "$tool" >/dev/null || skip "$tool is missing (dpkg-dev provides dpkg-shlibdeps)"
done
installed_before() { [[ $(dpkg-query -W -f='${Status}' tolvane 2>/dev/null || true) == *" installed" ]]; }

# Two test runs on one machine would install and remove the same package.
exec 9>/var/lock/tolvane-package-test.lock
flock -w 240 9 || fail "another package test holds /var/lock/tolvane-package-test.lock"

# A package this test installed and could not remove (the run was killed)
# is removed; any other is the user's, and left alone.
marker=/var/tmp/tolvane-package-test.installed
if installed_before; then
    [[ -f $marker ]] || skip "a tolvane package is installed already; it is left alone"
    dpkg -r tolvane >/dev/null || fail "cannot remove the package left by an earlier run"
fi
rm -f "$marker"

work=$(mktemp -d)
we_installed=no
cleanup() {
    if [[ $we_installed == yes ]]; then
        dpkg -r tolvane >/dev/null 2>&1 || dpkg --purge --force-all tolvane >/dev/null 2>&1 || true
        installed_before || rm -f "$marker"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP # through the EXIT trap, so the package goes too

build_deb "$build" "$work"
echo "package built in ${SECONDS}s"

# The control file: name, section, a maintainer with an address (whoever
# the build was given), dependencies worked out by dpkg-shlibdeps plus the
# platform plugins, the French line, no scripts.
control=$(dpkg-deb -f "$deb")
for field in 'Package: tolvane' 'Section: utils' 'Maintainer: [^<>]+ <[^<>@ ]+@[^<>@ ]+>$'; do
    grep -Eq "^$field" <<<"$control" || fail "control file lacks '$field': $control"
done
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libc6 libstdc++6 libqt6widgets6 libqt6svg6 qt6-qpa-plugins; do
    grep -q "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
grep -q "Visionneuse d'aide hypertexte" <<<"$control" || fail "no French line in the description"
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -Eq 'post(inst|rm)' && fail "maintainer scripts found"

we_installed=yes
touch "$marker"
# dpkg alone is much quicker than apt-get; apt-get completes the install
# only when a dependency is missing.
if ! dpkg -i "$deb" >"$work/install.log" 2>&1; then
    DEBIAN_FRONTEND=noninteractive apt-get install -f -y -qq --no-install-recommends \
        -o DPkg::Lock::Timeout=120 >>"$work/install.log" 2>&1 || {
        cat "$work/install.log"
        fail "installing $deb"
    }
fi
installed_before || fail "the package does not show as installed"
echo "installed at ${SECONDS}s"

/usr/bin/tolvane-tool --help | grep -q '^  open ' || fail "installed tolvane-tool --help"
out=$(/usr/bin/tolvane-tool index /usr/share/tolvane/GUIDE) || fail "index of the installed guide"
grep -q '^articles: [1-9]' <<<"$out" || fail "index: $out"
out=$(HOME=$work/home XDG_DATA_HOME='' /usr/bin/tolvane-tool startup --exe /usr/bin/tolvane)
grep -qx 'data_source=/usr/share/tolvane/GUIDE' <<<"$out" || fail "startup: $out"
grep -qx "user_base=$work/home/.local/share/tolvane/GUIDE" <<<"$out" || fail "startup: $out"
if ldd /usr/bin/tolvane | grep -q 'not found'; then
    fail "libraries missing for /usr/bin/tolvane: $(ldd /usr/bin/tolvane | grep 'not found')"
fi
files=(/usr/bin/tolvane /usr/bin/tolvane-tool /usr/share/tolvane/GUIDE.PGD
    /usr/share/applications/org.tolvane.viewer.desktop /usr/share/metainfo/org.tolvane.viewer.metainfo.xml
    /usr/share/mime/packages/tolvane.xml /usr/share/doc/tolvane/copyright
    /usr/share/icons/hicolor/scalable/apps/tolvane.svg /usr/share/icons/hicolor/48x48/apps/tolvane.png
    /usr/share/man/man1/tolvane.1.gz /usr/share/man/fr/man1/tolvane-tool.1.gz)
for f in "${files[@]}"; do
    [[ -f $f ]] || fail "not installed: $f"
done
# The triggers of the desktop's packages have taken the new type in.
if [[ -x /usr/bin/update-mime-database ]]; then
    grep -qF 'application/x-tolvane-help:*.pgd' /usr/share/mime/globs2 || fail "mime database not updated"
fi
if [[ -x /usr/bin/update-desktop-database ]]; then
    grep -q '^application/x-tolvane-help=.*org.tolvane.viewer.desktop' /usr/share/applications/mimeinfo.cache ||
        fail "desktop database not updated"
fi

dpkg -r tolvane >"$work/remove.log" 2>&1 || {
    cat "$work/remove.log"
    fail "dpkg -r"
}
we_installed=no
echo "removed at ${SECONDS}s"
installed_before && fail "still installed after dpkg -r"
rm -f "$marker"
for f in "${files[@]}"; do
    [[ ! -e $f ]] || fail "left after removal: $f"
done
if [[ -x /usr/bin/update-mime-database ]]; then
    grep -qF 'application/x-tolvane-help' /usr/share/mime/globs2 && fail "mime type left after removal"
fi
echo "package built, installed, run and removed"
