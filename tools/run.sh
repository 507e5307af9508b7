#!/usr/bin/env bash
# Installs what is missing, builds the program, and starts varko on the
# sample project (examples/sample/varko.lua opens sample.vrk at start).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/install-deps.sh
if [ ! -f build/build.ninja ]; then
  cmake -S "$top" -B build -G Ninja
fi
cmake --build build --target varko
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${IUP_DRIVER:-}" != headless ]; then
  echo "run.sh: no display; start it from a desktop session (or under xvfb-run)" >&2
  exit 1
fi
# the predefined dialogs speak English unless the user's locale is Portuguese
case "${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}" in
  pt*) ;;
  *) export IUP_INGLES=1 ;;
esac
cd examples/sample
exec "$top/build/app/varko"
