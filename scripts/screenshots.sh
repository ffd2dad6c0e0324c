#!/usr/bin/env bash
# Renders every window and dialog of the program to PNG files on the offscreen
# platform, for documentation and review.
#   scripts/screenshots.sh [build folder]   (default: build) -> <build folder>/screenshots/
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
mkdir -p "$build"
build="$(cd "$build" && pwd)"
out="$build/screenshots"

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target varnoki-screenshots -j"$(nproc)"

# A program tree of its own: the shipped blog types (the test ones while none are
# shipped), the built templates and databases.
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/blog"
if compgen -G "$build/bin/blog/*.ini" >/dev/null; then
  cp -r "$build/bin/blog/." "$tree/blog/"
else
  cp -r "$root/tests/fixtures/app/blog/." "$tree/blog/"
fi
ln -s "$build/bin/template" "$tree/template"
ln -s "$build/bin/db" "$tree/db"

rm -rf "$out"
QT_QPA_PLATFORM=offscreen "$build/tools/varnoki-screenshots" "$tree" "$out"
echo "screenshots in $out"
