#!/usr/bin/env bash
# The processor time a large paste costs, with real X events: the composer and the bare floor
# (bare-click-window, a QPlainTextEdit or the Win32 edit control) each start empty, get
# MEGABYTES of good codes (16 a line) pasted at the end of the text with Ctrl+V, and the whole
# process's time from the key until 0.3 s pass without a tick is taken. The composer's includes
# its findings check and the kept melody's write; the floor only takes the text. Runs under
# xvfb-run; prints the medians of ROUNDS rounds in seconds and their ratio.
#   paste-pace.sh QUILLON BARE [MEGABYTES...]     (default: 4 16)
# LABEL names the case; QUILLON_LAUNCH runs both programs (as for click-pace.sh); ROUNDS
# (default 3).
set -euo pipefail
quillon=$1
bare=$2
shift 2
sizes=("$@")
[ $# -gt 0 ] || sizes=(4 16)
rounds=${ROUNDS:-3}
tick=$(getconf CLK_TCK)
label=${LABEL:-composer}
text=$(mktemp)
trap 'rm -f "$text"' EXIT

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Starts the program, pastes the text file into it and prints the processor seconds it took.
measure() {
    local name=$1 pid window start before last now
    shift
    # shellcheck disable=SC2086
    QT_QPA_PLATFORM=xcb ${QUILLON_LAUNCH:-} "$@" >/dev/null 2>&1 &
    pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name "$name" | head -1)
    xdotool mousemove --window "$window" 150 300 click 1 key ctrl+End
    xclip -selection clipboard <"$text" >/dev/null 2>&1
    # Until the start-up and the clipboard's change have passed.
    sleep 2
    start=$(ticks "$pid")
    xdotool key ctrl+v
    # Until 0.3 s without a tick, looked at every 50 ms: the findings check and the kept
    # melody's write come a moment after the paste.
    last=$(date +%s%N)
    before=$start
    while [ $(($(date +%s%N) - last)) -lt 300000000 ]; do
        sleep 0.05
        now=$(ticks "$pid")
        if [ "$now" -ne "$before" ]; then
            before=$now
            last=$(date +%s%N)
        fi
    done
    awk -v t=$((before - start)) -v hz="$tick" 'BEGIN { printf "%.2f", t / hz }'
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

source "$(dirname "$0")/pace.sh"

for megabytes in "${sizes[@]}"; do
    python3 -c "import sys; n = int(float(sys.argv[1]) * 200000); sys.stdout.write(''.join(
        '0x82,' + ('\n' if (i + 1) % 16 == 0 else '') for i in range(n)))" "$megabytes" >"$text"
    composer=()
    floor=()
    for _ in $(seq "$rounds"); do
        composer+=("$(measure '^Quillon$' "$quillon")")
        floor+=("$(measure '^Bare$' "$bare" 0)")
    done
    compare "$label, a paste of $megabytes MB" "%.2f s of processor time" s
done
