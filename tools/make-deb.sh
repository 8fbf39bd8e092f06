#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package: build-deb/calivento_<version>_<arch>.deb
#   tools/make-deb.sh && sudo apt-get install ./build-deb/calivento_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh --deb
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCALIVENTO_TESTS=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build-deb
(cd build-deb && cpack -G DEB)
ls build-deb/*.deb
