#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test in each build
# type: Release (-O3), RelWithDebInfo, and Debug under AddressSanitizer and
# UndefinedBehaviorSanitizer; warnings are errors in all of them. Then checks
# that the library targets form no cycle and the sources are formatted, and
# fuzzes each reader of outside bytes for a short while.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/install-deps.sh
jobs=$(nproc)

bash tools/check-format.sh

bash tools/build.sh build-release -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build-release --output-on-failure -j "$jobs"

bash tools/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --graphviz=build/targets.dot build >/dev/null
/usr/bin/python3 tools/check-layers.py build/targets.dot
ctest --test-dir build --output-on-failure -j "$jobs"

bash tools/build.sh build-asan -DVARKO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$top/tests/lsan.supp" \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

bash tools/fuzz-smoke.sh
