#!/usr/bin/env bash
# Builds the readers' fuzz targets with clang's libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer (build/fuzz), and runs them.
#
#   tools/run-fuzz.sh TARGET|all SECONDS   fuzz each target for SECONDS, then
#                                          minimise the kept corpus
#                                          tests/fuzz/corpus/TARGET with what
#                                          grew (-merge=1: the fewest inputs
#                                          that keep all coverage)
#   tools/run-fuzz.sh --smoke              every target for a short, bounded
#                                          time on the kept corpus, which is
#                                          left unchanged (the test command)
#   tools/run-fuzz.sh --build-all          only configure and build the whole
#                                          tree, tests included: the test
#                                          command runs its tests under both
#                                          sanitizers before the smoke run
#
# Targets: json_model, dxf_drawing. A crashing input is written to
# build/fuzz/findings/TARGET/ and the script fails. The fuzzer runs nice'd on
# one core.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/generator.sh

targets=(json_model dxf_drawing)
smoke_seconds=10
# The longest input tried: the largest seed (a commented model) fits.
max_len=12000
# Seconds one input may take before it counts as a hang.
input_timeout=10

usage() {
  echo "usage: $0 TARGET|all SECONDS  or  $0 --smoke  (targets: ${targets[*]})" >&2
  exit 2
}

smoke=no
build_all=no
if [[ ${1:-} == --build-all ]]; then
  build_all=yes
  chosen=()
elif [[ ${1:-} == --smoke ]]; then
  smoke=yes
  chosen=("${targets[@]}")
  seconds=$smoke_seconds
else
  [[ $# -eq 2 ]] || usage
  [[ $2 =~ ^[0-9]+$ ]] || usage
  seconds=$2
  if [[ $1 == all ]]; then
    chosen=("${targets[@]}")
  elif [[ " ${targets[*]} " == *" $1 "* ]]; then
    chosen=("$1")
  else
    usage
  fi
fi

build=build/fuzz
cmake -S . -B "$build" $(cmake_generator "$build") -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DZERVOLA_BUILD_FUZZ=ON -DZERVOLA_WARNINGS_AS_ERRORS=ON \
  -DZERVOLA_BUILD_EXAMPLES=OFF -DZERVOLA_UNITY_BUILD=ON >/dev/null
if [[ $build_all == yes ]]; then
  cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"
  exit 0
fi
cmake --build "$build" -j 2 --target "${chosen[@]/%/_fuzz}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

for t in "${chosen[@]}"; do
  kept="tests/fuzz/corpus/$t"
  findings="$build/findings/$t"
  mkdir -p "$findings"
  if [[ $smoke == yes ]]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
  else
    work="$build/corpus/$t"
    mkdir -p "$work"
  fi
  echo "run-fuzz: $t for $seconds s"
  nice -n 10 "$build/tests/fuzz/${t}_fuzz" "$work" "$kept" -max_total_time="$seconds" \
    -max_len="$max_len" -timeout="$input_timeout" -artifact_prefix="$findings/" \
    -print_final_stats=1 2>"$build/$t.log" || {
      tail -n 40 "$build/$t.log" >&2
      echo "run-fuzz: $t found a fault; the input is in $findings/" >&2
      exit 1
    }
  grep -E '^stat::number_of_executed_units|^Done' "$build/$t.log" || true
  if [[ $smoke == yes ]]; then
    rm -rf "$work"
    trap - EXIT
  else
    # The kept corpus becomes the smallest set of the kept and the grown
    # inputs that covers every edge they cover (edges alone, not hit counts,
    # keep the set to a few hundred files).
    merged=$(mktemp -d)
    nice -n 10 "$build/tests/fuzz/${t}_fuzz" -merge=1 -use_counters=0 -max_len="$max_len" \
      "$merged" "$kept" \
      "$work" 2>"$build/$t.merge.log"
    rm -f "$kept"/*
    cp "$merged"/* "$kept"/
    rm -rf "$merged"
    echo "run-fuzz: $t kept corpus: $(ls "$kept" | wc -l) files, $(du -sk "$kept" | cut -f1) KiB"
  fi
done
echo "run-fuzz: no fault found"
