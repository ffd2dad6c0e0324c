#!/usr/bin/env bash
# Builds the Debian package from the build tree in a temporary folder, checks that it
# holds the standard layout and nothing else, and validates its desktop files.
#   check_deb.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build="$1" version="$2" id="$3"

for tool in cpack dpkg-deb desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  exit 1
fi
deb="$(echo "$tmp"/out/*.deb)"
[ -f "$deb" ] || { echo "no package in $tmp/out"; ls -R "$tmp/out"; exit 1; }

fail=0
problem() { echo "FAIL: $*"; fail=1; }

[ "$(dpkg-deb -f "$deb" Package)" = varnoki ] || problem "package name $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || problem "package version $(dpkg-deb -f "$deb" Version), not $version"
depends="$(dpkg-deb -f "$deb" Depends)"
for runtime in firebird3.0-server-core libib-util libqt6sql6-ibase libqt6sql6-sqlite libqt6svg6 qt6-qpa-plugins libqt6widgets6; do
  [[ "$depends" == *"$runtime"* ]] || problem "Depends lacks $runtime: $depends"
done

# Files only (directories end with /), as absolute paths.
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\.||' | sort >"$tmp/files"
allowed='^/usr/(bin/varnoki(-cli)?|libexec/varnoki/[^/]+|share/varnoki/(blog|template|db)/[^/]+|share/applications/'"$id"'\.desktop|share/metainfo/'"$id"'\.metainfo\.xml|share/mime/packages/'"$id"'\.xml|share/icons/hicolor/(scalable|[0-9]+x[0-9]+)/apps/'"$id"'\.(svg|png)|share/doc/varnoki/[^/]+|share/lintian/overrides/varnoki|share/man/man1/varnoki(-cli)?\.1\.gz)$'
if grep -Ev "$allowed" "$tmp/files" >"$tmp/stray"; then
  problem "files outside the standard layout:"; cat "$tmp/stray"
fi
expected=(
  /usr/bin/varnoki /usr/bin/varnoki-cli
  /usr/libexec/varnoki/varnoki-toc-list /usr/libexec/varnoki/varnoki-toc-category /usr/libexec/varnoki/varnoki-toc-monthly
  /usr/share/varnoki/db/VARNOKI.FDB /usr/share/varnoki/db/html.mdb
  /usr/share/varnoki/blog/common.js /usr/share/varnoki/blog/wordpress.ini /usr/share/varnoki/blog/guide.html
  /usr/share/varnoki/template/list.ini /usr/share/varnoki/template/list.html
  "/usr/share/applications/$id.desktop" "/usr/share/metainfo/$id.metainfo.xml" "/usr/share/mime/packages/$id.xml"
  "/usr/share/icons/hicolor/scalable/apps/$id.svg"
  /usr/share/doc/varnoki/copyright /usr/share/doc/varnoki/changelog.gz
  /usr/share/man/man1/varnoki.1.gz /usr/share/man/man1/varnoki-cli.1.gz
)
for size in 16 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
  grep -qxF "$file" "$tmp/files" || problem "missing $file"
done
# Template programs belong in libexec, never among the data.
if grep -E '^/usr/share/varnoki/.*varnoki-toc-' "$tmp/files"; then problem "a template program in share/"; fi

dpkg-deb -x "$deb" "$tmp/root"
for size in 16 24 32 48 64 128 256; do
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  header="$(od -An -tu1 -j16 -N8 "$tmp/root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | tr -s ' ')"
  [ "$header" = " 0 0 $((size >> 8)) $((size & 255)) 0 0 $((size >> 8)) $((size & 255))" ] \
    || problem "the ${size}px icon is not $size x $size:$header"
done
desktop-file-validate "$tmp/root/usr/share/applications/$id.desktop" || problem "desktop-file-validate"
appstreamcli validate --no-net "$tmp/root/usr/share/metainfo/$id.metainfo.xml" || problem "appstreamcli validate"
grep -q "<release version=\"$version\"" "$tmp/root/usr/share/metainfo/$id.metainfo.xml" \
  || problem "the AppStream release is not $version"
head -n1 "$tmp/root/usr/share/doc/varnoki/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  || problem "copyright is not in the machine-readable format"

[ "$fail" -eq 0 ] && echo "package $deb: layout, desktop entry and AppStream file are fine"
exit "$fail"
