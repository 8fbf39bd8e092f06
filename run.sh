#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what is missing, builds a release build and starts the game.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCALIVENTO_TESTS=OFF >/dev/null
cmake --build build --target calivento
exec build/calivento "$@"
