#!/usr/bin/env bash
# Installs, through apt-get, the Debian packages that are missing for the given
# purpose: "build" (compilers, CMake), "test" (build plus GoogleTest and
# Google Benchmark). Installed packages are left alone.
set -euo pipefail

purpose="${1:-build}"
packages=(g++ gcc cmake make binutils)
if [[ "$purpose" == test ]]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev)
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
