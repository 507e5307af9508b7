#!/usr/bin/env bash
# make_every_element.sh VARKO: refreshes the reference picture
# tests/gtk/every_element.png of a dialog holding every element kind.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
VARKO_SHOT="$here/every_element.png" bash "$here/run_xvfb.sh" "$1" "$here/every_element.lua" "$here/xinput.lua"
