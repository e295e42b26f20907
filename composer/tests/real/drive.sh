# Drives the real composer under an X server, as a user does: clicks with xdotool, keys to the
# focused control, the text read back through the clipboard. Sourced by the tests beside it.
#   QUILLON         the program; the X server is the caller's (xvfb-run).
#   QUILLON_LAUNCH  a command that runs it, words split at blanks: empty for the Linux program,
#                   a wine launcher for the Windows one (whose X window is its client area, so
#                   the coordinates below hold for both).

set -euo pipefail
for tool in xdotool xclip; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps)" >&2; exit 127; }
done

quillon_pid=
window=
failures=0

# The composer keeps every melody in the user's data folder and prunes it to the newest 100:
# tests keep theirs in a folder of their own, never among the user's.
if [ -z "${XDG_DATA_HOME:-}" ] || [ "${XDG_DATA_HOME#/tmp/}" = "$XDG_DATA_HOME" ]; then
    XDG_DATA_HOME=$(mktemp -d)
fi
export XDG_DATA_HOME

start_quillon() {
    # On the X server, whatever platform the other tests run on.
    # shellcheck disable=SC2086
    QT_QPA_PLATFORM=xcb ${QUILLON_LAUNCH:-} "$QUILLON" &
    quillon_pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillon$' | head -1) || true
    if [ -z "$window" ]; then
        echo "FAIL: the composer's window did not appear" >&2
        stop_quillon
        exit 1
    fi
    # No window manager: focus follows the pointer, so keep it over the window.
    xdotool mousemove --window "$window" 200 200
    sleep 0.5
}

stop_quillon() {
    [ -z "$quillon_pid" ] || kill "$quillon_pid" 2>/dev/null || true
    wait "$quillon_pid" 2>/dev/null || true
    quillon_pid=
}
trap stop_quillon EXIT

# Processor ticks the composer spends in `seconds`, threads and all.
idle_ticks() {
    local before after
    before=$(awk '{ print $14 + $15 }' "/proc/$quillon_pid/stat")
    sleep "$1"
    after=$(awk '{ print $14 + $15 }' "/proc/$quillon_pid/stat")
    echo $((after - before))
}

# At (x, y) of the window's client area.
click_at() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 0.05
}

# Note button Command<g><r><c>: 17 x 25 pixels, 32 apart, groups 112 apart.
note() {
    click_at $((336 + 32 * ($3 - 1) + 8)) $((32 + 112 * ($1 - 1) + 32 * ($2 - 1) + 12))
}
extend() { click_at 344 492; }
rest() { click_at 368 492; }
line_break() { click_at 392 492; }
end_button() { click_at 428 492; }
clear_button() { click_at 476 492; }

# Into Text1, the caret at the end.
into_text() {
    click_at 150 300
    xdotool key ctrl+End
}

keys() {
    xdotool key --delay 30 "$@"
    sleep 0.1
}

# What the clipboard holds now. The owner serves a long text in pieces; one that stops answering
# part way (seen with wine's clipboard under load) must cost a read, not the whole test.
clipboard() {
    timeout 10 xclip -o -selection clipboard || true
}

# The whole text of Text1 as a paste gives it (LF line ends), through Ctrl+A and Ctrl+C.
text1() {
    into_text
    xdotool key ctrl+a ctrl+c
    sleep 0.2
    clipboard
    # Leave the caret at the end again.
    xdotool key ctrl+End
}

# `n` items, broken after every 16th by the automatic break, into the variable named first
# (a command substitution would drop a line break at the end).
items() {
    local -n into=$1
    local item=$2 n=$3 i
    into=
    for ((i = 1; i <= n; i++)); do
        into+="$item,"
        if ((i % 16 == 0)); then
            into+=$'\n'
        fi
    done
}

header=$'const unsigned char music_item[] = {\n'

expect_text() {
    local what=$1 wanted=$2 got
    # The clipboard may still hold the copy before: on a busy machine the window can take longer
    # than text1 waits to copy a text it has just taken in. Read again for up to 3 s.
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        got=$(text1; printf x)
        got=${got%x}
        [ "$got" = "$wanted" ] && break
        sleep 0.3
    done
    if [ "$got" != "$wanted" ]; then
        echo "FAIL: $what" >&2
        diff <(printf '%s' "$wanted") <(printf '%s' "$got") >&2 || true
        failures=$((failures + 1))
    else
        echo "ok: $what"
    fi
}
