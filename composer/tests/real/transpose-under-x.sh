#!/usr/bin/env bash
# Transpose in the real window under X: a selection made with the keyboard moved by Alt+Up and
# kept for the next press, the whole melody an octave down with Alt+Shift+Down, undo and redo of
# both, a note at the edge of the range that stays (the message closed with Enter), and the
# context menu's entry. Expected codes: index = code / 8 (C3 = 0 .. B6 = 27), duration = code % 8.
#   transpose-under-x.sh QUILLON      (inside xvfb-run)
QUILLON=$1
source "$(dirname "$0")/drive.sh"

# The message box about notes that stayed has the focus: Enter closes it.
close_message() {
    sleep 1
    keys Return
}

start_quillon
note 1 1 1 # C3 0x03
note 2 1 1 # C4 0x3b
note 3 1 1 # C5 0x73
into_text
# The last two items, "0x3b,0x73,", from the end with Shift+Left.
keys $(printf 'shift+Left %.0s' $(seq 10))
keys alt+Up
keys alt+Up
expect_text "Alt+Up twice moves the selected notes two naturals, the first stays" \
    "${header}0x03,0x4b,0x83,"

# Nothing selected: the whole melody; C3 cannot go an octave down and stays.
keys alt+shift+Down
close_message
expect_text "Alt+Shift+Down moves the whole melody an octave down" "${header}0x03,0x13,0x4b,"
into_text
keys ctrl+z
expect_text "Ctrl+Z undoes the octave in one step" "${header}0x03,0x4b,0x83,"
into_text
keys ctrl+y
expect_text "Ctrl+Y redoes it" "${header}0x03,0x13,0x4b,"

note 4 1 7 # B6 0xdb
into_text
keys alt+Up
close_message
expect_text "B6 raised stays, the others move" "${header}0x0b,0x1b,0x53,0xdb,"

# The context menu's "降低一个音": sixth from its end.
xdotool mousemove --window "$window" 150 300 click 3
sleep 0.5
keys Up Up Up Up Up Up Return
expect_text "the menu entry lowers every note one natural" "${header}0x03,0x13,0x4b,0xd3,"

# The caret stays at the end, and once Alt is released the keys are the text's again.
into_text
keys alt+Up
xdotool type --delay 40 "q"
expect_text "typing after Alt+Up goes on at the caret" "${header}0x0b,0x1b,0x53,0xdb,q"

stop_quillon
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
