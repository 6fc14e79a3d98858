#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a Release
# build with warnings as errors, and a Debug build under AddressSanitizer and
# UndefinedBehaviorSanitizer. Then cross-builds the Windows files zervola.dll
# and zervola.exe (i686 and x86_64) and tests them under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh test

jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DZERVOLA_WARNINGS_AS_ERRORS=ON \
  -DZERVOLA_BUILD_BENCH=ON
cmake --build build/release -j "$jobs"
(cd build/release && ctest --output-on-failure -j "$jobs")

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DZERVOLA_WARNINGS_AS_ERRORS=ON \
  -DZERVOLA_SANITIZE=ON
cmake --build build/sanitize -j "$jobs"
(cd build/sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")

windows_start=$SECONDS
ZERVOLA_NATIVE_LAUNCHER="$PWD/build/release/launcher/bin/zervola" tools/build-windows.sh --test
echo "windows part: $((SECONDS - windows_start)) s"

echo "all tests passed"
