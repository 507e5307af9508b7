#!/usr/bin/env bash
# run_lua_test.sh VARKO SCRIPT [FILE...]
# Runs VARKO in a fresh folder where SCRIPT is varko.lua, beside harness.lua
# and the files given (copied with their base names), killed after
# VARKO_TEST_TIMEOUT seconds (240). Passes when the
# harness's closing line reports no failure and varko exits with status 1.
set -u
varko=$1; script=$2; shift 2
here=$(cd "$(dirname "$0")" && pwd)
# text is drawn with the committed test fonts
export CDDIR=${CDDIR:-$(cd "$here/../fonts" && pwd)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$script" "$work/varko.lua"
cp "$here/harness.lua" "$work/"
for f in "$@"; do cp -r "$f" "$work/"; done
out="$work/.output"
(cd "$work" && timeout "${VARKO_TEST_TIMEOUT:-240}" "$varko") >"$out" 2>&1
status=$?
cat "$out"
if [ "$status" -ne 1 ]; then
  echo "varko ended with status $status, expected 1"
  exit 1
fi
if ! grep -Eq '^lua: [0-9]+ passed, 0 failed$' "$out"; then
  echo "the script did not report a clean run"
  exit 1
fi
exit 0
