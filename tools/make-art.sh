#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Renders every picture from art/*.svg and the sounds, from the repository root.
#   tools/make-art.sh
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S tools -B build-tools -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-tools

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
build-tools/art/calivento-art .
if [ -x build-tools/synth/calivento-synth ]; then
  build-tools/synth/calivento-synth src/resources/sounds
fi
if [ -x build-tools/phrases/calivento-phrases ]; then
  build-tools/phrases/calivento-phrases src/resources/sounds/phrases
fi
