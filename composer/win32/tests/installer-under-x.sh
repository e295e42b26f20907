#!/usr/bin/env bash
# The installer as a Windows user runs it, in the tests' wine prefix, inside xvfb-run: a silent
# install puts the programs and texts (the same files as the zip) into
# %LOCALAPPDATA%\Programs\Quillon, the Start menu entry "Quillon" and the uninstaller's entry
# under HKCU; the installed composer starts and shows its window; the silent uninstall, run as
# Windows runs it from that entry, takes every file, the entry and the registration away.
#   installer-under-x.sh WINE SETUP.EXE ZIP
set -uo pipefail
wine=$1
setup=$2
zip=$3
here=$(dirname "$0")
launch() { bash "$here/wine.sh" run "$wine" "$@"; }
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
for file in "$setup" "$zip"; do
    [ -f "$file" ] || { echo "FAIL: $file is missing: build it with 'make windows'" >&2; exit 1; }
done
work=$(mktemp -d)
quillon_pid=
cleanup() {
    [ -z "$quillon_pid" ] || kill "$quillon_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A folder of the Windows user's, as a Linux path.
windows_folder() {
    local path
    path=$(launch cmd /c "echo %$1%" </dev/null | tr -d '\r')
    launch winepath -u "$path" </dev/null 2>/dev/null
}
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'

launch "$setup" /S </dev/null
status=$?
[ "$status" -eq 0 ] || fail "the silent install ended with status $status"
installed="$(windows_folder LOCALAPPDATA)/Programs/Quillon"
shortcut="$(windows_folder APPDATA)/Microsoft/Windows/Start Menu/Programs/Quillon.lnk"

unzip -q "$zip" -d "$work/zip"
# The five programs a Windows user is given, and the two texts.
zipped=$(ls "$work/zip/Quillon" | LC_ALL=C sort | tr '\n' ' ')
[ "$zipped" = "LICENSE.txt README.txt notecodes.exe quillon-import.exe quillon-upload.exe quillon.exe timervals.exe " ] ||
    fail "the zip holds '$zipped'"
expected=$( (ls "$work/zip/Quillon"; echo uninstall.exe) | sort | tr '\n' ' ')
got=$(ls "$installed" 2>/dev/null | sort | tr '\n' ' ')
[ "$got" = "$expected" ] || fail "installed '$got', expected '$expected'"
for file in "$work/zip/Quillon"/*; do
    cmp -s "$file" "$installed/$(basename "$file")" ||
        fail "the installed $(basename "$file") is not the zip's"
done
for text in README.txt LICENSE.txt; do
    awk '!/\r$/ { bad = 1 } END { exit bad }' "$installed/$text" ||
        fail "$text does not end every line with CR LF, as Notepad wants"
done
[ -f "$shortcut" ] || fail "no Start menu entry $shortcut"

registered=$(launch reg query "$key" </dev/null | tr -d '\r')
grep -q 'DisplayName *REG_SZ *Quillon$' <<<"$registered" || fail "no uninstall entry: $registered"
uninstall=$(sed -n 's/^ *QuietUninstallString *REG_SZ *//p' <<<"$registered")
[ -n "$uninstall" ] || fail "the uninstall entry has no QuietUninstallString"

# The installed composer, started as from the Start menu.
# Not through the function: $! must be wine's own process to stop it.
bash "$here/wine.sh" run "$wine" "$installed/quillon.exe" &
quillon_pid=$!
timeout 30 xdotool search --sync --onlyvisible --name '^Quillon$' >/dev/null ||
    fail "the installed quillon.exe showed no window"
kill "$quillon_pid" 2>/dev/null
wait "$quillon_pid" 2>/dev/null
quillon_pid=

# As Windows runs it: the command line of the entry. The uninstaller copies itself away and
# finishes from there, so wait for its work to show.
eval "launch $(sed 's/\\/\\\\/g' <<<"$uninstall")" </dev/null
for _ in $(seq 150); do
    [ -e "$installed" ] || break
    sleep 0.2
done
[ ! -e "$installed" ] || fail "left behind: $(ls "$installed")"
[ ! -e "$shortcut" ] || fail "the Start menu entry is left behind"
launch reg query "$key" </dev/null >/dev/null 2>&1 && fail "the uninstall entry is left behind"

[ "$failures" -eq 0 ] || exit 1
echo "installer: installs, starts and uninstalls cleanly"
