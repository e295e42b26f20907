#!/usr/bin/env bash
# Plays a melody through a private PulseAudio server, records the server's null sink and
# checks every note against the expected list: pitch within 0.5 %, each note's length within
# 2 ms (the first note included: it must be heard whole), each silence within 3 %.
#   sound-end-to-end.sh PRIVATE_PULSE PLAY_MELODY ANALYSE MELODY EXPECTED
# PULSE_LATENCY_MSEC, when set, reaches the player alone: a low value asks the server for a
# low latency, as some desktops do.
# A dropout shows as silence inside a note and fails the run: a listener hears it too.
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

# Play, record, analyse, compare the runs from the first sound to the last.
bash "$private_pulse" --rate "$rate" --record "$work/recording.raw" -- "$play_melody" "$melody"
"$analyse" "$work/recording.raw" "$rate" >"$work/runs"
echo "recorded $(($(stat -c %s "$work/recording.raw") / 2)) frames at $rate Hz:"
cat "$work/runs"
sed -n '/^sound/,$p' "$work/runs" | tac | sed -n '/^sound/,$p' | tac >"$work/heard"
awk -v sound_ms=2 -f "$(dirname "$private_pulse")/compare-runs.awk" "$work/wanted" "$work/heard"
