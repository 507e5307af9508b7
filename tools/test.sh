#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in the normal
# build and once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/install-deps.sh
jobs=$(nproc)

bash tools/build.sh build
ctest --test-dir build --output-on-failure -j "$jobs"

bash tools/build.sh build-asan -DVARKO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$top/tests/lsan.supp" \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

bash tools/fuzz-smoke.sh
