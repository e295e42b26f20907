#!/usr/bin/env bash
# Undo and redo in the real window under X: what users met in their first hour, through real
# clicks and the keys Ctrl+Z and Ctrl+Shift+Z. The count shows in where the automatic breaks
# fall: a break follows every 16th code only while undo and redo are not counted.
#   undo-under-x.sh QUILLON      (inside xvfb-run)
QUILLON=$1
source "$(dirname "$0")/drive.sh"

# The texts the checks expect, with their automatic breaks.
items i_03_14 0x03 14
items i_03_15 0x03 15
items i_03_16 0x03 16
items i_03_32 0x03 32
items i_3b_16 0x3b 16

start_quillon
for _ in $(seq 15); do note 1 1 1; done
into_text
keys ctrl+z
expect_text "undo after 15 clicks: 14 items and no stray line break" "$header${i_03_14}"
keys ctrl+shift+z
expect_text "redo brings the 15th back" "$header${i_03_15}"
note 1 1 1
expect_text "the 16th click still breaks the line" "$header${i_03_16}"
into_text
for _ in $(seq 16); do keys ctrl+z; done
expect_text "16 undos go back to the start-up text" "$header"
into_text
for _ in $(seq 16); do keys ctrl+shift+z; done
expect_text "16 redos bring all 16 back" "$header${i_03_16}"
for _ in $(seq 16); do note 1 1 1; done
expect_text "the rhythm goes on: a break after the 32nd" "$header${i_03_32}"

clear_button
expect_text "Clear" "$header"
into_text
keys ctrl+z
expect_text "undo of Clear brings the melody back" "$header${i_03_32}"
for _ in $(seq 16); do note 2 1 1; done
expect_text "with its count: the next break after the 48th" "$header${i_03_32}${i_3b_16}"

clear_button
for _ in $(seq 5); do note 1 1 1; done
into_text
keys ctrl+z
for _ in $(seq 12); do note 1 1 1; done
expect_text "undoing a click lowers the count: 16 items to the first break" "$header${i_03_16}"

clear_button
note 1 1 1
note 2 1 1
into_text
xdotool type --delay 40 "ab"
keys ctrl+z
expect_text "typing is undone alone, not with the click before it" "${header}0x03,0x3b,"

# Ctrl+Y redoes on X11 as well as Ctrl+Shift+Z.
clear_button
note 1 1 1
note 1 1 1
into_text
keys ctrl+z
keys ctrl+y
expect_text "Ctrl+Y redoes" "${header}0x03,0x03,"

# The automatic break falls due on the "0" of "0x00" (the 17th change after Clear) and waits
# until the text ends outside a literal.
clear_button
into_text
xdotool type --delay 40 "0x53,0x63,0x1f,0x00};"
expect_text "the automatic break never splits a literal being typed" \
    "${header}0x53,0x63,0x1f,0x00}"$'\n'";"

clear_button
note 1 1 1
note 2 1 1

# Enter on a focused button presses it.
rest
keys Return
expect_text "Enter presses the focused button" "${header}0x03,0x3b,0xf8,0xf8,"

stop_quillon
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
