#!/usr/bin/env bash
# CPU time per note click at a human pace, for the real composer in an X server: the text is
# filled with CODES codes (one paste), then NOTES clicks on a note button, five a second, with
# xdotool; the process's CPU time (/proc/PID/stat, user and system) before and after, once it
# has gone quiet, divided by the clicks. Not a test: it prints figures for one program, so run it
# for each in the same X server to compare them (see the README's "On Windows").
#   click-cpu-under-x.sh CODES NOTES PROGRAM [silent]      (inside xvfb-run)
# "silent" unticks "点击音符时发音", the last entry of the text's context menu, first.
# QUILLON_LAUNCH runs PROGRAM, as for the real-window tests (wine.sh run WINE for quillon.exe);
# under wine the wine server's CPU time is printed too, as it carries the messages.
set -euo pipefail
codes=$1
notes=$2
QUILLON=$3
silent=${4:-}
source "$(dirname "$0")/../../composer/tests/real/drive.sh"

ticks=$(getconf CLK_TCK)
# User and system time of process $1, in ticks.
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
wineserver_pid() { pgrep -x wineserver64 || pgrep -x wineserver || true; }
# Until process $1 has used no CPU for a second (half a minute at most).
settle() {
    local before after
    after=$(cpu "$1")
    for _ in $(seq 30); do
        before=$after
        sleep 1
        after=$(cpu "$1")
        [ "$after" -ne "$before" ] || break
    done
}

start_quillon
if [ "$silent" = silent ]; then
    click_at 150 300
    xdotool click 3
    sleep 0.5
    xdotool key End Return
fi
# The codes, broken after every 16th as the composer breaks them, pasted over everything.
awk -v n="$codes" 'BEGIN {
    printf "const unsigned char music_item[] = {\n"
    for (i = 1; i <= n; i++) { printf "0x82,"; if (i % 16 == 0) printf "\n" }
}' | xclip -selection clipboard
into_text
xdotool key ctrl+a ctrl+v
settle "$quillon_pid"
[ "$(wc -c < <(text1))" -gt $((codes * 5)) ] || { echo "the paste did not arrive" >&2; exit 1; }
settle "$quillon_pid"

server=$(wineserver_pid)
before=$(cpu "$quillon_pid")
server_before=$([ -z "$server" ] || cpu "$server")
start=$(date +%s.%N)
for ((i = 0; i < notes; i++)); do
    xdotool mousemove --window "$window" $((336 + 32 * 2 + 8)) $((32 + 112 * 2 + 12)) click 1
    sleep 0.2
done
seconds=$(echo "$(date +%s.%N) - $start" | bc)
settle "$quillon_pid"
after=$(cpu "$quillon_pid")
awk -v c="$codes" -v n="$notes" -v t="$((after - before))" -v hz="$ticks" -v s="$seconds" \
    'BEGIN { printf "%d codes, %d clicks in %.1f s: %.2f ms CPU per click\n", c, n, s, t * 1000 / hz / n }'
if [ -n "$server" ]; then
    server_after=$(cpu "$server")
    awk -v n="$notes" -v t="$((server_after - server_before))" -v hz="$ticks" \
        'BEGIN { printf "  and %.2f ms of the wine server per click\n", t * 1000 / hz / n }'
fi
stop_quillon
