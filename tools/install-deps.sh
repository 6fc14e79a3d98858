#!/usr/bin/env bash
# Installs, through apt-get, the Debian packages that are missing for the given
# purpose:
#   build    compilers, CMake (and, optionally, Ninja) and the libraries of
#            zervola-frame
#   python   build, plus Debian's Python with pybind11, numpy, setuptools, venv
#            and pip: what `pip install --no-build-isolation --no-index .`
#            needs (tools/install-python.sh)
#   test     build and python, plus pytest and Dask's distributed scheduler
#            (the package's tests and examples), GoogleTest, Google
#            Benchmark, the SVG renderer and PNG reader of the drawing test,
#            LAPACK (the dense reference of the eigensolvers' tests), and clang's
#            libFuzzer for the readers' fuzz targets; optionally three.js
#            (libjs-three, which the 3D view of --html inlines, found when
#            zervola is configured) and Chromium (the 3D view's browser test,
#            skipped without either)
#   windows  the mingw-w64 cross compilers and Wine; the 32-bit Wine
#            (wine32:i386, on the i386 architecture) is optional
# Installed packages are left alone. A package index that fails to update (a
# mirror in mid-sync) is a warning: the other indexes still serve. Every
# install is tried three times. Optional packages are installed one at a time
# after the required ones, so that one that cannot be installed blocks
# nothing; the script says which are missing and still succeeds.
#
# apt's own output goes to build/install-deps.log; the terminal (standard
# error) gets one line per step. Exit status: 0 when every required package is
# installed, 1 otherwise.
#
# ZERVOLA_INSTALL_RETRY_PAUSE sets the pause between tries in seconds (5),
# ZERVOLA_INSTALL_LOG the log file.
set -uo pipefail
cd "$(dirname "$0")/.."

purpose="${1:-build}"
required=(g++ gcc cmake make binutils pkg-config)
# Ninja builds the trees faster; without it the scripts use make.
optional=(ninja-build)
# zervola-frame: JSON, command line, formatting.
required+=(nlohmann-json3-dev libcli11-dev libfmt-dev)
# The nested dissection of large frames' nodes.
required+=(libmetis-dev)
# The Python package: Debian's own Python (/usr/bin/python3) with the build
# backend (setuptools, wheel), the bindings and numpy.
python_package=(python3 python3-dev python3-venv python3-pip python3-setuptools python3-wheel
                pybind11-dev python3-pybind11 python3-numpy)
case "$purpose" in
  build) ;;
  python) required+=("${python_package[@]}") ;;
  test)
    required+=("${python_package[@]}" python3-pytest python3-distributed python3-matplotlib)
    required+=(libgtest-dev libgmock-dev libbenchmark-dev librsvg2-bin libpng-dev python3)
    # The dense reference of the eigensolvers' tests.
    required+=(liblapack-dev)
    required+=(clang libclang-rt-dev)
    # The DXF drawings read back and rendered by an independent reader.
    required+=(python3-ezdxf)
    # The 3D view's three.js and its headless browser check (python3, above,
    # runs it): optional, since the check is skipped without them.
    optional+=(libjs-three chromium)
    # CHOLMOD and OpenBLAS (libsuitesparse-dev, libopenblas-dev), the solver
    # benchmark's reference, are not installed here: no test needs them, and
    # OpenBLAS would become the BLAS of every test. Install them by hand to
    # benchmark.
    ;;
  windows)
    required=(cmake make binutils g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 wine wine64)
    optional=(ninja-build wine32:i386)
    ;;
  *)
    echo "install-deps: unknown purpose '$purpose' (build, python, test or windows)" >&2
    exit 2
    ;;
esac

log="${ZERVOLA_INSTALL_LOG:-$PWD/build/install-deps.log}"
mkdir -p "$(dirname "$log")"
pause="${ZERVOLA_INSTALL_RETRY_PAUSE:-5}"
tries=3

say() { echo "install-deps: $*" >&2; }

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing_of() {
  local p
  for p in "$@"; do is_installed "$p" || echo "$p"; done
}

as_root=()
[[ $(id -u) -ne 0 ]] && as_root=(sudo)

updated=no
update_indexes() {
  echo "=== apt-get update" >>"$log"
  if "${as_root[@]}" apt-get update -o Acquire::Retries=3 >>"$log" 2>&1; then
    say "package indexes updated"
  else
    # apt still uses every index that did update; what the failed one would
    # have offered shows up below as a package that cannot be installed.
    say "warning: some package indexes failed to update (see $log); going on with the others"
  fi
  updated=yes
}

# install_with_retries PACKAGE...: three tries, the indexes refreshed before a retry.
install_with_retries() {
  local try
  for ((try = 1; try <= tries; try++)); do
    echo "=== apt-get install (try $try): $*" >>"$log"
    if DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends \
         -o Acquire::Retries=3 "$@" >>"$log" 2>&1; then
      return 0
    fi
    if ((try < tries)); then
      say "install of $* failed (try $try of $tries); retrying in ${pause} s"
      sleep "$pause"
      update_indexes
    fi
  done
  return 1
}

show_log_tail() {
  echo "---- last lines of $log ----" >&2
  tail -n 15 "$log" >&2
  echo "----" >&2
}

mapfile -t missing_required < <(missing_of "${required[@]}")
mapfile -t missing_optional < <(missing_of ${optional[@]+"${optional[@]}"})
if ((${#missing_required[@]} == 0 && ${#missing_optional[@]} == 0)); then
  exit 0
fi
: >"$log"

if ((${#missing_optional[@]} > 0)) && [[ " ${missing_optional[*]} " == *":i386 "* ]] &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386 >>"$log" 2>&1 && say "added the i386 architecture"
fi

update_indexes

status=0
if ((${#missing_required[@]} > 0)); then
  say "installing (${purpose}): ${missing_required[*]}"
  if install_with_retries "${missing_required[@]}"; then
    say "installed: ${missing_required[*]}"
  else
    mapfile -t still < <(missing_of "${missing_required[@]}")
    say "error: required packages could not be installed: ${still[*]}"
    show_log_tail
    say "what to do: check the network and the sources in /etc/apt/sources.list*, then run '$0 $purpose' again (apt-get update must reach Debian's main index)"
    status=1
  fi
fi

unavailable=()
for p in ${missing_optional[@]+"${missing_optional[@]}"}; do
  say "installing optional package: $p"
  if install_with_retries "$p"; then
    say "installed: $p"
  else
    unavailable+=("$p")
  fi
done
if ((${#unavailable[@]} > 0)); then
  say "warning: optional packages not installed: ${unavailable[*]} (the tests that need them are skipped; see $log)"
  show_log_tail
fi
exit "$status"
