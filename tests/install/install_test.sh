#!/usr/bin/env bash
# Installs the build into a throw-away prefix and runs the installed program from there:
# the files land where a desktop looks for them, the data goes to the user's data folder (or
# $TESSARY_HOME) and nothing is written under the prefix, and the command lines behave.
#
#   install_test.sh BUILD_DIR
set -uo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/usr"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what="$1"; shift; "$@" || fail "$what"; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || {
  cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }

for f in bin/tessary bin/tessary-script bin/tessary-gen share/tessary/volume.pif; do
  check "$f is an installed executable" test -x "$prefix/$f"
done
for f in share/tessary/sys.d32 share/tessary/nomacc.d32 share/tessary/TS32.png \
  share/tessary/tessary.html share/applications/org.tessary.Tessary.desktop \
  share/metainfo/org.tessary.Tessary.metainfo.xml \
  share/icons/hicolor/scalable/apps/org.tessary.Tessary.svg \
  share/icons/hicolor/48x48/apps/org.tessary.Tessary.png \
  share/icons/hicolor/256x256/apps/org.tessary.Tessary.png \
  share/man/man1/tessary.1 share/man/man1/tessary-script.1 share/man/man1/tessary-gen.1; do
  check "$f is installed" test -s "$prefix/$f"
done
check "no data templates in bin/" test ! -e "$prefix/bin/sys.d32"

# The desktop entry, the metainfo and the manual pages are checked by their own tools.
if command -v desktop-file-validate >/dev/null; then
  check "desktop-file-validate" desktop-file-validate "$prefix/share/applications/org.tessary.Tessary.desktop"
else
  fail "desktop-file-validate is not installed (Debian package desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
  check "appstreamcli validate" appstreamcli validate --no-net \
    "$prefix/share/metainfo/org.tessary.Tessary.metainfo.xml"
else
  fail "appstreamcli is not installed (Debian package appstream)"
fi
if command -v groff >/dev/null; then
  for page in "$prefix"/share/man/man1/*.1; do
    warnings="$(groff -man -ww -z "$page" 2>&1)"
    [ -z "$warnings" ] || fail "groff warns on $(basename "$page"): $warnings"
  done
fi

snapshot() { (cd "$prefix" && find . -printf '%p %s %T@\n' | sort); }
snapshot >"$work/prefix.before"

# One signed-on run that leaves the program through its own Exit.
cat >"$work/signon.script" <<'SCRIPT'
type Password tessary
click Next
expect-line forms 0 TFmain
menu ExitYes1
SCRIPT
run() { # run ENV... -- PROGRAM ARGS...: output in $out, status in $status
  local envs=()
  while [ "$1" != "--" ]; do envs+=("$1"); shift; done
  shift
  out="$(env -u TESSARY_HOME -u XDG_DATA_HOME "${envs[@]}" "$@" 2>&1)"
  status=$?
}

home="$work/home"
mkdir -p "$home"
run HOME="$home" -- "$prefix/bin/tessary-script" --today 08/12/2026 "$work/signon.script"
check "sign-on from the prefix ends well (status $status: $out)" test "$status" -eq 0
check "data in ~/.local/share/tessary/CU1" test -s "$home/.local/share/tessary/CU1/sys.d32"
check "its safety copy too" test -s "$home/.local/share/tessary/CU1/Backup/sys.d32"

run HOME="$home" XDG_DATA_HOME="$work/xdg" -- "$prefix/bin/tessary-script" --today 08/12/2026 \
  "$work/signon.script" trainer
check "XDG_DATA_HOME run ends well (status $status: $out)" test "$status" -eq 0
check "data in \$XDG_DATA_HOME/tessary/trainer" test -s "$work/xdg/tessary/trainer/sys.d32"

# A shared folder must exist: one that is not mounted is not quietly made locally.
run HOME="$home" TESSARY_HOME="$work/server" -- "$prefix/bin/tessary-script" \
  --today 08/12/2026 "$work/signon.script"
check "a missing TESSARY_HOME is refused (status $status)" test "$status" -eq 1
check "and named: $out" grep -q "TESSARY_HOME" <<<"$out"
check "and not made" test ! -e "$work/server"
mkdir "$work/server"
run HOME="$home" TESSARY_HOME="$work/server" XDG_DATA_HOME="$work/xdg" -- \
  "$prefix/bin/tessary-script" --today 08/12/2026 "$work/signon.script" BRANCH1
check "TESSARY_HOME run ends well (status $status: $out)" test "$status" -eq 0
check "data in \$TESSARY_HOME/BRANCH1" test -s "$work/server/BRANCH1/sys.d32"

# The same on Qt, offscreen: the installed program folder provides the picture and templates.
run HOME="$home" QT_QPA_PLATFORM=offscreen -- "$prefix/bin/tessary-script" --qt \
  --today 08/12/2026 "$work/signon.script" QTRUN
check "Qt sign-on from the prefix ends well (status $status: $out)" test "$status" -eq 0
check "its data in the user's folder" test -s "$home/.local/share/tessary/QTRUN/sys.d32"

# --help and --version answer on every executable, with status 0 and nothing made.
before_home="$(cd "$home" && find . | sort)"
for exe in tessary tessary-script tessary-gen; do
  run HOME="$home" -- "$prefix/bin/$exe" --help
  check "$exe --help ends with 0 (status $status)" test "$status" -eq 0
  check "$exe --help prints its usage: $out" grep -qi "usage: $exe" <<<"$out"
  run HOME="$home" -- "$prefix/bin/$exe" --version
  check "$exe --version ends with 0 (status $status)" test "$status" -eq 0
  check "$exe --version prints the version: $out" grep -q "^$exe (Tessary) [0-9]" <<<"$out"
done
run HOME="$home" -- "$prefix/share/tessary/volume.pif" --version
check "volume.pif --version ends with 0 (status $status: $out)" test "$status" -eq 0
run HOME="$home" -- "$prefix/bin/tessary" --help
check "tessary --help names the data home: $out" grep -qF "$home/.local/share/tessary" <<<"$out"

# Arguments that cannot name a data folder are refused with status 2, and nothing is made.
for bad in --bogus ../up a/b . "$(printf 'x\ty')"; do
  run HOME="$home" QT_QPA_PLATFORM=offscreen -- "$prefix/bin/tessary" "$bad"
  check "tessary '$bad' is refused with status 2 (status $status: $out)" test "$status" -eq 2
  run HOME="$home" -- "$prefix/bin/tessary-script" "$work/signon.script" "$bad"
  check "tessary-script ... '$bad' is refused with status 2 (status $status: $out)" \
    test "$status" -eq 2
done
run HOME="$home" QT_QPA_PLATFORM=offscreen -- "$prefix/bin/tessary" ONE TWO
check "tessary with two arguments is refused with status 2 (status $status: $out)" \
  test "$status" -eq 2
check "nothing made in the data home by help, version or refusals" \
  test "$before_home" = "$(cd "$home" && find . | sort)"

snapshot >"$work/prefix.after"
check "nothing written under the prefix" diff "$work/prefix.before" "$work/prefix.after"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "install test passed"
