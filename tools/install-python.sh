#!/usr/bin/env bash
# Installs the Python package zervola into a virtual environment, offline,
# from Debian's packages alone: installs what is missing (install-deps.sh
# python), makes the environment with Debian's Python (/usr/bin/python3,
# whatever python3 comes first on PATH) over its system site-packages, where
# numpy and pybind11 are, and runs
#   pip install --no-build-isolation --no-index .
# in it, which builds the module through the project's CMake (setup.py).
#
#   tools/install-python.sh [VENV]      VENV: the environment (default .venv)
#
# ZERVOLA_BUILD_DIR: an existing CMake build tree to build the module in
# (see setup.py). Exit status: pip's, or 1 when the packages are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
venv="${1:-.venv}"
debian_python=/usr/bin/python3

tools/install-deps.sh python
if [[ ! -x "$venv/bin/python" ]]; then
  "$debian_python" -m venv --system-site-packages "$venv"
fi
"$venv/bin/pip" install --no-build-isolation --no-index --no-deps --no-cache-dir \
  --force-reinstall . >&2
echo "zervola installed in $venv: $venv/bin/python -c 'import zervola'" >&2
