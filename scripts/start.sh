#!/usr/bin/env bash
# Installs what is missing, builds Tessary and starts it on its default data folder (CU1).
# Extra arguments go to the program (a data folder name, "patch" or "trainer"); "--demo"
# instead starts it on the demonstration co-operative DEMO, made first when it is not there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)"
if [ "${1:-}" = "--demo" ]; then
  [ -e build/release/bin/DEMO/sys.d32 ] || build/release/bin/tessary-gen --demo build/release/bin/DEMO
  exec build/release/bin/tessary DEMO
fi
exec build/release/bin/tessary "$@"
