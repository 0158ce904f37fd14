#!/usr/bin/env bash
# Installs what is missing, builds Tessary and starts it on its default data folder (CU1).
# Extra arguments go to the program (a data folder name, "patch" or "trainer").
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)"
exec build/release/bin/tessary "$@"
