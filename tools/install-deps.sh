#!/usr/bin/env bash
# Installs, through apt-get, the Debian packages that are missing for the given
# purpose: "build" (compilers, CMake, the libraries of zervola-frame), "test"
# (build plus GoogleTest, Google Benchmark, and the SVG renderer and PNG reader
# of the drawing test), "windows" (the mingw-w64 cross compilers and Wine, with
# its 32-bit part, which needs the i386 architecture). Installed packages are
# left alone.
set -euo pipefail

purpose="${1:-build}"
packages=(g++ gcc cmake make binutils pkg-config)
# zervola-frame: JSON, command line, formatting, DXF drawings.
packages+=(nlohmann-json3-dev libcli11-dev libfmt-dev libdxflib-dev)
if [[ "$purpose" == test ]]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev)
  packages+=(librsvg2-bin libpng-dev clang libclang-rt-dev)
fi
if [[ "$purpose" == windows ]]; then
  packages=(cmake make binutils g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
            wine wine64 wine32:i386)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
echo "installing: ${missing[*]}" >&2
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
