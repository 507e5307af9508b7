#!/usr/bin/env bash
# export.sh VARKO[,SAMPLE_DIR]... : times the map export as PNG and as EPS of
# the sample project and of a generated 4000 x 4000 project with each varko
# binary given (say a copy of the old one and the new one), in one run. A
# binary may come with its own application scripts (an older
# examples/sample), else it runs this tree's.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$top/bench/workflow_project.py" "$work/big" 4000 4000
cp "$top/bench/export.lua" "$work/varko.lua"
for arg in "$@"; do
  binary=${arg%%,*} scripts="$top/examples/sample"
  [ "$binary" != "$arg" ] && scripts=${arg#*,}
  binary="$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")"
  rm -rf "$work/sample"
  cp -r "$scripts" "$work/sample"
  echo "$binary with $scripts"
  (cd "$work" && IUP_DRIVER=headless CDDIR="$top/tests/fonts" "$binary" 2>&1) || true
done
