#!/usr/bin/env bash
# The composer as a Windows user gets it: one file, a GUI program, at most 2 MB, needing no DLL
# that Windows lacks (the C++ runtime, libgcc and winpthread linked in; no Qt), carrying the eye
# icon, its version, its manifest and the 87 picture faces.
#   check-file.sh OBJDUMP WINDRES QUILLON.EXE VERSION
set -uo pipefail
objdump=$1
windres=$2
exe=$3
version=$4
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
[ -f "$exe" ] || { echo "FAIL: $exe is missing: build it with 'make windows'" >&2; exit 1; }

size=$(stat -c %s "$exe")
[ "$size" -le $((2 * 1024 * 1024)) ] || fail "$size bytes, more than 2 MB"

headers=$("$objdump" -p "$exe")
grep -q $'^Subsystem\t*00000002' <<<"$headers" || fail "not a GUI program (subsystem 2)"
# Every DLL here is part of every Windows since 7.
system='advapi32 comctl32 comdlg32 gdi32 imm32 kernel32 msvcrt ole32 oleaut32 setupapi shell32 user32 uxtheme winmm'
for dll in $(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z'); do
    [[ " $system " == *" ${dll%.dll} "* ]] || fail "imports $dll, which Windows does not have"
done

resources=$("$windres" -i "$exe" -O rc)
grep -q '^1 14 /\* RT_GROUP_ICON \*/' <<<"$resources" || fail "no icon with id 1"
grep -q 'RT_MANIFEST' <<<"$resources" || fail "no manifest"
grep -q "VALUE \"ProductVersion\", \"$version\"" <<<"$resources" || fail "no version $version"
faces=$(grep -c 'Name: "COMMAND[1-5][1-7][1-7]"' <<<"$resources")
[ "$faces" -eq 87 ] || fail "$faces picture faces, expected 87"

[ "$failures" -eq 0 ] || exit 1
echo "quillon.exe: $size bytes, a GUI program with Windows' own DLLs, icon, version, manifest and 87 faces"
