#!/usr/bin/env bash
# "复制为 Arduino 程序" in the real window under X: three notes clicked, the entry chosen from the
# text's context menu, the sketch read back from the clipboard and built by Debian's Arduino core
# with the Quillon library for the Uno, the Mega and the Leonardo.
#   arduino-under-x.sh QUILLON FIRMWARE WORK      (inside xvfb-run)
# FIRMWARE is the player's folder (firmware/), WORK an empty folder for the builds.
QUILLON=$1
firmware=$2
work=$3
source "$(dirname "$0")/drive.sh"

HOME=$(mktemp -d)
export HOME
trap 'stop_quillon; rm -rf "$HOME"' EXIT

# Written out from what a sketch for the library needs, for the three notes clicked below
# (codes 0x82, 0x82, 0x7b); the clipboard's line ends are taken as LF.
expected='// Plays the melody once at start on Timer1'"'"'s output A: pin 9 on an Uno, Nano or
// Leonardo, pin 11 on a Mega. Needs the Quillon library (Sketch > Include Library >
// Add .ZIP Library, Quillon-2.0.0.zip).
#include <Quillon.h>

const unsigned char music_item[] PROGMEM = {
0x82,0x82,0x7b,0x00};

void setup() {
  quillon_init();
  quillon_play_P(music_item);
}

void loop() {
}'

start_quillon
note 3 2 3
note 3 2 3
note 3 1 2
printf 'stale' | xclip -selection clipboard
# The context menu's entry just above the last ("最近的旋律").
xdotool mousemove --window "$window" 150 300 click 3
sleep 0.5
keys Up Up Return
got=
for _ in 1 2 3 4 5 6 7 8 9 10; do
    sleep 0.3
    got=$(clipboard | tr -d '\r')
    [ "$got" = "$expected" ] && break
done
if [ "$got" != "$expected" ]; then
    echo "FAIL: the clipboard does not hold the sketch" >&2
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$got") >&2 || true
    exit 1
fi
echo "ok: the clipboard holds the sketch"
stop_quillon

rm -rf "$work" && mkdir -p "$work/tools" "$work/Copied"
bash "$firmware/arduino/make-library.sh" "$work/libraries" >/dev/null || exit 1
printf '%s\n' "$got" >"$work/Copied/Copied.ino"
for fqbn in arduino:avr:uno arduino:avr:mega:cpu=atmega2560 arduino:avr:leonardo; do
    out=$work/build-${fqbn//[:=]/-}
    mkdir -p "$out"
    if arduino-builder -compile -hardware /usr/share/arduino-builder \
        -hardware /usr/share/arduino/hardware -tools "$work/tools" -libraries "$work/libraries" \
        -fqbn "$fqbn" -ide-version 10819 -build-path "$out" \
        -prefs=compiler.cpp.extra_flags=-DDECIMAL_DIG=__DECIMAL_DIG__ \
        "$work/Copied/Copied.ino" >"$out/build.log" 2>&1; then
        echo "ok: the copied sketch builds for $fqbn"
    else
        echo "FAIL: the copied sketch does not build for $fqbn:" >&2
        tail -n 30 "$out/build.log" >&2
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
