#!/usr/bin/env bash
# build-optiboot.sh OUT.hex: the Uno's optiboot from Debian's arduino-core-avr source. The
# package's optiboot_atmega328.hex runs past the end of the flash; its own source, built with
# the options of its Makefile (and -mrelax for want of -mshort-calls), fits the 512 bytes.
set -euo pipefail
boot=/usr/share/arduino/hardware/arduino/avr/bootloaders/optiboot
out=$1
avr-gcc -Wall -Os -fno-inline-small-functions -fno-split-wide-types -mrelax \
    -fno-inline-functions-called-once -mmcu=atmega328p -DF_CPU=16000000L -DBAUD_RATE=115200 \
    -DLED_START_FLASHES=3 -I"$boot" -Wl,--section-start=.text=0x7e00 \
    -Wl,--section-start=.version=0x7ffe -Wl,--relax -nostartfiles -nostdlib -o "$out.elf" \
    "$boot/optiboot.c"
avr-objcopy -j .text -j .data -j .version -O ihex "$out.elf" "$out"
# No start address record: simavr does not read one.
sed -i "/^:04000003/d" "$out"
