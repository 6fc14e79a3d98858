#!/usr/bin/env bash
# The main job: installs what is missing, builds the library and zervola-frame,
# and analyses the bundled example (a three-storey space frame with two load
# cases), printing the report and writing the drawing build/example/office_frame.svg.
# Extra arguments go to zervola-frame (for example --summary, --moments).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh build

cmake -S . -B build/example -DCMAKE_BUILD_TYPE=Release -DZERVOLA_BUILD_TESTS=OFF >/dev/null
cmake --build build/example -j "$(nproc 2>/dev/null || echo 2)" --target zervola-frame >/dev/null
build/example/host/zervola-frame examples/office_frame.json \
  --svg build/example/office_frame.svg --json build/example/office_frame.json \
  --csv build/example/tables "$@"
echo "drawing written to build/example/office_frame.svg (results: build/example/office_frame.json, build/example/tables/)" >&2
