#!/usr/bin/env bash
# Cross-builds the Windows files with mingw-w64, installing what is missing:
# zervola.dll (the library) and zervola.exe (the launcher), for i686 (the
# 32-bit deliverable, stdcall) and for x86_64. The files land in
#   build/windows-<arch>/bin/zervola.dll
#   build/windows-<arch>/launcher/bin/zervola.exe
# With --test, also builds the Windows test programs and runs every Windows
# test: the static checks of the PE files always, the programs under Wine
# (headless, prefix build/wineprefix) where this machine's Wine can run them.
# Without a 32-bit Wine the i686 programs are built and checked statically but
# not run; the reason is written to build/windows-skipped.txt and said loudly.
# When ZERVOLA_NATIVE_LAUNCHER names the zervola program of a native build,
# its Wine layer is tested against the same Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/generator.sh

run_tests=OFF
[[ "${1:-}" == --test ]] && run_tests=ON

tools/install-deps.sh windows

jobs=$(nproc 2>/dev/null || echo 2)
prefix="$PWD/build/wineprefix"
skipped="$PWD/build/windows-skipped.txt"
rm -f "$skipped"
if [[ $run_tests == ON ]]; then
  # A failed run must not leave the persistent wineserver behind.
  trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true' EXIT
fi

# wine_cannot_run ARCH: says why this machine's Wine cannot run programs of
# ARCH, or fails when it can. Debian's wine command falls back to the 64-bit
# loader when the 32-bit one is missing, and a 32-bit program then does
# nothing and exits 0, so the loader itself is asked.
wine_cannot_run() {
  local loader=/usr/lib/wine/wine package=wine32:i386 error
  [[ $1 == x86_64 ]] && loader=/usr/lib/wine/wine64 package=wine64
  if [[ ! -x $loader ]]; then
    echo "$package is not installed (see build/install-deps.log)"
  elif ! error=$("$loader" --version 2>&1 >/dev/null); then
    echo "its loader $loader does not run here: ${error##*: }"
  else
    return 1
  fi
}

# The native launcher's Wine layer is tested in the first build whose Wine runs.
native_pending="${ZERVOLA_NATIVE_LAUNCHER:-}"
for arch in i686 x86_64; do
  start=$SECONDS
  dir="build/windows-$arch"
  native=""
  wine_tests=$run_tests
  if [[ $run_tests == ON ]] && reason=$(wine_cannot_run "$arch"); then
    wine_tests=OFF
    echo "SKIPPED: the $arch tests under Wine, because $reason; the $arch files were built" \
         "and checked statically only" | tee -a "$skipped" >&2
  elif [[ $run_tests == ON ]]; then
    native="$native_pending"
    native_pending=""
  fi
  cmake -S . -B "$dir" $(cmake_generator "$dir") -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DZERVOLA_WARNINGS_AS_ERRORS=ON -DZERVOLA_BUILD_EXAMPLES=$run_tests \
    -DZERVOLA_BUILD_TESTS=$run_tests -DZERVOLA_WINE_TESTS=$wine_tests -DZERVOLA_WINE_PREFIX="$prefix" \
    -DZERVOLA_NATIVE_LAUNCHER="$native" >/dev/null
  cmake --build "$dir" -j "$jobs"
  if [[ $run_tests == ON ]]; then
    (cd "$dir" && ctest --output-on-failure -j "$jobs")
  fi
  echo "windows $arch: $((SECONDS - start)) s"
done
