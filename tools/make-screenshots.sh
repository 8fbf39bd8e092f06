#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Renders the screens into docs/ under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-tests -G Ninja >/dev/null
cmake --build build-tests --target screenshots
work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
(cd "$work" && xvfb-run -a -s "-screen 0 800x600x24" "$OLDPWD/build-tests/tools/bench/screenshots" "$OLDPWD/docs")
rm -rf "$work"
ls -l docs/*.png
