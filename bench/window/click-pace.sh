#!/usr/bin/env bash
# Processor time per note click at a human pace, with real X events: the composer and the bare
# floor (bare-click-window) each hold a melody of CODES codes, get a click on 中音 3 (Command323,
# at (408, 300) in the window) every 0.2 s from xdotool, and the whole process's CPU time over the
# clicks is read from /proc. Runs under xvfb-run; the sound output is whatever the environment
# gives (see `make bench`). Each size is measured ROUNDS times, the composer and the floor in
# turn, so that a machine busy with something else weighs on both alike; prints the medians in
# milliseconds per click, their ratio and the spread of the rounds.
#   click-pace.sh QUILLON BARE [CODES...]        (default codes: 10000 100000)
# LABEL names the case in what is printed; QUILLON_LAUNCH runs both programs (wine.sh run WINE
# for the Windows programs, inside wine.sh session); CLICKS and ROUNDS (default 100 and 3).
set -euo pipefail
quillon=$1
bare=$2
shift 2
sizes=("$@")
[ $# -gt 0 ] || sizes=(10000 100000)
clicks=${CLICKS:-100}
rounds=${ROUNDS:-3}
label=${LABEL:-composer}
tick=$(getconf CLK_TCK)

cpu_ms() {
    awk -v t="$tick" '{ printf "%d", ($14 + $15) * 1000 / t }' "/proc/$1/stat"
}

# Runs the program, waits for its window, gives it `codes` codes, clicks at the pace, and
# prints its CPU milliseconds per click.
measure() {
    local name=$1 codes=$2 pid window before after
    shift 2
    # shellcheck disable=SC2086
    QT_QPA_PLATFORM=xcb ${QUILLON_LAUNCH:-} "$@" >/dev/null 2>&1 &
    pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name "$name" | head -1)
    xdotool mousemove --window "$window" 200 200
    if [ "$name" = '^Quillon$' ]; then
        # The melody pasted into Text1 in one go, as a user brings one in.
        python3 -c "import sys; n = int(sys.argv[1]); sys.stdout.write(''.join(
            '0x82,' + ('\n' if (i + 1) % 16 == 0 else '') for i in range(n)))" "$codes" |
            xclip -selection clipboard >/dev/null 2>&1
        xdotool mousemove --window "$window" 150 300 click 1 key ctrl+End ctrl+v
    fi
    sleep 3
    before=$(cpu_ms "$pid")
    for _ in $(seq "$clicks"); do
        xdotool mousemove --window "$window" 408 300 click 1
        sleep 0.2
    done
    sleep 0.5
    after=$(cpu_ms "$pid")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v ms=$((after - before)) -v n="$clicks" 'BEGIN { printf "%.2f", ms / n }'
}

source "$(dirname "$0")/pace.sh"

for codes in "${sizes[@]}"; do
    composer=()
    floor=()
    for _ in $(seq "$rounds"); do
        composer+=("$(measure '^Quillon$' "$codes" "$quillon")")
        floor+=("$(measure '^Bare$' "$codes" "$bare" "$codes")")
    done
    compare "$label, $codes codes" "%.2f ms per click" ms
done
