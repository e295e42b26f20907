#!/usr/bin/env bash
# F6 in the real window under X: three notes clicked, F6, the board kind asked (its port tells
# nothing: a pseudo-terminal) and answered with the first, the Uno; the melody is written onto a
# simulated Uno (optiboot in simavr, see firmware/tests/sim/board_main.cpp), which then plays it
# on its pin as the convention says. A second F6 goes straight to the board without asking.
#   board-under-x.sh QUILLON QUILLON_SIMBOARD FIRMWARE_TESTS WORK      (inside xvfb-run)
# With QUILLON_LAUNCH running wine and WINEPREFIX set, QUILLON is the Windows composer and the
# board's port is its COM9.
QUILLON=$1
sim=$2
tests=$3
work=$4
source "$(dirname "$0")/drive.sh"

HOME=$(mktemp -d)
export HOME
rm -rf "$work" && mkdir -p "$work"
sim_pid=
trap 'stop_quillon; [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$HOME"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

bash "$tests/build-optiboot.sh" "$work/boot.hex" || exit 1
# The codes of the three notes clicked below.
cat >"$work/melody.c" <<'MELODY'
const unsigned char music_item[] = {
0x82,0x82,0x7b,0x00};
MELODY

board() {
    rm -f "$work/port"
    "$sim" "$work/boot.hex" atmega328p 0x7e00 "$work/port" none "$work/melody.c" \
        >"$work/board$1.log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 100); do
        [ -L "$work/port" ] && return 0
        sleep 0.1
    done
    fail "the simulated board did not start"
    exit 1
}

# Waits for the upload to end (the board sees its port closed), then for the message box that
# tells the outcome, which has the focus: shot, then closed with Enter.
message() {
    for _ in $(seq 300); do
        grep -q 'port closed' "$work/board$1.log" && break
        sleep 0.1
    done
    grep -q 'port closed' "$work/board$1.log" || fail "upload $1 did not end"
    sleep 1.5
    import -window root "$work/message$1.png"
    keys Return
}

export QUILLON_BOARD_PORT=$work/port
# The Windows composer under wine: wine takes COM ports from its prefix's dosdevices links.
if [ -n "${WINEPREFIX:-}" ] && [[ "${QUILLON_LAUNCH:-}" == *wine* ]]; then
    ln -sfn "$work/port" "$WINEPREFIX/dosdevices/com9"
    export QUILLON_BOARD_PORT=COM9
fi
board 1
start_quillon
note 3 2 3
note 3 2 3
note 3 1 2
keys F6
sleep 1
# The kind question: its first row, Arduino Uno, is selected.
import -window root "$work/ask.png"
keys Return
message 1
wait "$sim_pid" && echo "ok: the board played the melody" ||
    fail "the simulated board did not play the melody:
$(cat "$work/board1.log")"
sim_pid=

board 2
# Without a window manager the focus does not come back from the message box by itself.
click_at 150 300
keys F6
message 2
wait "$sim_pid" && echo "ok: the second F6 played it again without asking" ||
    fail "the second upload did not play:
$(cat "$work/board2.log")"
sim_pid=
stop_quillon
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
