#!/usr/bin/env bash
# The preview end to end: the real composer under X and a private sound server, a melody
# entered with real clicks, F5, and the recording of the server's output checked note by note:
# each pitch within 0.5 %, each sound (the first note included) within 2 ms of its length and
# each silence within 3 % of the expected list. A few seconds after the melody the composer is
# idle again.
#   preview-under-x.sh QUILLON PRIVATE_PULSE ANALYSE EXPECTED      (inside xvfb-run)
QUILLON=$1
private_pulse=$2
analyse=$3
expected=$4
source "$(dirname "$0")/drive.sh"
rate=48000
work=$(mktemp -d)
trap 'stop_quillon; rm -rf "$work"' EXIT

# Inside the private server: enter the melody, wait for the last clicked note to fade, press
# F5 and wait for the melody to end.
play() {
    # A composer left running would keep the test's output open.
    trap stop_quillon EXIT
    start_quillon
    note 3 1 1      # 0x73 C5 400 ms
    note 3 1 1      # the same again
    note 3 2 2      # 0x7a D5 200 ms
    note 3 3 3      # 0x81 E5 100 ms
    rest            # 0xf8
    note 1 1 1      # 0x03 C3 400 ms
    note 4 1 7      # 0xdb B6 400 ms
    note 4 2 5      # 0xca G6 200 ms
    note 2 1 3      # 0x4b E4 400 ms
    extend          # 0x4C, 800 ms
    end_button
    expect_text "the melody as entered" \
        "${header}0x73,0x73,0x7a,0x81,0xf8,0x03,0xdb,0xca,0x4C,0x00};"$'\n'
    sleep 1.5
    xdotool key F5
    sleep 4
    # Once nothing has played for a few seconds the output is closed, and the composer idles
    # as it did before it sounded (an output left open kept wine's audio threads busy).
    sleep 3.5
    local idle
    idle=$(idle_ticks 3)
    echo "after the melody: $idle ticks idle in 3 s"
    [ "$idle" -le 3 ] || { echo "FAIL: the composer kept working after the melody" >&2; exit 1; }
    stop_quillon
    [ "${failures:-0}" -eq 0 ]
}
export -f play idle_ticks start_quillon stop_quillon click_at note rest extend end_button text1 clipboard \
    into_text expect_text
export QUILLON QUILLON_LAUNCH window header

sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$expected" >"$work/wanted"
wanted=$(wc -l <"$work/wanted")

bash "$private_pulse" --rate "$rate" --record "$work/recording.raw" -- bash -c play ||
    { echo "FAIL: entering the melody, or the composer afterwards (see above)" >&2; exit 1; }
"$analyse" "$work/recording.raw" "$rate" >"$work/runs"
# The melody is what was heard last: its runs from its last sound back.
tac "$work/runs" | sed -n '/^sound/,$p' | head -n "$wanted" | tac >"$work/heard"
cat "$work/heard"
awk -v sound_ms=2 -f "$(dirname "$private_pulse")/compare-runs.awk" "$work/wanted" "$work/heard"
