#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Renders the instruments' phrases from tools/phrases/phrases.h into src/resources/sounds/phrases,
# from the repository root. Needs libfluidsynth-dev, libebur128-dev, libvorbis-dev and fluid-soundfont-gm
# (tools/setup.sh --test installs them).
#   tools/make-sounds.sh [WAVDIR]   (WAVDIR: also write plain WAV copies to listen to)
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S tools -B build-tools -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-tools --target calivento-phrases
mkdir -p src/resources/sounds/phrases
build-tools/phrases/calivento-phrases src/resources/sounds/phrases "$@"
