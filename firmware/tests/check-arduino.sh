#!/usr/bin/env bash
# The player as an Arduino library, with Debian's Arduino core and arduino-builder.
#   check-arduino.sh library WORK
#       make-library.sh's folder and zip against the Library Manager's rules
#   check-arduino.sh board FQBN MCU QUILLON_SIM WORK
#       every example and the simulator's sketch build for the board; the simulator's sketch
#       then runs in simavr (see sim/main.cpp, mode arduino)
set -uo pipefail

firmware=$(cd "$(dirname "$0")/.." && pwd)
group=$1
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

case $group in
library)
    work=$2
    rm -rf "$work" && mkdir -p "$work"
    zip=$(bash "$firmware/arduino/make-library.sh" "$work") || exit 1
    lib=$work/Quillon
    # The zip holds the folder and nothing else.
    [ -z "$(unzip -Z1 "$zip" | grep -v '^Quillon/')" ] || fail "the zip holds files outside Quillon/"
    [ "$(unzip -Z1 "$zip" | grep -vc '/$')" -eq "$(find "$lib" -type f | wc -l)" ] ||
        fail "the zip and the folder hold different files"
    props=$lib/library.properties
    for field in name version author maintainer sentence paragraph category url architectures \
        includes; do
        grep -q "^$field=." "$props" || fail "library.properties has no $field"
    done
    grep -qx 'name=Quillon' "$props" || fail "the library is not named Quillon"
    grep -qx 'architectures=avr' "$props" || fail "architectures is not avr"
    grep -qx 'includes=Quillon.h' "$props" || fail "includes is not Quillon.h"
    grep -qE '^version=[0-9]+\.[0-9]+\.[0-9]+$' "$props" || fail "the version is not x.y.z"
    grep -qx 'version=2.0.0' "$props" || fail "the version is not 2.0.0"
    # The Library Manager's categories.
    category=$(sed -n 's/^category=//p' "$props")
    case $category in
    Display | Communication | "Signal Input/Output" | Sensors | "Device Control" | Timing | \
        "Data Storage" | "Data Processing" | Other) ;;
    *) fail "category '$category' is not one of the Library Manager's" ;;
    esac
    [ "$zip" = "$work/Quillon-2.0.0.zip" ] || fail "the zip is $zip, not Quillon-2.0.0.zip"
    [ -f "$lib/src/Quillon.h" ] || fail "no src/Quillon.h"
    [ -f "$lib/keywords.txt" ] || fail "no keywords.txt"
    python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert d["name"]=="Quillon" and d["version"]=="2.0.0"' \
        "$lib/library.json" || fail "library.json is not JSON naming Quillon 2.0.0"
    [ -z "$(find "$lib" -type l)" ] || fail "symbolic links: $(find "$lib" -type l)"
    [ -z "$(find "$lib" -type f -perm /111)" ] || fail "executables: $(find "$lib" -type f -perm /111)"
    [ -z "$(find "$lib" -type f -exec file {} + | grep -iE 'ELF|executable')" ] ||
        fail "binaries in the library"
    # The sources are the player's own, not copies that may drift.
    for f in quillon_player.c quillon_player.h quillon_convention.h; do
        cmp -s "$firmware/$f" "$lib/src/$f" || fail "src/$f differs from firmware/$f"
    done
    # Each example in its own folder with an .ino of the same name, and nothing else at the top.
    [ -z "$(find "$lib/examples" -mindepth 1 -maxdepth 1 -type f)" ] || fail "files loose in examples/"
    count=0
    for dir in "$lib"/examples/*/; do
        name=$(basename "$dir")
        [ -f "$dir/$name.ino" ] || fail "examples/$name has no $name.ino"
        count=$((count + 1))
    done
    [ "$count" -ge 3 ] || fail "$count examples, expected at least 3"
    ;;
board)
    fqbn=$2 mcu=$3 sim=$4 work=$5
    rm -rf "$work" && mkdir -p "$work/tools"
    bash "$firmware/arduino/make-library.sh" "$work/libraries" >/dev/null || exit 1
    # build SKETCH_DIR: the sketch's ELF in $work/<sketch>/
    build() {
        local name out
        name=$(basename "$1")
        out=$work/$name
        mkdir -p "$out"
        if ! arduino-builder -compile -hardware /usr/share/arduino-builder \
            -hardware /usr/share/arduino/hardware -tools "$work/tools" \
            -libraries "$work/libraries" -fqbn "$fqbn" -ide-version 10819 -build-path "$out" \
            -prefs=compiler.cpp.extra_flags=-DDECIMAL_DIG=__DECIMAL_DIG__ \
            -prefs=compiler.c.extra_flags=-Werror=conversion \
            "$1/$name.ino" >"$out/build.log" 2>&1; then
            fail "$name does not build for $fqbn:
$(tail -n 30 "$out/build.log")"
            return 1
        fi
    }
    for sketch in "$firmware"/arduino/examples/*/ ${QUILLON_EXTRA_SKETCHES:-}; do
        build "${sketch%/}"
    done
    sketch=$firmware/tests/arduino/ToneBeside
    if build "$sketch"; then
        "$sim" arduino "$work/ToneBeside/ToneBeside.ino.elf" "$mcu" 16000000 \
            "$sketch/ToneBeside.ino" || fail "the sketch did not play right in simavr"
    fi
    ;;
*)
    echo "check-arduino.sh: unknown group '$group'" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "arduino: $group: all checks passed"
