#!/usr/bin/env bash
# Runs tools/install-deps.sh against a stand-in apt-get, dpkg and dpkg-query
# on PATH, with the faults a fresh machine meets: an index that fails to
# update, an optional package that cannot be installed, an install that fails
# on its first try, a required package that cannot be installed at all.
# Usage: install_deps_test.sh PROJECT_DIR
set -uo pipefail
project="$1"
script="$project/tools/install-deps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The stand-ins keep their state in $FAKE_APT: "installed" (one package a
# line), "refuse" (packages apt-get cannot install), "fail_first" (fail this
# many install calls before obeying), "calls" (every apt-get call).
mkdir -p "$work/bin"
cat >"$work/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_APT/calls"
case "$1" in
  update)
    echo "Get:1 http://deb.debian.org/debian bookworm InRelease"
    if [[ -e "$FAKE_APT/update_fails" ]]; then
      echo "E: Failed to fetch http://security.debian.org/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1234 != 5678). Mirror sync in progress?"
      exit 100
    fi
    exit 0 ;;
  install)
    if [[ -s "$FAKE_APT/fail_first" ]] && (( $(cat "$FAKE_APT/fail_first") > 0 )); then
      echo $(( $(cat "$FAKE_APT/fail_first") - 1 )) >"$FAKE_APT/fail_first"
      echo "E: Failed to fetch http://deb.debian.org/debian/pool/main/x.deb  Connection timed out"
      exit 100
    fi
    packages=()
    for a in "$@"; do [[ $a == -* || $a == install || $a == Acquire::* ]] || packages+=("$a"); done
    for p in "${packages[@]}"; do
      if grep -qx "$p" "$FAKE_APT/refuse" 2>/dev/null; then
        echo "E: Unable to correct problems, you have held broken packages."
        echo "The following packages have unmet dependencies: $p"
        exit 100
      fi
    done
    printf '%s\n' "${packages[@]}" >>"$FAKE_APT/installed"
    exit 0 ;;
esac
exit 0
FAKE
cat >"$work/bin/dpkg-query" <<'FAKE'
#!/usr/bin/env bash
p="${!#}"
if grep -qx "$p" "$FAKE_APT/installed" 2>/dev/null; then
  printf 'install ok installed'
  exit 0
fi
exit 1
FAKE
cat >"$work/bin/dpkg" <<'FAKE'
#!/usr/bin/env bash
case "$1" in
  --print-foreign-architectures) cat "$FAKE_APT/architectures" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$FAKE_APT/architectures" ;;
esac
exit 0
FAKE
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/"*

# run_case NAME: fresh state in $work/NAME; the script's stderr in $out, status in $rc.
run_case() {
  export FAKE_APT="$work/$1"
  mkdir -p "$FAKE_APT"
  : >"$FAKE_APT/installed"
  : >"$FAKE_APT/calls"
}
run_script() {
  out=$(PATH="$work/bin:$PATH" ZERVOLA_INSTALL_RETRY_PAUSE=0 ZERVOLA_INSTALL_LOG="$FAKE_APT/log" \
        bash "$script" "$@" 2>&1 >/dev/null)
  rc=$?
}
expect_output() {
  grep -qF -- "$2" <<<"$out" || fail "$1: output lacks '$2'; it was:
$out"
}
installed() { grep -qx "$1" "$FAKE_APT/installed"; }

# 1. A failing index, an optional package refused, a first install try failing:
#    every required package is installed, the refused one is reported, exit 0.
run_case mid_sync
touch "$FAKE_APT/update_fails"
echo "wine32:i386" >"$FAKE_APT/refuse"
echo 1 >"$FAKE_APT/fail_first"
run_script windows
[[ $rc -eq 0 ]] || fail "mid_sync: exit $rc, expected 0; output:
$out"
for p in g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 wine wine64; do
  installed "$p" || fail "mid_sync: required package $p not installed"
done
installed "wine32:i386" && fail "mid_sync: the refused package counts as installed"
expect_output mid_sync "warning: some package indexes failed to update"
expect_output mid_sync "failed (try 1 of 3); retrying"
expect_output mid_sync "optional packages not installed: wine32:i386"
grep -qx i386 "$FAKE_APT/architectures" || fail "mid_sync: the i386 architecture was not added"
[[ $(grep -c "install.*wine32:i386" "$FAKE_APT/calls") -eq 3 ]] ||
  fail "mid_sync: the optional package was not tried three times"
grep -q "Mirror sync in progress" "$FAKE_APT/log" || fail "mid_sync: apt's output is not in the log"
grep -q "Mirror sync in progress" <<<"$out" && ! grep -q "last lines of" <<<"$out" &&
  fail "mid_sync: apt's own output reached the terminal"

# 2. A required package that cannot be installed: exit 1, the package and the
#    log's last lines named, what to do said.
run_case required_refused
echo "libcli11-dev" >"$FAKE_APT/refuse"
run_script build
[[ $rc -eq 1 ]] || fail "required_refused: exit $rc, expected 1"
expect_output required_refused "required packages could not be installed: "
expect_output required_refused "libcli11-dev"
expect_output required_refused "last lines of"
expect_output required_refused "what to do:"

# 3. Everything installed already: apt-get is never called.
run_case nothing_missing
printf '%s\n' cmake make ninja-build binutils g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 \
  wine wine64 wine32:i386 >"$FAKE_APT/installed"
run_script windows
[[ $rc -eq 0 ]] || fail "nothing_missing: exit $rc"
[[ -s "$FAKE_APT/calls" ]] && fail "nothing_missing: apt-get was called: $(cat "$FAKE_APT/calls")"

# 4. An unknown purpose is refused before anything is installed.
run_case unknown_purpose
run_script everything
[[ $rc -eq 2 ]] || fail "unknown_purpose: exit $rc, expected 2"
[[ -s "$FAKE_APT/calls" ]] && fail "unknown_purpose: apt-get was called"

if ((failures > 0)); then
  echo "install-deps: $failures checks failed"
  exit 1
fi
echo "install-deps: all checks passed"
