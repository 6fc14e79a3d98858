#!/usr/bin/env bash
# Installs what is missing (the Windows packages in the background while the
# native builds compile), then builds and runs every test twice: a Release
# build with warnings as errors (then installed into a scratch prefix, against
# which a consumer project is built with the build tree moved aside), and a
# clang build under AddressSanitizer and UndefinedBehaviorSanitizer, which
# also holds the readers' fuzz targets (libFuzzer): its tests run, then a
# short run of the fuzz targets. One sanitized tree rather than two saves a
# whole build. The Python package is built
# from the Release tree, installed by pip into a virtual environment over
# Debian's Python, and tested with pytest. Then cross-builds the Windows
# files zervola.dll and zervola.exe (i686 and x86_64) and tests them, under Wine where the
# machine's Wine can run them. Prints the time of each phase, and at the end
# every group of tests that could not run and why. Exits 0 only when every
# test that could run passed.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/generator.sh

jobs=$(nproc 2>/dev/null || echo 2)
phases=()
phase_start=$SECONDS
# end_phase NAME: records the time since the previous phase ended.
end_phase() {
  local seconds=$((SECONDS - phase_start))
  phases+=("$(printf '%-32s %5d s' "$1" "$seconds")")
  echo "== $1: ${seconds} s" >&2
  phase_start=$SECONDS
}

tools/install-deps.sh test
end_phase "install (native)"

# The Windows packages download and unpack while the native builds compile:
# on a fresh machine that is minutes of waiting on the network and the disk.
# The Windows phase waits for it and then asks install-deps again, which
# reports whatever is still missing.
mkdir -p build
windows_install_output=build/install-deps-windows.out
ZERVOLA_INSTALL_LOG="$PWD/build/install-deps-windows.log" tools/install-deps.sh windows \
  >"$windows_install_output" 2>&1 &
windows_install=$!

cmake -S . -B build/release $(cmake_generator build/release) -DCMAKE_BUILD_TYPE=Release -DZERVOLA_WARNINGS_AS_ERRORS=ON \
  -DZERVOLA_BUILD_BENCH=ON -DZERVOLA_BUILD_PYTHON=ON -DZERVOLA_UNITY_BUILD=ON
cmake --build build/release -j "$jobs"
end_phase "release build"
(cd build/release && ctest --output-on-failure -j "$jobs")
end_phase "release tests"
tests/install/install_test.sh build/release
end_phase "install test"

# The package as a user installs it (pip, offline, Debian's Python), its
# module built in the Release tree above rather than compiled again.
ZERVOLA_BUILD_DIR="$PWD/build/release" ZERVOLA_BUILD_JOBS="$jobs" \
  tools/install-python.sh build/python-venv
ZERVOLA_FRAME_PROGRAM="$PWD/build/release/cli/zervola-frame" \
  build/python-venv/bin/python -m pytest -q -p no:cacheprovider tests/python
end_phase "python package (install, tests)"

tools/run-fuzz.sh --build-all
end_phase "sanitizer build (clang)"
(cd build/fuzz && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")
end_phase "sanitizer tests"

tools/run-fuzz.sh --smoke
end_phase "fuzz targets (smoke run)"

wait "$windows_install" || true
cat "$windows_install_output" >&2
end_phase "windows install (waiting)"

ZERVOLA_NATIVE_LAUNCHER="$PWD/build/release/launcher/bin/zervola" tools/build-windows.sh --test
end_phase "windows (build, tests)"

echo
echo "phase times:"
printf '  %s\n' "${phases[@]}"
printf '  %-32s %5d s\n' total "$SECONDS"
if [[ -s build/windows-skipped.txt ]]; then
  echo
  echo "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"
  sed 's/^/!!! /' build/windows-skipped.txt
  echo "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"
  echo "all tests that could run passed"
else
  echo "all tests passed"
fi
