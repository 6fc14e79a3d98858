#!/usr/bin/env bash
# Installs a build into a scratch prefix, moves the build tree aside (so that
# nothing can be found in it any more), and builds and runs against the
# installed prefix alone:
#   - the consumer project of tests/install/consumer (find_package(zervola)):
#     a C program calling an export, a C++ program analysing a model;
#   - the same C program compiled with pkg-config's flags;
#   - the installed zervola-frame, whose report must equal the C++ program's
#     and the kept report of the example, and which finds the catalogue and
#     the 3D view's files beside the installed library;
#   - the installed launcher, present and executable.
# The build tree is moved back however the test ends.
#
#   tests/install/install_test.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/zervola-install-test.XXXXXX")
moved="$build.moved-by-install-test"
restore() {
  if [[ -d "$moved" ]]; then mv "$moved" "$build"; fi
  rm -rf "$scratch"
}
trap restore EXIT
fail() { echo "install test: FAILED: $*" >&2; exit 1; }

prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log"
for f in bin/zervola-frame bin/zervola lib/libzervola.so include/zervola.h lib/libzervola_frame.so \
  include/zervola/frame.hpp include/zervola/frame/model.hpp lib/cmake/zervola/zervolaConfig.cmake \
  lib/pkgconfig/zervola.pc share/zervola/sections/eu_ipe.csv share/zervola/sections/README.md \
  share/zervola/viewer/viewer.html share/zervola/viewer/viewer.js; do
  [[ -e "$prefix/$f" ]] || fail "$f was not installed"
done
echo "installed into $prefix:"
(cd "$prefix" && find . -type f -o -type l | sort | sed 's/^\.\//  /')

mv "$build" "$moved"
if grep -rlF "$build" "$prefix" >"$scratch/naming-build.txt"; then
  fail "installed files name the build tree: $(head -3 "$scratch/naming-build.txt")"
fi

# The package, from a project that knows only the prefix.
cmake -S "$root/tests/install/consumer" -B "$scratch/consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_BUILD_TYPE=Release >"$scratch/consumer-configure.log" 2>&1 ||
  { cat "$scratch/consumer-configure.log" >&2; fail "the consumer project did not configure"; }
cmake --build "$scratch/consumer" >"$scratch/consumer-build.log" 2>&1 ||
  { cat "$scratch/consumer-build.log" >&2; fail "the consumer project did not build"; }
"$scratch/consumer/local_axes" || fail "the C program's call of MATRIXCOS3P"

# pkg-config, for the C library.
PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --exists zervola || fail "pkg-config finds no zervola"
# shellcheck disable=SC2046
cc -o "$scratch/local_axes_pc" "$root/tests/install/consumer/local_axes.c" \
  $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs zervola) -lm \
  -Wl,-rpath,"$prefix/lib" || fail "the C program did not build with pkg-config's flags"
"$scratch/local_axes_pc" >/dev/null || fail "the pkg-config build's call of MATRIXCOS3P"

# The C++ API and the installed program give the kept report.
expected="$root/tests/data/frame-outputs/loaded_portal/report.txt"
(cd "$root/examples" && "$scratch/consumer/analyse_portal" loaded_portal.json) >"$scratch/api.txt" ||
  fail "the C++ program could not analyse the example"
(cd "$root/examples" && "$prefix/bin/zervola-frame" loaded_portal.json) >"$scratch/program.txt" ||
  fail "the installed zervola-frame could not analyse the example"
cmp "$scratch/api.txt" "$expected" || fail "the C++ API's report differs from the kept one"
cmp "$scratch/program.txt" "$expected" || fail "the installed program's report differs from the kept one"
[[ -x "$prefix/bin/zervola" ]] || fail "the launcher is not an installed program"

# The catalogue is found beside the installed library, with no path given.
"$prefix/bin/zervola-frame" --sections "IPE 300" >"$scratch/sections.txt" ||
  fail "the installed zervola-frame could not list the catalogue"
grep -qF "$prefix/share/zervola/sections" "$scratch/sections.txt" ||
  fail "the installed program read the catalogue elsewhere: $(head -1 "$scratch/sections.txt")"

# So are the 3D view's files, when the build found three.js.
if [[ -e "$prefix/share/zervola/viewer/three.min.js" ]]; then
  (cd "$root/examples" && "$prefix/bin/zervola-frame" loaded_portal.json -q --html "$scratch/portal.html") ||
    fail "the installed zervola-frame could not write the 3D view"
  grep -qF 'id="zervola-view">{"format":"zervola-view"' "$scratch/portal.html" ||
    fail "the installed program's 3D view holds no data"
fi

echo "install test: passed (the build tree was moved aside throughout)"
