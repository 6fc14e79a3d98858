#!/usr/bin/env bash
# Cross-builds the Windows files with mingw-w64, installing what is missing:
# zervola.dll (the library) and zervola.exe (the launcher), for i686 (the
# 32-bit deliverable, stdcall) and for x86_64. The files land in
#   build/windows-<arch>/bin/zervola.dll
#   build/windows-<arch>/launcher/bin/zervola.exe
# With --test, also builds the Windows test programs and runs every Windows
# test under Wine (headless, prefix build/wineprefix). When
# ZERVOLA_NATIVE_LAUNCHER names the zervola program of a native build, its Wine
# layer is tested against the same Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

run_tests=OFF
[[ "${1:-}" == --test ]] && run_tests=ON

tools/install-deps.sh windows

jobs=$(nproc 2>/dev/null || echo 2)
prefix="$PWD/build/wineprefix"
if [[ $run_tests == ON ]]; then
  # A failed run must not leave the persistent wineserver behind.
  trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true' EXIT
fi

for arch in i686 x86_64; do
  dir="build/windows-$arch"
  native=""
  [[ $arch == i686 ]] && native="${ZERVOLA_NATIVE_LAUNCHER:-}"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DZERVOLA_WARNINGS_AS_ERRORS=ON -DZERVOLA_BUILD_EXAMPLES=$run_tests \
    -DZERVOLA_BUILD_TESTS=$run_tests -DZERVOLA_WINE_PREFIX="$prefix" \
    -DZERVOLA_NATIVE_LAUNCHER="$native" >/dev/null
  cmake --build "$dir" -j "$jobs"
  if [[ $run_tests == ON ]]; then
    (cd "$dir" && ctest --output-on-failure -j "$jobs")
  fi
done
