#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for SECONDS (default 60)
# on a copy of its seed corpus, printing the executions each ran. Fails when a target finds
# an input that breaks it; the input is left in build/fuzz/findings/<target>/.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(import transactions dates numbers open_folder)
build=build/fuzz
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTESSARY_FUZZ=ON -DTESSARY_TESTS=OFF -DTESSARY_QT=OFF >/dev/null
cmake --build "$build" -j"${JOBS:-1}" --target $(printf 'fuzz_%s ' "${targets[@]}")
status=0
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  findings="$build/findings/$t"
  mkdir -p "$work" "$findings"
  cp -n fuzz/corpus/"$t"/* "$work"/ 2>/dev/null || true
  log="$build/fuzz_$t.log"
  if "$build/bin/fuzz_$t" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
      -artifact_prefix="$findings/" -print_final_stats=1 "$work" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    echo "fuzz_$t: $runs executions clean in ${seconds}s"
  else
    echo "fuzz_$t: FAILED, see $log and $findings"
    tail -30 "$log"
    status=1
  fi
done
exit $status
