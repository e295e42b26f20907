#!/usr/bin/env bash
# Keeping, saving and opening melodies in the real window under X, with a private HOME: the
# kept file after kill -9, a recent melody and Open undone, Save As through the window's own
# dialog and the bytes it writes, LF and GBK files and an RTTTL tune opened, the list of tunes
# of a file that holds two (Escape, Enter), and a data folder that cannot be written.
#   melodies-under-x.sh QUILLON      (inside xvfb-run)
# The Windows composer (QUILLON_LAUNCH a wine launcher) keeps its melodies in the prefix's
# %LOCALAPPDATA%, which wine sets whatever the environment says, and its dialogs take Windows
# paths; everything else is the same.
QUILLON=$1
source "$(dirname "$0")/drive.sh"

windows_local=
# How long wine's dialogs take to settle, and the window after them; the Linux window's less.
settle=0.3
if [[ $QUILLON == *.exe ]]; then
    settle=1
    windows_local=$(${QUILLON_LAUNCH} cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')
    windows_local=$(${QUILLON_LAUNCH} winepath -u "$windows_local")
fi

homes=()
cleanup() {
    stop_quillon
    for home in "${homes[@]}"; do
        chattr -i "$home/.local/share/quillon/melodies" 2>/dev/null || true
        rm -rf "$home"
    done
    if [ -n "$windows_local" ]; then
        chattr -i "$windows_local/Quillon/melodies" 2>/dev/null || true
        rm -rf "$windows_local/Quillon"
    fi
}
trap cleanup EXIT

# A fresh HOME for the composer, with its melodies folder in $data, empty.
new_home() {
    HOME=$(mktemp -d)
    export HOME
    homes+=("$HOME")
    unset XDG_DATA_HOME
    if [ -n "$windows_local" ]; then
        data=$windows_local/Quillon/melodies
        chattr -i "$data" 2>/dev/null || true
        rm -rf "$windows_local/Quillon"
    else
        data=$HOME/.local/share/quillon/melodies
    fi
}

# A path as the composer's dialogs take it: wine's drive Z: is the Linux root.
dialog_path() {
    if [ -n "$windows_local" ]; then
        local path=$1
        printf 'Z:%s' "${path//\//\\}"
    else
        printf '%s' "$1"
    fi
}

check() {
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAIL: $what" >&2; failures=$((failures + 1)); fi
}

# The file holds exactly this text, its line breaks CR LF.
same_bytes() { [ -f "$2" ] && cmp -s <(printf '%s' "${1//$'\n'/$'\r\n'}") "$2"; }
captioned() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
windows_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
# Waits up to 10 s until no more than $2 windows are named $1.
until_closed() {
    for _ in $(seq 100); do
        [ "$(windows_named "$1")" -le "$2" ] && return
        sleep 0.1
    done
}

# Answers the file dialog titled $1 with the path $2, typed into its name field.
answer_dialog() {
    local dialog
    dialog=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -1) || true
    check "the dialog \"$1\" opens" test -n "$dialog"
    xdotool mousemove --window "${dialog:-$window}" 5 5
    # Wine's dialog shows before it has put the focus in its name field.
    sleep "$settle"
    xdotool type --delay 20 "$(dialog_path "$2")"
    keys Return
    until_closed "$1" 0
    sleep "$settle"
    xdotool mousemove --window "$window" 200 200
}

# Answers the list of tunes with the key $1, its row selected as it opened.
choose_tune() {
    local dialog
    dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^选择乐曲$' | head -1) || true
    check "the list of tunes opens" test -n "$dialog"
    xdotool mousemove --window "${dialog:-$window}" 5 5
    sleep "$settle"
    keys $1
    until_closed 选择乐曲 0
    sleep "$settle"
    xdotool mousemove --window "$window" 200 200
}

# Dismisses the message box over the window with Enter, once it is there.
dismiss_box() {
    for _ in $(seq 50); do
        [ "$(windows_named Quillon)" -ge 2 ] && break
        sleep 0.1
    done
    check "$1" test "$(windows_named Quillon)" -eq 2
    local box
    box=$(xdotool search --onlyvisible --name '^Quillon$' | grep -v "^$window\$" | head -1)
    xdotool mousemove --window "${box:-$window}" 10 10
    sleep "$settle"
    keys Return
    until_closed Quillon 1
    sleep "$settle"
    xdotool mousemove --window "$window" 200 200
}

# The text's context menu, then its last entry ("最近的旋律") and the n-th melody in it.
choose_recent() {
    xdotool mousemove --window "$window" 150 300 click 3
    sleep 0.5
    keys Up Right
    for ((i = 1; i < $1; i++)); do keys Down; done
    keys Return
    sleep 0.3
}

melody1="${header}0x82,0x82,0x7b,"

