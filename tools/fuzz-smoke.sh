#!/usr/bin/env bash
# fuzz-smoke.sh [seconds]: builds the format-reader fuzzers with clang into
# build-fuzz and runs each on its seeds for a short while (20 s by default).
# A finding stops the script; its input is left as build-fuzz/crash-<format>-*.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${1:-20}
dir=build-fuzz
if [ ! -f "$dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$dir" -G Ninja -DVARKO_FUZZ=ON -DVARKO_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$dir" --target fuzz_all
for target in "$dir"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  format=${target##*/fuzz_}
  corpus=$(mktemp -d)
  echo "fuzzing $format for $seconds s"
  ASAN_OPTIONS=detect_leaks=1 nice -n 19 "$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -artifact_prefix="$dir/crash-$format-" "$corpus" "tests/fuzz/seeds/$format" >"$dir/fuzz-$format.log" 2>&1 ||
    { tail -40 "$dir/fuzz-$format.log"; rm -rf "$corpus"; exit 1; }
  rm -rf "$corpus"
done
