#!/bin/bash
# Installs the peers (not part of CI) and runs bench/route_peer.py.
# Usage: bench/route_peer.sh <build dir> [size]
set -e
sudo apt-get install -y --no-install-recommends python3-skimage time || true
sudo apt-get install -y --no-install-recommends grass-core || echo "grass-core could not be installed"
nice -n 19 python3 "$(dirname "$0")/route_peer.py" "$@"
