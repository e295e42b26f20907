#!/usr/bin/env bash
# quillon-upload against a simulated board (quillon_simboard: the board's own bootloader from
# Debian's Arduino core in simavr, its serial port a pseudo-terminal).
#   check-upload.sh CASE QUILLON_UPLOAD QUILLON_SIMBOARD WORK
# uno, mega, nano-old, leonardo: the upload succeeds and the chip then plays the melody right
# (the Leonardo's AVR109 bootloader is played by quillon_simboard, simavr having no USB);
# leonardo-notouch: a Leonardo that ignores the 1200-baud touch;
# silent, garble, hangup, flashbit: the board, cable or flash fails, and the tool says what to do
# with status 1; too-long: a melody beyond the flash; busy: another program holds the port;
# windows: QUILLON_UPLOAD is the Windows build, run by $QUILLON_WINE in $WINEPREFIX, the board's
# port its COM9: the Uno's melody, then a silent board.
set -uo pipefail

case=$1 tool=$2 sim=$3 work=$4
boot=/usr/share/arduino/hardware/arduino/avr/bootloaders
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

optiboot() {
    bash "$(dirname "$0")/build-optiboot.sh" "$work/boot.hex"
}

# Four notes, a rest and a note, 1.4 s: 0x73 is C5 for 400 ms (index 14, code 3), 0x99 E5 for
# 100 ms, 0xa2 F5 for 200 ms, 0xf9 a rest of 100 ms, 0x42 C4 for 200 ms, 0xd3 B6 for 400 ms.
melody=$work/melody.c
cat >"$melody" <<'MELODY'
const unsigned char music_item[] = {
0x73,0x99,0xa2,0xf9,0x42,0xd3,0x00};
MELODY

sim_pid=
# board HEX MCU BOOT_ADDRESS FAULT: starts the simulated board and waits for its port.
board() {
    "$sim" "$1" "$2" "$3" "$work/port" "$4" "$melody" >"$work/board.log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 100); do
        [ -L "$work/port" ] && return 0
        sleep 0.1
    done
    fail "the simulated board did not start: $(cat "$work/board.log")"
    exit 1
}
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null' EXIT

port=$work/port
run=()
if [ "$case" = windows ]; then
    : "${QUILLON_WINE:?names wine}" "${QUILLON_OBJDUMP:?names the MinGW objdump}"
    : "${WINEPREFIX:?names the wine prefix of the tests}"
    export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
    unset DISPLAY WAYLAND_DISPLAY
    # Wine takes COM ports from the links in its prefix's dosdevices.
    ln -sfn "$work/port" "$WINEPREFIX/dosdevices/com9"
    trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -f "$WINEPREFIX/dosdevices/com9"' EXIT
    port=COM9
    run=("$QUILLON_WINE")
fi

# imports: the DLLs the Windows build needs, in lower case, sorted.
imports() {
    "$QUILLON_OBJDUMP" -p "$tool" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' |
        sort | tr '\n' ' '
}

# upload BOARD [FILE]: runs the tool; its status in $status, its output in out and err.
upload() {
    "${run[@]}" "$tool" --port "$port" --board "$1" "${2:-$melody}" >"$work/out" 2>"$work/err"
    status=$?
}

# fails_with TEXT...: status 1, no success reported, and the message says each TEXT.
fails_with() {
    [ "$status" -eq 1 ] || fail "status $status, expected 1"
    [ ! -s "$work/out" ] || fail "success reported: $(cat "$work/out")"
    for text in "$@"; do
        grep -qF -- "$text" "$work/err" || fail "no '$text' in: $(cat "$work/err")"
    done
}

# plays BOARD HEX MCU BOOT_ADDRESS [FILE CODES]: uploads FILE (the melody above, 6 codes), then
# the simulated chip checks what it plays against $melody.
plays() {
    board "$2" "$3" "$4" none
    upload "$1" "${5:-$melody}"
    [ "$status" -eq 0 ] || fail "status $status: $(cat "$work/err")"
    grep -q "^${6:-6} codes written to .* and verified" "$work/out" ||
        fail "output: $(cat "$work/out")"
    wait "$sim_pid" || fail "the chip did not play the melody right:
$(cat "$work/board.log")"
    sim_pid=
    cat "$work/board.log"
}

