#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the Debian packages that building, running and testing the game need.
# Safe to run again: does nothing when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-image-formats-plugins qt6-charts-dev
  libqt6opengl6-dev
  libqt6sql6-sqlite libqt6sql6-psql
  libvorbis-dev libpulse-dev pkg-config fonts-liberation xdg-utils
)
# The Debian package's build and its checks; the tests build it too.
deb=(debhelper dpkg-dev lintian)
if [ "${1:-}" = "--test" ]; then
  packages+=(xvfb xauth desktop-file-utils appstream valgrind clang g++-mingw-w64-x86-64-win32 pulseaudio reuse "${deb[@]}"
            postgresql postgresql-contrib libebur128-dev libfluidsynth-dev fluid-soundfont-gm sqlite3)
fi
if [ "${1:-}" = "--deb" ]; then
  packages+=("${deb[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installation de : ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Lancez ce script en root ou installez sudo." >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
