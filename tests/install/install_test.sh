#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the game into a scratch prefix, checks what lands there, validates the menu entry and
# the software-centre file, and starts the installed launcher to see where progress is kept.
#   install_test.sh <build dir> <source dir>
set -euo pipefail
build=$1
source=$2
id=fr.calivento.Calivento
scratch=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(bin/calivento libexec/calivento/calivento libexec/calivento/calivento-suivi libexec/calivento/calivento_sound.so
          share/applications/$id.desktop share/metainfo/$id.metainfo.xml)
for icon in "$source"/data/icons/hicolor/*/apps/$id.*; do
  expected+=("share/icons/${icon#"$source"/data/icons/}")
done
for f in "${expected[@]}"; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
for f in bin/calivento libexec/calivento/calivento; do
  [ -x "$prefix/$f" ] || fail "$f is not executable"
done
echo "installed: ${#expected[@]} files"

grep -qx "Exec=calivento" "$prefix/share/applications/$id.desktop" || fail "the menu entry does not start calivento"
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || fail "the menu entry has no icon"

skipped=()
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/$id.desktop"
else
  skipped+=("desktop-file-validate (package desktop-file-utils)")
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
else
  skipped+=("appstreamcli (package appstream)")
fi

# Starts the installed launcher from a folder, in a given environment, and waits for the menu
# to create the five progress files in the expected folder (a loaded machine may take a while).
start_game() {
  local from=$1; shift
  (cd "$from" && exec env -u HOME -u XDG_DATA_HOME TMPDIR="$scratch/tmp" QT_QPA_PLATFORM=offscreen "$@" \
    ./calivento) >"$scratch/game.log" 2>&1 &
  pid=$!
}
expect_progress_in() {
  local folder=$1
  for _ in $(seq 1 900); do
    [ "$(ls $folder/niveaux 2>/dev/null | wc -l)" -eq 5 ] && break
    kill -0 "$pid" 2>/dev/null || { cat "$scratch/game.log" >&2; fail "the game stopped"; }
    sleep 0.1
  done
  [ "$(ls $folder/niveaux 2>/dev/null | wc -l)" -eq 5 ] || { cat "$scratch/game.log" >&2; ls -la $folder/niveaux >&2 || true; fail "no progress files in $folder/niveaux"; }
  for f in $folder/niveaux/*.nvl; do
    [ "$(od -An -c "$f" | tr -d ' ')" = '1\r\n' ] || fail "$f does not hold 1"
  done
  kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
}

bin=$prefix/bin
mkdir -p "$scratch/tmp" "$scratch/home1" "$scratch/home2" "$scratch/home3"
# Started by a relative path, as "cd /usr/bin && ./calivento" does.
start_game "$bin" HOME="$scratch/home1"
expect_progress_in "$scratch/home1/.local/share/$id"
start_game "$bin" HOME="$scratch/home2" XDG_DATA_HOME="$scratch/data2"
expect_progress_in "$scratch/data2/$id"
# A relative XDG_DATA_HOME is not to be used.
start_game "$bin" HOME="$scratch/home3" XDG_DATA_HOME=relative
expect_progress_in "$scratch/home3/.local/share/$id"
[ ! -e "$bin/relative" ] || fail "a relative XDG_DATA_HOME was used"
# No usable data folder: HOME unset or the root, or a data folder that cannot be created. The game
# still starts, in a temporary folder, and says so in one line.
touch "$scratch/file"
root_before=$(ls -a /)
for env in "" "HOME=/" "HOME=$scratch/file" "XDG_DATA_HOME=$scratch/file/data"; do
  start_game "$bin" $env
  expect_progress_in "$scratch/tmp/calivento.*"
  [ "$(grep -c "progrès ne seront pas gardés" "$scratch/game.log")" -eq 1 ] || fail "no warning with '$env'"
  rm -rf "$scratch"/tmp/calivento.*
done
[ "$(ls -a /)" = "$root_before" ] || fail "a folder was created at the filesystem root"

for home in "$scratch"/home*; do
  loose=$(find "$home" -mindepth 1 -maxdepth 1 ! -name '.*')
  [ -z "$loose" ] || fail "written into the home folder: $loose"
done
[ -z "$(find "$prefix" -name niveaux)" ] || fail "progress written into the install folder"
[ -z "$(find "$scratch" -maxdepth 1 -name niveaux)" ] || fail "progress written where the launcher was started"
echo "progress kept in the data folder"

if [ ${#skipped[@]} -gt 0 ]; then
  echo "SKIPPED, not installed: ${skipped[*]}"
  exit 77
fi
