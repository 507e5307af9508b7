#!/bin/bash
# Installs the peers (not part of CI) and runs bench/route_peer.py.
# Usage: bench/route_peer.sh <build dir> [size]
set -e
# root (as in the build containers) has no sudo and needs none; the Debian
# python3 is the one the packages serve, whatever python3 is first on PATH
SUDO=sudo; [ "$(id -u)" = 0 ] && SUDO=
$SUDO apt-get install -y --no-install-recommends python3-skimage time || true
$SUDO apt-get install -y --no-install-recommends grass-core || echo "grass-core could not be installed"
nice -n 19 /usr/bin/python3 "$(dirname "$0")/route_peer.py" "$@"
