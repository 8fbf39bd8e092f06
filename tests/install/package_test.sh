#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package as tools/make-deb.sh does (lintian: no error, no warning), then
# checks what it installs, its fields and the hardening of the game.
#   package_test.sh <source dir> <work dir>
set -euo pipefail
source=$1
work=$2
command -v lintian >/dev/null && command -v dh >/dev/null || {
  echo "SKIPPED, not installed: lintian, debhelper (tools/setup.sh --test)"
  exit 77
}
fail() { echo "FAIL: $*" >&2; exit 1; }

# The test package's maintainer, in the domain kept for examples.
export DEBEMAIL="Calivento package test <package-test@example.org>"
unset CALIVENTO_HOMEPAGE
deb=$("$source"/tools/make-deb.sh "$work" | tail -n 1)
root=$work/root
rm -rf "$root"
dpkg-deb -x "$deb" "$root"

id=fr.calivento.Calivento
for f in usr/games/calivento usr/libexec/calivento/calivento usr/libexec/calivento/calivento-suivi usr/libexec/calivento/calivento_sound.so \
         usr/share/man/man6/calivento.6.gz \
         usr/share/doc/calivento/copyright usr/share/doc/calivento/changelog.gz \
         usr/share/doc/calivento/guide.html usr/share/applications/$id.desktop \
         usr/share/metainfo/$id.metainfo.xml usr/share/icons/hicolor/scalable/apps/$id.svg; do
  [ -f "$root/$f" ] || fail "$f is not in the package"
done
# The game finds the guide from its own folder.
[ -f "$root/usr/libexec/calivento/../../share/doc/calivento/guide.html" ] || fail "the guide is not where the game looks"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Section)" = games ] || fail "section $(field Section)"
[ "$(field Recommends)" = "pipewire-pulse | pulseaudio, xdg-utils" ] || fail "recommends $(field Recommends)"
field Depends | grep -qE 'xdg-utils|pipewire-pulse|pulseaudio([^-]|$)|psql' && fail "depends on what only one feature uses: $(field Depends)"
field Depends | grep -q 'libqt6sql6-sqlite' || fail "does not depend on the SQLite driver the store opens: $(field Depends)"
[ "$(field Suggests)" = "libqt6sql6-psql" ] || fail "suggests $(field Suggests)"
[ -z "$(field Homepage)" ] || fail "a home page without one given"
! grep -rqi 'calivento\.example\|<url\|https\?://[^ ]*\.png' "$root/usr/share/metainfo" || fail "addresses in the metainfo"
! grep -rqai 'calivento\.example' "$root" || fail "the placeholder domain is in the package"
[ "$(sed -n '1s/.*(\(.*\)).*/\1/p' "$source/debian/changelog")" = "$(field Version)" ] || fail "version"
grep -q "project(calivento VERSION $(field Version) " "$source/CMakeLists.txt" || fail "CMake's version differs"

# Hardening: every compile line has the stack protector and fortify, the game is PIE, bound now.
game=$root/usr/libexec/calivento/calivento
compiles=$(grep -c -- ' -c .*\.cpp$' "$work/build.log")
[ "$compiles" -gt 10 ] || fail "no compile lines in the build log"
[ "$(grep -- ' -c .*\.cpp$' "$work/build.log" | grep -- '-fstack-protector-strong' | grep -c -- '-D_FORTIFY_SOURCE=2')" \
  -eq "$compiles" ] || fail "compiled without the hardening flags"
readelf -h "$game" | grep 'DYN (Position-Independent' >/dev/null || fail "not PIE"
readelf -d "$game" | grep 'BIND_NOW' >/dev/null || fail "not bound now"
readelf -lW "$game" | grep GNU_RELRO >/dev/null || fail "no RELRO"
readelf -W --dyn-syms "$game" | grep __stack_chk_fail >/dev/null || fail "no stack protector"
echo "package: $(basename "$deb"), $compiles files compiled hardened, lintian clean"