new_home
start_quillon
note 3 2 3
note 3 2 3
note 3 1 2
sleep 1
kill -9 "$quillon_pid"
wait "$quillon_pid" 2>/dev/null || true
quillon_pid=
kept=("$data"/*.h)
check "kill -9 a second after a click: one melody kept" test "${#kept[@]}" -eq 1
check "named by the time it began" \
    grep -qE '/[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}-[0-9]{2}-[0-9]{2}\.h$' <<<"${kept[0]}"
check "the kept file holds the text as it was" same_bytes "$melody1" "${kept[0]}"

start_quillon
check "no file yet: the caption is Quillon" captioned Quillon
note 1 1 1
choose_recent 1
expect_text "the recent melody is in Text1" "$melody1"
into_text
keys ctrl+z
expect_text "undo after choosing a recent melody" "${header}0x03,"

# Save: the first time asks for a name.
keys ctrl+s
answer_dialog "另存为" "$HOME/tune.h"
check "Ctrl+S writes exactly the text" same_bytes "${header}0x03," "$HOME/tune.h"
check "the caption names the file" captioned "tune.h - Quillon"
note 3 2 3
check "a change not saved shows a star" captioned "\\*tune.h - Quillon"
keys ctrl+s
sleep 0.3
check "Ctrl+S again saves without asking" same_bytes "${header}0x03,0x82," "$HOME/tune.h"
check "and the star goes" captioned "tune.h - Quillon"

# Open: LF line ends become CR LF.
printf 'const unsigned char music_item[] = {\n0x73,0x7b,\n0x00};\n' >"$HOME/lf.h"
keys ctrl+o
answer_dialog "打开" "$HOME/lf.h"
expect_text "Ctrl+O of an LF file" "${header}0x73,0x7b,"$'\n'"0x00};"$'\n'
check "the caption names the opened file" captioned "lf.h - Quillon"
into_text
keys ctrl+z
expect_text "undo after Open" "${header}0x03,0x82,"
keys ctrl+shift+z ctrl+s
sleep 0.3
check "saved back with CR LF" same_bytes \
    $'const unsigned char music_item[] = {\n0x73,0x7b,\n0x00};\n' "$HOME/lf.h"

# GBK, with CR line ends, as an editor of a Chinese Windows wrote it.
printf '// \xd6\xd0\xd2\xf4\r{0x82,0x00};\r' >"$HOME/gbk.h"
keys ctrl+o
answer_dialog "打开" "$HOME/gbk.h"
expect_text "Ctrl+O of a GBK file" $'// 中音\n{0x82,0x00};\n'

# A ring tone brought in: the array quillon-import prints, a melody without a file.
printf 'scale:d=4,o=5,b=150:c,d,e,f,g,a,b,c6' >"$HOME/scale.rtttl"
keys ctrl+o
answer_dialog "打开" "$HOME/scale.rtttl"
expect_text "Ctrl+O of an RTTTL tune" "${header}0x73,0x7b,0x83,0x8b,0x93,0x9b,0xa3,0xab,0x00};"$'\n'
check "a tune brought in has no file" captioned Quillon

# Two tunes, one a line: Open asks which. Escape changes nothing; Enter takes the row selected
# at first, the first tune (C5 D5), and a message says the other was left out.
printf 'x:d=4,o=5,b=150:c,d\r\ny:d=4,o=5,b=150:e,f\r\n' >"$HOME/two.rtttl"
keys ctrl+o
answer_dialog "打开" "$HOME/two.rtttl"
choose_tune Escape
expect_text "Escape in the list of tunes changes nothing" \
    "${header}0x73,0x7b,0x83,0x8b,0x93,0x9b,0xa3,0xab,0x00};"$'\n'
keys ctrl+o
answer_dialog "打开" "$HOME/two.rtttl"
choose_tune Return
dismiss_box "a message says what was left out"
expect_text "Enter takes the tune selected at first" "${header}0x73,0x7b,0x00};"$'\n'
# Down then Enter: the second, E5 F5.
keys ctrl+o
answer_dialog "打开" "$HOME/two.rtttl"
choose_tune "Down Return"
dismiss_box "again a message"
expect_text "another row taken" "${header}0x83,0x8b,0x00};"$'\n'
stop_quillon

# A data folder that cannot be written: one message, and the composer goes on.
new_home
mkdir -p "$data"
chmod 555 "$data"
if touch "$data/probe" 2>/dev/null; then
    # Root writes anyway: make the folder immutable, or where that is not allowed, a file.
    rm -f "$data/probe"
    if ! chattr +i "$data" 2>/dev/null; then
        rmdir "$data"
        echo "not a folder" >"$data"
    fi
fi
start_quillon
note 3 2 3
sleep 1.5
check "one message says melodies are not kept" test "$(windows_named Quillon)" -eq 2
box=$(xdotool search --onlyvisible --name '^Quillon$' | grep -v "^$window\$" | head -1)
xdotool mousemove --window "$box" 10 10
keys Return
until_closed Quillon 1
xdotool mousemove --window "$window" 200 200
sleep 0.3
note 3 1 2
note 3 1 2
sleep 1.5
check "and only once" test "$(windows_named Quillon)" -eq 1
expect_text "the composer goes on" "${header}0x82,0x7b,0x7b,"
stop_quillon

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
