#!/usr/bin/env bash
# run_long.sh [seconds]: runs every format reader's libFuzzer target from
# build-fuzz, one at a time at low priority, for 600 s each by default, on a
# persistent corpus in /tmp/fuzzlong/corpus-<format> seeded from seeds/<format>.
# Logs go to /tmp/fuzzlong/<format>.log, findings to /tmp/fuzzlong/crash-<format>-*.
# A finding does not stop the run: the next target goes on.
# Usage: bash tests/fuzz/run_long.sh [seconds] [format...]
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-600}
shift || true
formats=("$@")
# by default every format the registry lists
[ ${#formats[@]} -gt 0 ] || mapfile -t formats < <(sed -n 's/^IM_FORMAT(\([A-Z0-9]*\)).*/\L\1/p' "$top/im/imformatlist.h")
out=/tmp/fuzzlong
mkdir -p "$out"
for format in "${formats[@]}"; do
  target="$top/build-fuzz/tests/fuzz/fuzz_$format"
  [ -x "$target" ] || { echo "$format: no target" >>"$out/summary.txt"; continue; }
  corpus="$out/corpus-$format"
  mkdir -p "$corpus"
  start=$(date +%s)
  ASAN_OPTIONS=detect_leaks=1 nice -n 19 "$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -timeout=20 -print_final_stats=1 -artifact_prefix="$out/crash-$format-" "$corpus" "$top/tests/fuzz/seeds/$format" \
    >"$out/$format.log" 2>&1
  rc=$?
  end=$(date +%s)
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/$format.log" | grep -o '[0-9]*$' | tail -1)
  [ -n "$execs" ] || execs=$(grep -oE '^#[0-9]+' "$out/$format.log" | tail -1 | tr -d '#')
  echo "$format: rc=$rc seconds=$((end - start)) execs=${execs:-?}" >>"$out/summary.txt"
done
