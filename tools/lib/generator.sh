# Sourced by the build scripts.
#
# cmake_generator DIR: prints the CMake generator option for a build tree:
# Ninja when it is installed and DIR is configured for the first time (it
# keeps a tree's two cores busy across targets, where make's per-target
# passes leave one idle); nothing otherwise, since a tree keeps the
# generator it was made with.
cmake_generator() {
  if [[ ! -f "$1/CMakeCache.txt" ]] && command -v ninja >/dev/null 2>&1; then
    echo "-GNinja"
  fi
}
