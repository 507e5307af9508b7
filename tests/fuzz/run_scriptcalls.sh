#!/usr/bin/env bash
# run_scriptcalls.sh [seconds] [varko]: runs the script-call fuzzer again and
# again, one seed after another (from 1), each run for at most 60 s, until
# the time is up (1800 s by default), with the sanitizer build's varko
# (build-asan/app/varko by default). Each run's log of calls is kept in
# /tmp/scriptcalls/ only when the run fails; summary.txt has one line a run
# (seed, status, calls, peak memory) and the totals.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-1800}
varko=$(realpath "${2:-$top/build-asan/app/varko}")
out=/tmp/scriptcalls
mkdir -p "$out"
: >"$out/summary.txt"
start=$(date +%s)
seed=0 failed=0 total_calls=0
while [ $(($(date +%s) - start)) -lt "$seconds" ]; do
  seed=$((seed + 1))
  left=$((seconds - ($(date +%s) - start)))
  run_seconds=$((left < 60 ? left : 60))
  [ "$run_seconds" -ge 5 ] || break
  log="$out/calls-$seed.log"
  VARKO_FUZZ_SEED=$seed VARKO_FUZZ_CALLS=100000000 VARKO_FUZZ_SECONDS=$run_seconds VARKO_FUZZ_LOG="$log" \
    VARKO_TEST_TIMEOUT=$((run_seconds + 120)) IUP_DRIVER=headless \
    /usr/bin/time -f "%M" -o "$out/rss-$seed.txt" \
    bash "$top/tests/lua/run_lua_test.sh" "$varko" "$top/tests/fuzz/scriptcalls.lua" >"$out/run-$seed.txt" 2>&1
  status=$?
  if grep -q "varko ended with status 12[67]" "$out/run-$seed.txt"; then
    echo "cannot run $varko" | tee -a "$out/summary.txt"
    exit 2
  fi
  calls=$(grep -o '^fuzz: [0-9]*' "$out/run-$seed.txt" | grep -o '[0-9]*$')
  total_calls=$((total_calls + ${calls:-0}))
  echo "seed $seed: status $status, ${calls:-?} calls, peak $(tail -1 "$out/rss-$seed.txt") KB" >>"$out/summary.txt"
  if [ "$status" -eq 0 ]; then
    rm -f "$log" "$out/run-$seed.txt"
  else
    failed=$((failed + 1))
  fi
  rm -f "$out/rss-$seed.txt"
done
echo "total: $seed runs, $failed failed, $total_calls calls in $(($(date +%s) - start)) s" >>"$out/summary.txt"
tail -1 "$out/summary.txt"
[ "$failed" -eq 0 ]
