#!/usr/bin/env bash
# Installs what is missing, builds Tessary and runs every test: once as built for use, the
# engine's once more in a build without the front end, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, and checks the code's formatting.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs="$(nproc)"
# The Qt tests draw offscreen: no display is needed.
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/test -j"$jobs"
ctest --test-dir build/test --output-on-failure -j"$jobs"

# The engine alone, with no form, no window system and no Qt in the build: it and its tests
# must stand on their own.
cmake -S . -B build/engine -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_FRONT_END=OFF >/dev/null
cmake --build build/engine -j"$jobs"
ctest --test-dir build/engine --output-on-failure -j"$jobs"

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DTESSARY_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

# The same tests under a comma-decimal locale: nothing that touches data may depend on it.
if [ -d /usr/share/i18n/locales ] && command -v localedef >/dev/null; then
  mkdir -p build/locales
  [ -d build/locales/de_DE.UTF-8 ] || localedef -i de_DE -f UTF-8 build/locales/de_DE.UTF-8 || true
  LOCPATH="$PWD/build/locales" LC_ALL=de_DE.UTF-8 \
    ctest --test-dir build/test --output-on-failure -j"$jobs"
fi

files=$(git ls-files '*.cpp' '*.h')
if [ -n "$files" ]; then
  clang-format --dry-run --Werror $files
fi
echo "All tests passed."
