#!/usr/bin/env bash
# Makes the Debian package of the build and checks what a Debian 12 machine would install:
# the files, and dependencies worked out from the libraries the executables really link.
#
#   package_test.sh BUILD_DIR
set -uo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb="$(ls "$work"/tessary_*_*.deb 2>/dev/null | head -n1)"
[ -n "$deb" ] || { echo "FAIL: no tessary_*.deb made"; ls "$work"; exit 1; }

depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libqt6widgets6 libqt6printsupport6 libqt6charts6 libzip4 libfmt9 libstdc++6; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = tessary ] || fail "package name"

contents="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for f in ./usr/bin/tessary ./usr/bin/tessary-script ./usr/bin/tessary-gen \
  ./usr/share/tessary/sys.d32 ./usr/share/tessary/nomacc.d32 ./usr/share/tessary/volume.pif \
  ./usr/share/tessary/tessary.html ./usr/share/tessary/TS32.png \
  ./usr/share/applications/org.tessary.Tessary.desktop \
  ./usr/share/metainfo/org.tessary.Tessary.metainfo.xml \
  ./usr/share/icons/hicolor/scalable/apps/org.tessary.Tessary.svg \
  ./usr/share/man/man1/tessary.1; do
  grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
# Nothing of a build or test run may travel in the package.
if grep -E '\.(t32|lock|posted)$|/CU1/|/Backup/' <<<"$contents"; then
  fail "the package holds data or work files"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package test passed: $(basename "$deb")"
