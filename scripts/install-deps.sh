#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Safe to run again: packages already present are skipped.
set -euo pipefail

packages=(
  g++ cmake make pkg-config ca-certificates
  qt6-base-dev qt6-svg-dev qt6-base-dev-tools libqt6sql6-ibase libqt6sql6-sqlite qt6-qpa-plugins
  firebird3.0-server-core firebird3.0-utils libfbclient2 libib-util firebird-dev
  libjavascriptcoregtk-4.1-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  sqlite3 python3 cmark-gfm fonts-noto-cjk qt6-translations-l10n
  librsvg2-bin desktop-file-utils appstream lintian dpkg-dev
  shared-mime-info xdg-utils libfile-mimeinfo-perl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
