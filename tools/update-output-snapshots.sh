#!/usr/bin/env bash
# Writes anew the kept outputs of zervola-frame (tests/data/frame-outputs)
# and its kept command-line messages (tests/data/frame-command-line/expected)
# that the output_snapshot and command_line_snapshot tests compare byte for
# byte, after a change to the outputs that is meant. Review `git diff
# tests/data` before committing: every changed line is a change that users
# see.
#
#   tools/update-output-snapshots.sh [BUILD_DIR]     (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
program="$build/cli/zervola-frame"
if [[ ! -x "$program" ]]; then
  echo "update-output-snapshots: $program is missing: build first (cmake --build $build)" >&2
  exit 2
fi
cat >"$build/update-output-snapshots.cmake" <<CMAKE
cmake_minimum_required(VERSION 3.25)
include("$PWD/tests/frame/output_snapshot_runs.cmake")
foreach(run IN LISTS ZERVOLA_OUTPUT_SNAPSHOT_RUNS)
  zervola_output_snapshot_fields("\${run}" name model arguments)
  execute_process(
    COMMAND "\${CMAKE_COMMAND}" "-DPROGRAM=$PWD/$program" "-DMODEL=$PWD/\${model}"
            "-DEXPECTED=$PWD/tests/data/frame-outputs/\${name}"
            "-DWORK_DIR=$PWD/$build/output-snapshots" "-DARGS=\${arguments}" -DUPDATE=ON
            -P "$PWD/tests/frame/output_snapshot.cmake"
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "update-output-snapshots: \${name} failed")
  endif()
endforeach()
include("$PWD/tests/frame/command_line_snapshot_runs.cmake")
foreach(run IN LISTS ZERVOLA_COMMAND_LINE_SNAPSHOT_RUNS)
  zervola_command_line_snapshot_fields("\${run}" name arguments)
  execute_process(
    COMMAND "\${CMAKE_COMMAND}" "-DPROGRAM=$PWD/$program"
            "-DDATA=$PWD/tests/data/frame-command-line" "-DNAME=\${name}"
            "-DARGS=\${arguments}" -DUPDATE=ON -P "$PWD/tests/frame/command_line_snapshot.cmake"
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "update-output-snapshots: \${name} failed")
  endif()
endforeach()
CMAKE
cmake -P "$build/update-output-snapshots.cmake"
/usr/bin/python3 tests/frame/outputs_agree.py tests/data/frame-outputs | tail -n 1
git status --short tests/data/frame-outputs tests/data/frame-command-line