case $case in
uno)
    optiboot || exit 1
    plays uno "$work/boot.hex" atmega328p 0x7e00
    ;;
mega)
    plays mega "$boot/stk500v2/stk500boot_v2_mega2560.hex" atmega2560 0x3e000
    ;;
rtttl)
    # A ring tone, as quillon-import reads it; the chip must play the array written out by hand
    # for quillon-import's own test.
    optiboot || exit 1
    melody=$(dirname "$0")/../../tools/tests/quillon-import.expected
    plays uno "$work/boot.hex" atmega328p 0x7e00 \
        "$(dirname "$0")/../../tools/tests/quillon-import.rtttl" 20
    ;;
nano-old)
    plays nano-old "$boot/atmega/ATmegaBOOT_168_atmega328.hex" atmega328p 0x7800
    ;;
leonardo)
    plays leonardo avr109 atmega32u4 0x7000
    ;;
leonardo-notouch)
    board avr109 atmega32u4 0x7000 notouch
    upload leonardo
    fails_with "no answer from the bootloader of the Arduino Leonardo / Micro on" \
        "Press the board's reset button and upload again within 8 seconds"
    ;;
silent)
    optiboot || exit 1
    board "$work/boot.hex" atmega328p 0x7e00 silent
    upload uno
    fails_with "no answer from the bootloader" "--board nano-old"
    ;;
garble)
    optiboot || exit 1
    board "$work/boot.hex" atmega328p 0x7e00 garble
    upload uno
    fails_with "answer makes no sense" "another --board"
    ;;
hangup)
    optiboot || exit 1
    board "$work/boot.hex" atmega328p 0x7e00 hangup
    upload uno
    fails_with "the port went away during the upload"
    ;;
flashbit)
    optiboot || exit 1
    board "$work/boot.hex" atmega328p 0x7e00 flashbit
    upload uno
    # The bridge turns bit 0 of flash byte 0x40 over once the first page is written.
    fails_with "verify failed" "flash byte 0x0040 reads"
    ;;
too-long)
    # 32256 bytes below optiboot: no melody of 32000 codes fits beside the program.
    {
        echo 'const unsigned char music_item[] = {'
        for _ in $(seq 2000); do echo '0x73,0x73,0x73,0x73,0x73,0x73,0x73,0x73,0x73,0x73,0x73,0x73,0x73,0x73,0x73,0x73,'; done
        echo '0x00};'
    } >"$work/long.c"
    optiboot || exit 1
    board "$work/boot.hex" atmega328p 0x7e00 none
    upload uno "$work/long.c"
    fails_with "the melody does not fit" "32000 codes"
    ;;
busy)
    optiboot || exit 1
    board "$work/boot.hex" atmega328p 0x7e00 none
    # As a serial monitor that locks its port: the lock and the open port in one process.
    (
        exec 9<"$work/port"
        flock 9
        exec sleep 30
    ) >/dev/null 2>&1 &
    holder=$!
    sleep 0.5
    upload uno
    kill "$holder" 2>/dev/null
    fails_with "is busy" "serial monitor"
    ;;
windows)
    # Windows' own DLLs only: a MinGW runtime DLL would keep it from starting on a plain Windows.
    [ "$(imports)" = "advapi32.dll kernel32.dll msvcrt.dll setupapi.dll " ] ||
        fail "imports '$(imports)', expected advapi32, kernel32, msvcrt and setupapi"
    optiboot || exit 1
    plays uno "$work/boot.hex" atmega328p 0x7e00
    grep -q "^6 codes written to the Arduino Uno (optiboot) on COM9 and verified" "$work/out" ||
        fail "output: $(cat "$work/out")"
    rm -f "$work/port"
    board "$work/boot.hex" atmega328p 0x7e00 silent
    upload uno
    fails_with "no answer from the bootloader of the Arduino Uno (optiboot) on COM9" \
        "--board nano-old"
    ;;
*)
    echo "check-upload.sh: unknown case '$case'" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "upload: $case: all checks passed"
