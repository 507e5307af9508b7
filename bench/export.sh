#!/usr/bin/env bash
# export.sh VARKO... : times the map export as PNG and as EPS of the sample
# project and of a generated 4000 x 4000 project with each varko binary
# given (say a copy of the old one and the new one), in one run.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
binaries=()
for b in "$@"; do binaries+=("$(cd "$(dirname "$b")" && pwd)/$(basename "$b")"); done
cp -r "$top/examples/sample" "$work/sample"
/usr/bin/python3 "$top/bench/workflow_project.py" "$work/big" 4000 4000
cp "$top/bench/export.lua" "$work/varko.lua"
cd "$work"
for varko in "${binaries[@]}"; do
  echo "$varko"
  IUP_DRIVER=headless CDDIR="$top/tests/fonts" "$varko" 2>&1 || true
done
