#!/bin/sh
# Runs the launcher in the Wine prefix $WINEPREFIX with fake CAD hosts
# (fake_acad.exe records how it was started) placed on drive C and on extra
# drives D and E, and checks which one was started and how.
#   launcher_under_wine.sh <scenario> <fake_acad.exe> <launcher command...>
# The command is "wine zervola.exe" for the Windows program, or the native
# zervola program, which starts the host through wine itself.
# Scenarios:
#   system_drive  C has 2004 and 2006, D has 2000: C 2004 starts.
#   drive_order   C has nothing, D has 2008, E has 2002: D 2008 starts.
#   nothing       no host anywhere: the program ends silently, nothing starts.
# Prints "launcher scenario <name>: ok" when every check holds.
set -u
scenario=$1 fake=$2
shift 2
prefix=${WINEPREFIX:?WINEPREFIX must be set}
extra="$prefix/zervola_test_drives"
parameter='C:\zervola\autocad\zervola.dvb'
record_timeout=10

fail() { printf 'FAIL %s\n' "$*"; cleanup; exit 1; }

cleanup() {
  rm -rf "$prefix/drive_c/Program Files/AutoCAD 20"?? "$extra"
  rm -f "$prefix/dosdevices/d:" "$prefix/dosdevices/e:"
}

# install <folder of a drive> <release>
install() {
  mkdir -p "$1/Program Files/AutoCAD $2" && cp "$fake" "$1/Program Files/AutoCAD $2/acad.exe" ||
    fail "cannot install a fake host in $1"
}

# map <letter> <folder>: a drive of the prefix, effective at once.
map() {
  mkdir -p "$2" && ln -sfn "$2" "$prefix/dosdevices/$1:" || fail "cannot map drive $1"
}

# The record of the host in <folder>, waiting for it to appear.
record_of() {
  waited=0
  while [ ! -f "$1/acad_args.txt" ]; do
    [ "$waited" -ge $((record_timeout * 10)) ] && return 1
    sleep 0.1
    waited=$((waited + 1))
  done
  tr -d '\r' <"$1/acad_args.txt"
}

# expect_started <folder of the host> <its Windows path>
expect_started() {
  got=$(record_of "$1") || fail "$2 was not started"
  want=$(printf 'ARGC=2\nARGV1=%s\nCMDLINE="%s" %s\nSHOW=3' "$parameter" "$2" "$parameter")
  [ "$got" = "$want" ] || fail "$2 started as
$got
instead of
$want"
}

expect_not_started() {
  [ ! -e "$1/acad_args.txt" ] && [ ! -e "$1/acad_args.part" ] || fail "$1 was started"
}

run_launcher() {
  out=$("$@" </dev/null 2>&1)
  rc=$?
  [ "$rc" -eq 0 ] || fail "the launcher ended with $rc"
  [ -z "$out" ] || fail "the launcher printed: $out"
}

cleanup
c="$prefix/drive_c"
case "$scenario" in
  system_drive)
    install "$c" 2004
    install "$c" 2006
    map d "$extra/d"
    install "$extra/d" 2000
    run_launcher "$@"
    expect_started "$c/Program Files/AutoCAD 2004" 'C:\Program Files\AutoCAD 2004\acad.exe'
    sleep 1
    expect_not_started "$c/Program Files/AutoCAD 2006"
    expect_not_started "$extra/d/Program Files/AutoCAD 2000"
    ;;
  drive_order)
    map d "$extra/d"
    map e "$extra/e"
    install "$extra/d" 2008
    install "$extra/e" 2002
    run_launcher "$@"
    expect_started "$extra/d/Program Files/AutoCAD 2008" 'D:\Program Files\AutoCAD 2008\acad.exe'
    sleep 1
    expect_not_started "$extra/e/Program Files/AutoCAD 2002"
    ;;
  nothing)
    map d "$extra/d"
    mkdir -p "$c/Program Files/AutoCAD 2010" "$extra/d/Program Files/AutoCAD 2004"
    cp "$fake" "$c/Program Files/AutoCAD 2010/acad.exe"
    cp "$fake" "$extra/d/Program Files/AutoCAD 2004/zervola.exe"
    run_launcher "$@"
    sleep 1
    expect_not_started "$c/Program Files/AutoCAD 2010"
    expect_not_started "$extra/d/Program Files/AutoCAD 2004"
    ;;
  *) fail "unknown scenario $scenario" ;;
esac
cleanup
printf 'launcher scenario %s: ok\n' "$scenario"
