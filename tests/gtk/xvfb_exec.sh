#!/usr/bin/env bash
# xvfb_exec.sh COMMAND [ARG...]: runs a command (a GoogleTest program of the
# GTK driver) in a private Xvfb server with a window manager.
set -u
unset IUP_DRIVER
# the file chooser keeps its settings in memory: no session bus here
export GSETTINGS_BACKEND=memory
# text on canvases is drawn with the committed test fonts
export CDDIR=${CDDIR:-$(cd "$(dirname "$0")/../fonts" && pwd)}
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  # on a loaded machine openbox can take seconds; keys like alt+F4 need it
  wm_up=0
  for i in $(seq 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && { wm_up=1; break; }
    sleep 0.1
  done
  [ $wm_up = 1 ] || echo "openbox did not start within 30 s"
  timeout "${XVFB_EXEC_TIMEOUT:-100}" "$@"
  status=$?
  kill $wm 2>/dev/null
  exit $status
' xvfb_exec "$@"
