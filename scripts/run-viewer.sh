#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Opens the viewer on the sample beside it; under Xvfb when no display exists.
set -euo pipefail
build=${1:-build}
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "Pas d'affichage : la visionneuse s'ouvre dans un serveur X virtuel (Xvfb)."
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$build/tolvane"
fi
exec "$build/tolvane"
