#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Plays a round as a screen reader sees it: the game under a virtual X server, its own session
# and accessibility bus, and tools/screen-reader/round.py as the reader (python3-pyatspi, xdotool).
set -euo pipefail
cd "$(dirname "$0")/.."
game=${1:-build-tests/calivento}
[ -x "$game" ] || { echo "build the game first: $game" >&2; exit 1; }
game=$(realpath "$game")
script=$(realpath tools/screen-reader/round.py)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
cd "$work"
dbus-run-session -- xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/python3 "$script" "$game" \
  2> >(grep -v 'dbus-daemon' >&2)
