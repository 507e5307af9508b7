#!/usr/bin/env bash
# workflow.sh BUILD_DIR: times a user's steps (open, combined theme, a
# four-point route, analysis, redraws after zoom and pan, exports) on the
# sample project and on a generated 4000 x 4000 project of six themes.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
varko=$(cd "$1" && pwd)/app/varko
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$top/examples/sample" "$work/sample"
/usr/bin/python3 "$top/bench/workflow_project.py" "$work/big" 4000 4000
cp "$top/bench/workflow.lua" "$work/varko.lua"
cd "$work"
IUP_DRIVER=headless CDDIR="$top/tests/fonts" "$varko" 2>&1 || true
