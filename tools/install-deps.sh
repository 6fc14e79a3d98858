#!/usr/bin/env bash
# Installs, through apt-get, the Debian packages that are missing for the given
# purpose: "build" (compilers, CMake, the libraries of zervola-frame), "test"
# (build plus GoogleTest, Google Benchmark, and the SVG renderer and PNG reader
# of the drawing test). Installed packages are left alone.
set -euo pipefail

purpose="${1:-build}"
packages=(g++ gcc cmake make binutils pkg-config)
# zervola-frame: JSON, command line, formatting, DXF drawings.
packages+=(nlohmann-json3-dev libcli11-dev libfmt-dev libdxflib-dev)
if [[ "$purpose" == test ]]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev)
  packages+=(librsvg2-bin libpng-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
echo "installing: ${missing[*]}" >&2
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
