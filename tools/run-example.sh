#!/usr/bin/env bash
# The main job: installs what is missing, builds the library and zervola-frame,
# and analyses the bundled example (a three-storey space frame with two load
# cases), printing the report and writing the drawing build/example/office_frame.svg.
# Extra arguments go to zervola-frame (for example --summary, --moments).
# Standard output carries the report alone; installing and building say one
# line each on standard error and keep their output in build/example-build.log.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh build

mkdir -p build
log="$PWD/build/example-build.log"
echo "building zervola-frame (log: build/example-build.log)" >&2
if ! { cmake -S . -B build/example -DCMAKE_BUILD_TYPE=Release -DZERVOLA_BUILD_TESTS=OFF &&
       cmake --build build/example -j "$(nproc 2>/dev/null || echo 2)" --target zervola-frame; } \
     >"$log" 2>&1; then
  echo "the build failed; the last lines of $log:" >&2
  tail -n 30 "$log" >&2
  exit 1
fi
build/example/cli/zervola-frame examples/office_frame.json \
  --svg build/example/office_frame.svg --json build/example/office_frame.json \
  --csv build/example/tables "$@"
echo "drawing written to build/example/office_frame.svg (results: build/example/office_frame.json, build/example/tables/)" >&2
