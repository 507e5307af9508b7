#!/usr/bin/env bash
# run_xvfb.sh VARKO SCRIPT [FILE...]: runs a script test of varko on the GTK
# driver, in a private Xvfb server with a window manager, driven by xdotool.
set -u
here=$(cd "$(dirname "$0")" && pwd)
unset IUP_DRIVER
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  for i in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
  bash "$0" "$@"
  status=$?
  kill $wm 2>/dev/null
  exit $status
' "$here/../lua/run_lua_test.sh" "$@"
