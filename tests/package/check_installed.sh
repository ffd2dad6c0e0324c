#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and runs both programs from there as
# an ordinary user (nobody, when the test runs as root): they must find their blog
# types, templates, template programs and databases in the installed layout.
#   check_installed.sh BUILD_DIR VERSION
set -euo pipefail
build="$1" version="$2"

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
home="$tmp/home"
mkdir -p "$home/tmp" "$home/work"
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$tmp"
  chown -R nobody:nogroup "$home"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
else
  as_user=()
fi
# The test run's own lock folder is root's; the user's own default is used instead.
run() {
  (cd "$home/work" && env -u FIREBIRD_LOCK HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR= TMPDIR="$home/tmp" QT_QPA_PLATFORM=offscreen \
    timeout 120 "${as_user[@]}" "$@")
}
fail=0
expect() { # expect TEXT OUTPUT WHAT
  [[ "$2" == *"$1"* ]] || { echo "FAIL: $3 lacks \"$1\":"; echo "$2"; fail=1; }
}

cli="$prefix/bin/varnoki-cli"
expect "$version" "$(run "$cli" --version)" "varnoki-cli --version"
expect "$version" "$(run "$prefix/bin/varnoki" --version)" "varnoki --version"
expect WordPress "$(run "$cli" blog-types)" "varnoki-cli blog-types"
expect "記事一覧" "$(run "$cli" templates)" "varnoki-cli templates"
run "$cli" new blog.FDB --blog-type WordPress --url http://127.0.0.1:9/
run "$cli" make blog.FDB toc.html --wait --timeout 60
expect "<html" "$(cat "$home/work/toc.html")" "the made page"
[ "$(stat -c %U "$home/work/toc.html")" = "$(stat -c %U "$home")" ] || { echo "FAIL: toc.html not the user's"; fail=1; }

# A project file is of the program's own type, which the desktop entry opens.
if command -v update-mime-database >/dev/null && command -v xdg-mime >/dev/null; then
  update-mime-database "$prefix/share/mime" >/dev/null
  type="$(env -u XDG_CURRENT_DESKTOP XDG_DATA_HOME="$home/data" XDG_DATA_DIRS="$prefix/share:/usr/share" \
    xdg-mime query filetype "$home/work/blog.FDB")"
  [ "$type" = application/x-varnoki-project ] || { echo "FAIL: xdg-mime says blog.FDB is \"$type\""; fail=1; }
  grep -qx 'MimeType=application/x-varnoki-project;' "$prefix/share/applications/"*.desktop \
    || { echo "FAIL: the desktop entry does not open project files"; fail=1; }
else
  echo "note: no xdg-mime or update-mime-database, the project file type is not checked"
fi

# The window program, started and ended by its start-up hook.
started="$(VARNOKI_QUIT_WHEN_STARTED=1 run "$prefix/bin/varnoki" 2>"$tmp/window.err")" \
  || { echo "FAIL: the window program ended with $?"; cat "$tmp/window.err"; fail=1; }
if [[ "$started" =~ blog\ types\ ([0-9]+),\ templates\ ([0-9]+) ]]; then
  [ "${BASH_REMATCH[1]}" -ge 8 ] && [ "${BASH_REMATCH[2]}" -ge 3 ] \
    || { echo "FAIL: the window found too few: $started"; fail=1; }
else
  echo "FAIL: the window program said \"$started\""; cat "$tmp/window.err"; fail=1
fi

[ "$fail" -eq 0 ] && echo "the installed tree in $prefix works for $(stat -c %U "$home")"
exit "$fail"
