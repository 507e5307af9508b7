#!/usr/bin/env bash
# Installs the Debian packages the project needs, and only what is missing:
# `apt-get update` runs only when something has to be installed.
#   install-deps.sh          build and test dependencies
# Later parts of the project add their packages to the lists below.
set -euo pipefail

build_packages=(
  build-essential cmake ninja-build pkg-config git
  liblua5.4-dev libtiff-dev libjpeg-dev libpng-dev libfreetype-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-liberation
  libgtk-3-dev
  libcairo2-dev
  libgdal-dev
)
test_packages=(
  python3 python3-pil python3-numpy python3-skimage imagemagick netpbm
  xvfb xauth openbox xdotool
  clang-format
  ghostscript poppler-utils python3-ezdxf python3-matplotlib gdal-bin libwmf-bin xclip
  libreoffice-draw libreoffice-impress
  plotutils inkscape
)

missing=()
for package in "${build_packages[@]}" "${test_packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
