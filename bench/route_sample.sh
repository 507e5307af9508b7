#!/usr/bin/env bash
# route_sample.sh BUILD_DIR: times a four-point route on the sample project
# (bench/route_sample.lua) and prints varko's peak memory beside it.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
varko=$(cd "$1" && pwd)/app/varko
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$top/examples/sample/sample.vrk" "$top/examples/sample/slope.png" "$top/examples/sample/slope.hdr" \
  "$top/examples/sample/themes" "$work/"
cp "$top/bench/route_sample.lua" "$work/varko.lua"
cd "$work"
IUP_DRIVER=headless /usr/bin/time -f "peak %M KiB" "$varko" 2>&1 || true
