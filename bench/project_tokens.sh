#!/usr/bin/env bash
# project_tokens.sh [BUILD_DIR]: speed of the project files' token check
# against Lua's own `load` of the same texts (bench/project_tokens.lua), on
# texts of 1, 16 (the largest project file) and 64 MB (PROJECT_TOKENS_MB="1 64"
# chooses others).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
varko=$(cd "${1:-$top/build}" && pwd)/app/varko
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$top/examples/sample" "$work/sample"
cp "$top/bench/project_tokens.lua" "$work/varko.lua"
cd "$work"
IUP_DRIVER=headless CDDIR="$top/tests/fonts" "$varko" 2>&1 || true
