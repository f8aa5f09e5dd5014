#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs each on a copy of its committed
# seed corpus for a bounded time, all four at once. Any crash, sanitizer report, leak, timeout or
# broken invariant fails the run; the input that caused it is kept in build-fuzz/findings/.
#
#   fuzz/run.sh              # 60 seconds each
#   fuzz/run.sh 600          # ten minutes each
#   build-fuzz/fuzz/fuzz_plugin build-fuzz/findings/fuzz_plugin/crash-...   # replay one finding
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(fuzz_maxflow fuzz_solver fuzz_plugin fuzz_png)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pids=()
for t in "${targets[@]}"; do
  mkdir -p "$work/$t/corpus" "$work/$t/findings"
  cp fuzz/corpus/"$t"/* "$work/$t/corpus/"
  build-fuzz/fuzz/"$t" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/$t/findings/" "$work/$t/corpus" \
    >"$work/$t/log" 2>&1 &
  pids+=($!)
done

failed=0
for i in "${!targets[@]}"; do
  t=${targets[$i]}
  if wait "${pids[$i]}"; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$t/log" | grep -o '[0-9]*$' || true)
    echo "$t: no finding in ${seconds}s (${runs:-?} inputs)"
  else
    failed=1
    mkdir -p build-fuzz/findings/"$t"
    cp "$work/$t/findings/"* build-fuzz/findings/"$t"/ 2>/dev/null || true
    echo "$t: FINDING (inputs kept in build-fuzz/findings/$t)"
    tail -n 60 "$work/$t/log"
  fi
done
exit "$failed"
