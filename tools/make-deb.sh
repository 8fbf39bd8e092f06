#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package with debhelper, in a copy of the source tree, and checks it with
# lintian (no error, no warning):
#   DEBEMAIL="Name <address>" tools/make-deb.sh [output folder, build-deb by default]
#   sudo apt-get install ./build-deb/calivento_*.deb
# The maintainer comes from DEBEMAIL and DEBFULLNAME, as for dch; CALIVENTO_HOMEPAGE, when set,
# names the home page in the package and the software-centre page. The last line printed is the
# package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh --deb
if [ -z "${DEBEMAIL:-}" ]; then
  echo "make-deb.sh: set DEBEMAIL (and DEBFULLNAME) to the address that answers for this package" >&2
  exit 2
fi
case $DEBEMAIL in
  *'<'*) maintainer=$DEBEMAIL ;;
  *) maintainer="${DEBFULLNAME:-Les Ateliers Calivento} <$DEBEMAIL>" ;;
esac

out=$(realpath -m "${1:-build-deb}")
version=$(sed -n '1s/^calivento (\([^)]*\)).*/\1/p' debian/changelog)
tree=$out/calivento-$version
rm -rf "$tree" "$out"/calivento*_"$version"_*
mkdir -p "$tree"
tar --exclude-vcs --exclude='./build*' --exclude=./niveaux -cf - . | tar -C "$tree" -xf -
sed -i "s|@MAINTAINER@|$maintainer|" "$tree/debian/control" "$tree/debian/changelog"
if [ -n "${CALIVENTO_HOMEPAGE:-}" ]; then
  sed -i "/^Standards-Version:/a Homepage: $CALIVENTO_HOMEPAGE" "$tree/debian/control"
fi

(cd "$tree" && dpkg-buildpackage -b --no-sign -Jauto) >"$out/build.log" 2>&1 || {
  tail -n 40 "$out/build.log" >&2
  echo "make-deb.sh: the build failed; the whole log is $out/build.log" >&2
  exit 1
}
deb=$(ls "$out"/calivento_"$version"_*.deb)
if command -v lintian >/dev/null; then
  lintian --pedantic --display-info --fail-on error,warning "$deb"
fi
echo "$deb"
