#!/usr/bin/env bash
# route_check.sh BUILD_DIR: the routes of the benchmark projects (both sizes,
# steps 1 to 7, radii 1 to 10, flat and with slope data) and of the sample
# project must be the ones in bench/route_digests.txt, written by the search
# before its move pricing was rewritten. Takes a few minutes (4000 x 4000
# searches); not part of CTest.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
got=$(mktemp)
trap 'rm -f "$got"' EXIT
"$build/bench/bench_route" --route-digests >"$got"
"$here/route_sample.sh" "$build" | grep -E '^sample [0-9]+ [0-9]+ ' >>"$got"
if diff -u "$here/route_digests.txt" "$got"; then
  echo "all $(wc -l <"$got") route sets as before"
else
  echo "routes differ from bench/route_digests.txt"
  exit 1
fi
