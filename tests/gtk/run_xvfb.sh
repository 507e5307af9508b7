#!/usr/bin/env bash
# run_xvfb.sh VARKO SCRIPT [FILE...]: runs a script test of varko on the GTK
# driver, in a private Xvfb server with a window manager, driven by xdotool.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# below the test's own 120 s, so that a hang still prints what the script saw
export VARKO_TEST_TIMEOUT=100
# the Xvfb server and window manager of xvfb_exec.sh, its own bound above ours
export XVFB_EXEC_TIMEOUT=110
exec bash "$here/xvfb_exec.sh" bash "$here/../lua/run_lua_test.sh" "$@"
