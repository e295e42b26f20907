#!/usr/bin/env bash
# Processor time per note click at a human pace, with real X events: the composer and the bare
# floor (bare-click-window) each hold a melody of CODES codes, get a click on 中音 3 (Command323,
# at (408, 300) in the window) every 0.2 s from xdotool, and the whole process's CPU time over the
# clicks is read from /proc. Runs under xvfb-run; prints milliseconds per click and the ratio.
#   click-pace.sh QUILLON BARE [CODES...]        (default codes: 10000 100000)
set -euo pipefail
quillon=$1
bare=$2
shift 2
sizes=("$@")
[ $# -gt 0 ] || sizes=(10000 100000)
clicks=${CLICKS:-100}
tick=$(getconf CLK_TCK)

cpu_ms() {
    awk -v t="$tick" '{ printf "%d", ($14 + $15) * 1000 / t }' "/proc/$1/stat"
}

# Runs the program, waits for its window, gives it `codes` codes, clicks at the pace, and
# prints its CPU milliseconds per click.
measure() {
    local name=$1 codes=$2 pid window before after
    shift 2
    "$@" >/dev/null 2>&1 &
    pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name "$name" | head -1)
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

for codes in "${sizes[@]}"; do
    composer=$(QT_QPA_PLATFORM=xcb measure '^Quillon$' "$codes" "$quillon")
    floor=$(QT_QPA_PLATFORM=xcb measure '^Bare$' "$codes" "$bare" "$codes")
    awk -v c="$composer" -v f="$floor" -v n="$codes" \
        'BEGIN { printf "%d codes: composer %.2f ms, bare floor %.2f ms per click (x%.2f)\n", n, c, f, c / f }'
done
