#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build, the tests and the viewer need, and only
# those that are missing. Runs apt-get as root, through sudo otherwise.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config zlib1g-dev
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n qt6-qpa-plugins
    libgl-dev libxkbcommon-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    fonts-liberation fonts-dejavu-core fontconfig
    xvfb xauth
    dbus at-spi2-core python3-pyatspi # the screen-reader test
    dpkg-dev desktop-file-utils shared-mime-info groff-base # the package and its tree
    lintian appstream # the package's checks: Debian's checker, the software-centre metadata
)
case "${1:-}" in
    --bench) packages+=(catdoc unrtf) ;;
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --lint) packages+=(clang-format git) ;;
    --browser) packages+=(chromium) ;; # the test of the exported HTML site
esac

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    sudo=()
elif command -v sudo >/dev/null; then
    sudo=(sudo)
else
    echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
