#!/usr/bin/env bash
# Builds the firmware with avr-gcc and checks one group of behaviours.
#   check-firmware.sh simulate player|example F_CPU QUILLON_SIM WORK
#       builds for the ATmega328P at F_CPU and runs it in simavr (see sim/main.cpp)
#   check-firmware.sh targets WORK
#       the player builds for every supported chip and clock, refuses any other with a message
#       that names the supported ones, and stays within its flash and RAM budget
set -uo pipefail

firmware=$(cd "$(dirname "$0")/.." && pwd)
group=$1
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# build OUT MCU F_CPU TARGET: quiet on success, the compiler's output in OUT/build.log.
build() {
    mkdir -p "$1"
    make -C "$firmware" "$4" OUT="$1" MCU="$2" F_CPU="$3" >"$1/build.log" 2>&1
}

case $group in
simulate)
    mode=$2 hz=$3 sim=$4 out=$5/$2-$3
    if ! build "$out" atmega328p "$hz" tests; then
        cat "$out/build.log" >&2
        exit 1
    fi
    if [ "$mode" = player ]; then
        exec "$sim" player "$out/player_test.elf" atmega328p "$hz" "$firmware/tests/player_test.c"
    fi
    exec "$sim" example "$out/melody_blink.elf" atmega328p "$hz" "$firmware/examples/melody_blink.c"
    ;;
targets)
    work=$2
    clocks="1000000 8000000 12000000 16000000 20000000"
    chips="atmega48 atmega48a atmega48p atmega48pa atmega88 atmega88a atmega88p atmega88pa
           atmega168 atmega168a atmega168p atmega168pa atmega328 atmega328p
           atmega1280 atmega2560 atmega16u4 atmega32u4"
    for mcu in $chips; do
        build "$work/$mcu-16000000" "$mcu" 16000000 player || fail "$mcu does not build:
$(cat "$work/$mcu-16000000/build.log")"
    done
    for mcu in atmega328p atmega2560 atmega32u4; do
        for hz in $clocks; do
            build "$work/$mcu-$hz" "$mcu" "$hz" player || fail "$mcu at $hz Hz does not build:
$(cat "$work/$mcu-$hz/build.log")"
        done
    done

    for mcu in atmega8 atmega64 attiny85; do
        if build "$work/$mcu" "$mcu" 16000000 player; then
            fail "$mcu builds, but its timers differ"
        elif ! grep -q 'supports only the ATmega48, 88, 168 and 328' "$work/$mcu/build.log"; then
            fail "$mcu fails without naming the supported chips:
$(cat "$work/$mcu/build.log")"
        fi
    done
    for hz in 4000000 14745600 16000001; do
        if build "$work/clock-$hz" atmega328p "$hz" player; then
            fail "F_CPU $hz builds, but no timer setting is made for it"
        elif ! grep -q '1000000, 8000000, 12000000, 16000000 or 20000000' "$work/clock-$hz/build.log"; then
            fail "F_CPU $hz fails without naming the supported clocks:
$(cat "$work/clock-$hz/build.log")"
        fi
    done

    # Size of the player alone at 16 MHz, -Os: text + data in flash, data + bss in RAM.
    read -r text data bss _ < <(avr-size "$work/atmega328p-16000000/quillon_player.o" | tail -n 1)
    echo "player at 16 MHz: $((text + data)) bytes of flash, $((data + bss)) bytes of RAM"
    [ $((text + data)) -le 800 ] || fail "the player takes $((text + data)) bytes of flash, more than 800"
    [ $((data + bss)) -le 16 ] || fail "the player takes $((data + bss)) bytes of RAM, more than 16"
    ;;
*)
    echo "check-firmware.sh: unknown group '$group'" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "firmware: $group: all checks passed"
