#!/usr/bin/env bash
# Plays a melody through a private PulseAudio server, records the server's null sink and
# checks every note against the expected list: pitch within 0.5 %, each length within 3 %.
#   sound-end-to-end.sh PRIVATE_PULSE PLAY_MELODY ANALYSE MELODY EXPECTED
# A machine too busy to feed the stream in time drops out, which shows as silence inside a
# note: such a run is tried again, up to three times, and every failed try is shown.
set -euo pipefail
private_pulse=$1
play_melody=$2
analyse=$3
melody=$4
expected=$5
rate=48000

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$expected" >"$work/wanted"

# One try: play, record, analyse, compare the runs from the first sound to the last.
try() {
    bash "$private_pulse" --rate "$rate" --record "$work/recording.raw" -- \
        "$play_melody" "$melody"
    "$analyse" "$work/recording.raw" "$rate" >"$work/runs"
    echo "recorded $(($(stat -c %s "$work/recording.raw") / 2)) frames at $rate Hz:"
    cat "$work/runs"
    sed -n '/^sound/,$p' "$work/runs" | tac | sed -n '/^sound/,$p' | tac >"$work/heard"
    awk '
    NR == FNR { kind[FNR] = $1; a[FNR] = $2; b[FNR] = $3; wanted = FNR; next }
    {
        n = FNR
        if (n > wanted) { printf "unexpected %s at %.1f ms\n", $1, $2; bad++; next }
        if ($1 != kind[n]) { printf "run %d: %s where %s was expected\n", n, $1, kind[n]; bad++; next }
        if ($1 == "sound") {
            hz = $4; ms = $3; want_hz = a[n]; want_ms = b[n]
        } else {
            hz = 0; ms = $3; want_hz = 0; want_ms = a[n]
        }
        if (want_hz > 0 && (hz - want_hz > want_hz * 0.005 || want_hz - hz > want_hz * 0.005)) {
            printf "run %d: %.2f Hz, expected %.2f Hz\n", n, hz, want_hz; bad++
        }
        if (ms - want_ms > want_ms * 0.03 || want_ms - ms > want_ms * 0.03) {
            printf "run %d (%s): %.2f ms, expected %.2f ms\n", n, $1, ms, want_ms; bad++
        }
    }
    END {
        if (FNR < wanted) { printf "only %d of %d runs heard\n", FNR, wanted; bad++ }
        if (bad) { exit 1 }
        printf "all %d runs as expected\n", wanted
    }
' "$work/wanted" "$work/heard"
}

for attempt in 1 2 3; do
    echo "try $attempt:"
    if try; then
        exit 0
    fi
done
exit 1
