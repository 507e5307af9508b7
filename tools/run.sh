#!/usr/bin/env bash
# Installs what is missing, builds, and starts varko on the sample project.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/install-deps.sh
bash tools/build.sh build
cd examples/sample
exec "$top/build/app/varko"
