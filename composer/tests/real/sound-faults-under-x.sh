#!/usr/bin/env bash
# The preview when the sound server is not there, comes later, is killed by its process id and
# comes back, and on a melody of 200,000 codes: the real composer under X and a private
# PulseAudio server, its output recorded. The window must answer at once throughout, say that
# there is no sound when there is none, play again once the server is back without a restart,
# play a long melody in bounded memory, and play what gcc compiles (a character constant, a
# sign, a binary literal) as gcc reads it.
#   sound-faults-under-x.sh QUILLON PRIVATE_PULSE ANALYSE      (inside xvfb-run)
QUILLON=$1
private_pulse=$2
analyse=$3
source "$(dirname "$0")/drive.sh"
rate=48000
work=$(mktemp -d)
trap 'stop_quillon; rm -rf "$work"' EXIT

scenario() {
    trap stop_quillon EXIT
    failures=0
    check() {
        local what=$1
        shift
        if "$@"; then echo "ok: $what"; else echo "FAIL: $what" >&2; failures=$((failures + 1)); fi
    }
    # The melody in Text1, pasted after Clear: a paste makes no sound of its own.
    melody() {
        clear_button
        printf '%s' "$1" | xclip -selection clipboard >/dev/null 2>&1
        into_text
        xdotool key ctrl+v
        sleep 0.3
    }
    # Milliseconds until the window, clicked into its text, has copied the whole of it to the
    # clipboard on Ctrl+A, Ctrl+C.
    answer_ms() {
        local start want=$1
        printf 'x' | xclip -selection clipboard >/dev/null 2>&1
        start=$(date +%s%N)
        into_text
        for _ in $(seq 200); do
            xdotool key ctrl+a ctrl+c
            [ "$(clipboard | wc -c)" -ge "$want" ] && break
            sleep 0.05
        done
        echo $((($(date +%s%N) - start) / 1000000))
    }
    # The no-sound message: a second window captioned Quillon. Closed with Return.
    message_box() {
        local box
        for _ in $(seq 40); do
            box=$(xdotool search --onlyvisible --name '^Quillon$' | grep -v "^$window\$" | head -1)
            [ -n "$box" ] && break
            sleep 0.1
        done
        [ -n "$box" ] || return 1
        # No window manager: the keyboard goes where the pointer is.
        xdotool mousemove --window "$box" 10 10
        sleep 0.1
        xdotool key Return
        sleep 0.3
        ! xdotool search --onlyvisible --name '^Quillon$' | grep -qx "$box" || return 1
        xdotool mousemove --window "$window" 200 200
    }
    rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$quillon_pid/status"; }

    start_quillon
    # No server at start: F5 says so.
    melody "0x81,0x00};"
    xdotool key F5
    check "without a server F5 says there is no sound" message_box

    # The server comes: the next F5 plays A5, with no restart.
    "$QUILLON_PULSE" start
    melody "0x9b,0x00};"
    xdotool key F5
    sleep 1.2

    # Killed by its process id while the window waits: F5 says so again, and the window answers.
    "$QUILLON_PULSE" kill KILL
    melody "0x81,0x00};"
    note 3 1 1
    xdotool key F5
    check "with the server killed F5 says there is no sound" message_box
    local ms
    ms=$(answer_ms 40)
    echo "the window answered ${ms} ms after F5 without a server"
    check "the window answers within a second" test "$ms" -lt 1000

    # Back again: F5 plays C6.
    "$QUILLON_PULSE" start
    melody "0xab,0x00};"
    xdotool key F5
    sleep 1.2

    # What gcc compiles plays as gcc reads it: 'a' is 0x61 (A4, 100 ms), -0x5f is 0xa1 (B5,
    # 100 ms), 0b101 is 0x05 (C3, 1,200 ms).
    melody "'a',-0x5f,0b101,0x00};"
    xdotool key F5
    sleep 1.8

    # 200,000 codes of F3 for 2 s each: F5 starts at once, the process stays small and alive,
    # Esc silences it, and the text is all there.
    local codes before after
    codes=$(python3 -c "import sys; sys.stdout.write('0x1f,' * 200000 + '0x00};')")
    melody "$codes"
    # Once the paste has been checked and kept.
    sleep 1.5
    before=$(rss_kb)
    xdotool key F5
    sleep 3
    after=$(rss_kb)
    echo "resident memory: ${before} kB before F5, ${after} kB while playing"
    check "the composer still runs" kill -0 "$quillon_pid"
    if [ -z "${QUILLON_SANITIZED:-}" ]; then
        check "playing 200,000 codes grows the process by less than 40 MB" \
            test $((after - before)) -lt 40960
    fi
    xdotool key Escape
    sleep 0.5
    ms=$(answer_ms 1000000)
    check "the whole text is still there" test "$ms" -lt 5000
    stop_quillon
    [ "$failures" -eq 0 ]
}
export -f scenario start_quillon stop_quillon click_at note clear_button into_text keys clipboard
export QUILLON header

status=0
bash "$private_pulse" --later --rate "$rate" --record "$work/recording.raw" -- \
    bash -c scenario || status=1
"$analyse" "$work/recording.raw" "$rate" >"$work/runs"
# What was heard, in order: A5 once the server came, C6 once it came back, then F3.
heard() {
    awk -v hz="$1" -v ms="$2" '$1 == "sound" && $4 > hz * 0.995 && $4 < hz * 1.005 &&
        $3 > ms * 0.97 && $3 < ms * 1.03 { found = 1 } END { exit !found }' "$work/runs"
}
for expected in "880.28 380 A5 after the server came" "1046.03 380 C6 after it came back" \
    "440.14 80 A4 of 'a'" "988.14 80 B5 of -0x5f" "131.03 1180 C3 of 0b101" \
    "175.01 1000 F3 of the long melody"; do
    read -r hz ms what <<<"$expected"
    if [ "$ms" = 1000 ]; then
        awk -v hz="$hz" '$1 == "sound" && $4 > hz * 0.995 && $4 < hz * 1.005 && $3 > 1000 {
            found = 1 } END { exit !found }' "$work/runs" && ok=1 || ok=0
    else
        heard "$hz" "$ms" && ok=1 || ok=0
    fi
    if [ "$ok" = 1 ]; then echo "ok: heard $what"; else echo "FAIL: did not hear $what" >&2; status=1; fi
done
[ "$status" -eq 0 ] || cat "$work/runs" >&2
exit "$status"
