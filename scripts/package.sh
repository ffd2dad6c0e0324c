#!/usr/bin/env bash
# Installs the dependencies, builds, and makes the Debian package
# build/package/varnoki_<version>_<arch>.deb, then checks it with lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
rm -rf build/package
(cd build && cpack -G DEB -B "$PWD/package")
deb="$(echo build/package/*.deb)"
echo "package: $deb"
# lintian fails on errors; warnings and notes are shown.
lintian --display-info "$deb"
