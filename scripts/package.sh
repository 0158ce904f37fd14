#!/usr/bin/env bash
# Installs what is missing, builds Tessary for use and makes its Debian package,
# build/package/tessary_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DTESSARY_TESTS=OFF >/dev/null
cmake --build build/package -j"$(nproc)"
(cd build/package && cpack)
ls build/package/tessary_*.deb
