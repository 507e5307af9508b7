#!/usr/bin/env bash
# xvfb_exec.sh COMMAND [ARG...]: runs a command (a GoogleTest program of the
# GTK driver) in a private Xvfb server with a window manager.
set -u
unset IUP_DRIVER
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  for i in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
  timeout 100 "$@"
  status=$?
  kill $wm 2>/dev/null
  exit $status
' xvfb_exec "$@"
