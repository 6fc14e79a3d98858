#!/usr/bin/env bash
# Installs what is missing, builds the library, and runs the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh build

cmake -S . -B build/example -DCMAKE_BUILD_TYPE=Release -DZERVOLA_BUILD_TESTS=OFF >/dev/null
cmake --build build/example -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
build/example/examples/three_bar_frame
