#!/usr/bin/env bash
# Runs a table tool cross-built for Windows under wine, as a console user on Windows would.
#   check-windows-tool.sh prefix-create WINE   a fresh wine prefix at $WINEPREFIX
#   check-windows-tool.sh prefix-remove WINE   its wine server stopped and the prefix removed
#   check-windows-tool.sh run WINE OBJDUMP TOOL.exe EXPECTED BYTES [ARGUMENT...]
#   check-windows-tool.sh unit WINE OBJDUMP TESTS.exe   a GoogleTest program, every test passing
# checks what a Windows user depends on:
#   - the tool needs no DLL beyond those every Windows has (the runtimes are linked in statically);
#   - its output is the Linux tool's expected output with every line feed written as CR LF, as
#     text-mode standard output writes it on Windows, and BYTES long in all;
#   - given the ARGUMENTs and standard input at its end, it does not wait, writes nothing to
#     standard error and exits with 0.
set -uo pipefail

group=$1
wine=$2
failures=0

fail() {
    echo "FAIL: $name: $*" >&2
    failures=$((failures + 1))
}

# require FILE: a program or input that must be there.
require() {
    if [ ! -e "$1" ]; then
        echo "FAIL: '$1' not found: install the Debian packages with scripts/install-deps" >&2
        exit 1
    fi
}

require "$wine"
: "${WINEPREFIX:?WINEPREFIX must name the private wine prefix of the tests}"
# Nothing from the user's own wine debugging, no display, so that wine never tries to open a
# window, and no offer to install Mono or Gecko, which would wait for an answer nobody gives.
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
unset DISPLAY WAYLAND_DISPLAY
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=wineserver

case $group in
prefix-create)
    # Takes several seconds and reports on the missing 32-bit half; done once for all the tools,
    # so that their runs have quiet standard error to check.
    "$wineserver" -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    if ! timeout 240 "$wine" wineboot --init >"$WINEPREFIX.log" 2>&1; then
        echo "FAIL: wine could not create its prefix $WINEPREFIX:" >&2
        cat "$WINEPREFIX.log" >&2
        exit 1
    fi
    echo "wine prefix ready: $WINEPREFIX"
    exit 0
    ;;
prefix-remove)
    "$wineserver" -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX" "$WINEPREFIX.log"
    exit 0
    ;;
run | unit) ;;
*)
    echo "check-windows-tool.sh: unknown group '$group'" >&2
    exit 2
    ;;
esac

objdump=$3
tool=$4
expected=${5-}
bytes=${6-}
shift $(($# < 6 ? $# : 6))
name=$(basename "$tool")
require "$objdump"
if [ ! -f "$tool" ]; then
    echo "FAIL: $tool is missing: build it with 'make windows'" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Imports: the system's own DLLs only. A libstdc++, libgcc or winpthread DLL here would make the
# program fail to start on a Windows that has no MinGW installed.
imports=$("$objdump" -p "$tool" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort | tr '\n' ' ')
if [ "$group" = unit ]; then
    # Test programs may use more of the system (the serial ports' SETUPAPI), but no MinGW DLL.
    case $imports in
    *libstdc++* | *libgcc* | *libwinpthread*) fail "imports '$imports', a MinGW runtime among them" ;;
    esac

    # Its own report on standard output, each failure with its expectation.
    timeout 280 "$wine" "$tool" --gtest_brief=1 </dev/null >"$work/out" 2>&1
    status=$?
    [ "$status" -eq 0 ] || fail "exit status $status:"$'\n'"$(tr -d '\r' <"$work/out")"
    [ "$failures" -eq 0 ] || exit 1
    tr -d '\r' <"$work/out" | tail -n 3
    echo "$name: windows: all tests passed"
    exit 0
fi
[ "$imports" = "KERNEL32.dll msvcrt.dll " ] || fail "imports '$imports', expected only KERNEL32.dll and msvcrt.dll"

sed -z 's/\n/\r\n/g' "$expected" >"$work/expected"

timeout 60 "$wine" "$tool" "$@" </dev/null >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 0 ] || fail "input at end: exit status $status, expected 0"
[ -s "$work/err" ] && fail "input at end: unexpected standard error: $(cat "$work/err")"
if ! cmp -s "$work/expected" "$work/out"; then
    fail "output ($(wc -c <"$work/out") bytes) differs from $(basename "$expected") with CR LF:"
    cmp "$work/expected" "$work/out" >&2
fi
size=$(wc -c <"$work/out")
[ "$size" -eq "$bytes" ] || fail "output is $size bytes, expected $bytes"

[ "$failures" -eq 0 ] || exit 1
echo "$name: windows: all checks passed"
