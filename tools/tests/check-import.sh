#!/usr/bin/env bash
# Runs quillon-import the way a user does and checks one group of behaviours.
#   check-import.sh files TOOL PYTHON   tunes in, arrays out; the report; refused files
# Write errors are the table tools' (check-tool.sh write-error TOOL FILE).
# PYTHON is a python3 with python3-mido, which writes the MIDI files.
set -uo pipefail

group=$1
tool=$2
python=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
name=$(basename "$tool")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $name: $*" >&2
    failures=$((failures + 1))
}

# run FILE...: the tool on the arguments, output in $work/out and $work/err, status in $status.
run() {
    timeout 20 "$tool" "$@" >"$work/out" 2>"$work/err"
    status=$?
}

# expect WHAT STATUS STDOUT STDERR: the last run's status and exact output (without the final
# line feed that $(...) drops).
expect() {
    [ "$status" -eq "$2" ] || fail "$1: exit status $status, expected $2"
    [ "$(cat "$work/out")" = "$3" ] || fail "$1: standard output is:
$(cat "$work/out")
expected:
$3"
    [ "$(cat "$work/err")" = "$4" ] || fail "$1: standard error is:
$(cat "$work/err")
expected:
$4"
}

header='const unsigned char music_item[] = {'

case $group in
files)
    # Twenty notes: a line of 16 codes, the automatic break, the rest, End. Byte for byte.
    run "$here/quillon-import.rtttl"
    [ "$status" -eq 0 ] || fail "twenty notes: exit status $status"
    cmp -s "$here/quillon-import.expected" "$work/out" ||
        fail "twenty notes: output differs from quillon-import.expected: $(cmp "$here/quillon-import.expected" "$work/out")"
    [ -s "$work/err" ] && fail "twenty notes: unexpected standard error: $(cat "$work/err")"

    # The README's worked example changes nothing and so reports nothing.
    printf 'scale:d=4,o=5,b=150:c,d,e,f,g,a,b,c6' >"$work/scale.txt"
    run "$work/scale.txt"
    expect "worked example" 0 "$header
0x73,0x7b,0x83,0x8b,0x93,0x9b,0xa3,0xab,0x00};" ""

    # One line for each kind of change, singular or plural: a semitone down puts c# d# f# on
    # naturals; 100 a minute makes 600 ms quarters (800 ms); the whole c lasts 2400 ms
    # (2000 + 400, not rounded); c9 comes down into range; zz is skipped. The name says MIDI,
    # the content is RTTTL.
    printf 'x:d=4,o=5,b=100:c#,d#,f#,1c,p,c9,zz' >"$work/changes.mid"
    run "$work/changes.mid"
    expect "changes reported" 0 "$header
0x74,0x7c,0x8c,0x6f,0x6b,0xfc,0xdc,0x00};" "transposed 1 semitone down
1 note moved into C3-B6 by octaves
4 note lengths rounded
1 rest length rounded
1 note split
1 unreadable token skipped"

    # E7, G#7 and C#7 twice: a semitone up puts all four on naturals (F, A, D, D); an octave
    # down then puts all four inside C3-B6.
    printf 'x:d=4,o=7,b=150:e,g#,c#,c#' >"$work/up.txt"
    run "$work/up.txt"
    expect "semitones up, octave down, natural below" 0 "$header
0xc3,0xd3,0xb3,0xb3,0x00};" "transposed 1 semitone up
moved 1 octave down"

    # A MIDI file named .txt: told by its content. Made by python3-mido at 150 a minute (480
    # ticks, 400 ms a quarter): 400 ms of silence, a chord of 780 ms (its lower notes left out)
    # with a drum and a low chord on channel 2, 20 ms of silence (dropped: the chord's G5 lasts
    # 800 ms), then C6 for 400 ms. Neither channel sounds mostly one note at a time; channel 1
    # has the higher mean pitch.
    if ! "$python" - "$work/tune.txt" <<'PY'
import sys, mido
song = mido.MidiFile(type=0, ticks_per_beat=480)
track = mido.MidiTrack()
track.append(mido.MetaMessage('set_tempo', tempo=400000))
delta = 480
for channel, pitch in ((0, 72), (0, 76), (0, 79), (9, 38), (1, 48), (1, 52)):
    track.append(mido.Message('note_on', channel=channel, note=pitch, velocity=80, time=delta))
    delta = 0
delta = 936
for channel, pitch in ((0, 72), (0, 76), (0, 79), (9, 38), (1, 48), (1, 52)):
    track.append(mido.Message('note_off', channel=channel, note=pitch, time=delta))
    delta = 0
track.append(mido.Message('note_on', note=84, velocity=80, time=24))
track.append(mido.Message('note_off', note=84, time=480))
song.tracks.append(track)
song.save(sys.argv[1])
PY
    then
        fail "python3-mido could not write the MIDI file: install the packages with scripts/install-deps"
    fi
    run "$work/tune.txt"
    expect "MIDI file by content" 0 "$header
0x94,0xab,0x00};" "1 silence under 50 ms dropped
the silence of 400 ms before the first note left out
2 notes under the top voice left out
2 notes in 1 other channel left out
1 drum note left out"

    # Choosing. --list: one candidate a line, tab-separated: number, name, channels, notes,
    # range, "default". Channel 1 (C5 E5 G5, C6) and channel 2 (C3 E3): neither sounds mostly
    # one note at a time, channel 1 has the higher mean pitch.
    tab=$'\t'
    run --list "$work/tune.txt"
    expect "--list, MIDI" 0 "1$tab-${tab}channel 1${tab}4 notes${tab}C5-C6${tab}default
2$tab-${tab}channel 2${tab}2 notes${tab}C3-E3" ""
    # Channel 2 taken: its chord's E3 (780 ms, 800) over C3.
    run --track 2 "$work/tune.txt"
    expect "--track 2" 0 "$header
0x14,0x00};" "1 note length rounded
the silence of 400 ms before the first note left out
1 note under the top voice left out
4 notes in 1 other channel left out
1 drum note left out"

    # A ring-tone collection, one tune a line: the first is taken, the others counted.
    printf 'x:d=4,o=5,b=150:c,d\r\ny:d=4,o=5,b=150:e,f\r\nz:d=4,o=5,b=150:2g,p\r\n' >"$work/three.rtttl"
    run "$work/three.rtttl"
    expect "collection" 0 "$header
0x73,0x7b,0x00};" "2 other tunes in the file left out"
    run --list "$work/three.rtttl"
    expect "--list, RTTTL" 0 "1${tab}x$tab-${tab}2 notes${tab}C5-D5${tab}default
2${tab}y$tab-${tab}2 notes${tab}E5-F5
3${tab}z$tab-${tab}1 note${tab}G5-G5" ""
    run --tune 3 "$work/three.rtttl"
    expect "--tune 3" 0 "$header
0x94,0xf8,0x00};" "2 other tunes in the file left out"

    # Choices the file cannot meet: one line, status 2, nothing written.
    run --tune 4 "$work/three.rtttl"
    expect "no tune 4" 2 "" "$name: $work/three.rtttl: no tune 4: the file has 3 (see --list)"
    run --track 1 "$work/three.rtttl"
    expect "--track on RTTTL" 2 "" "$name: $work/three.rtttl: not a MIDI file: choose with --tune N"
    run --tune 1 "$work/tune.txt"
    expect "--tune on MIDI" 2 "" "$name: $work/tune.txt: a MIDI file: choose with --track N"
    run --track 0 "$work/tune.txt"
    expect "--track 0" 2 "" "$name: --track takes a number from 1, not '0'"
    run --list "$work/missing.mid"
    expect "--list, missing file" 1 "" "$name: $work/missing.mid: No such file or directory"

    # Refused files: one line on standard error, nothing on standard output, status 1.
    : >"$work/empty.rtttl"
    run "$work/empty.rtttl"
    expect "empty file" 1 "" "$name: $work/empty.rtttl: the file is empty"
    printf 'just some words\n' >"$work/words.txt"
    run "$work/words.txt"
    expect "not a tune" 1 "" "$name: $work/words.txt: neither an RTTTL ring tone nor a MIDI file"
    printf 'x:d=4,o=5,b=150' >"$work/short.rtttl"
    run "$work/short.rtttl"
    expect "RTTTL cut short" 1 "" "$name: $work/short.rtttl: the file is cut short"
    head -c 30 "$work/tune.txt" >"$work/short.mid"
    run "$work/short.mid"
    expect "MIDI cut short" 1 "" "$name: $work/short.mid: the file is cut short"
    "$python" -c 'import sys, mido
song = mido.MidiFile(type=2)
for pitch in (60, 62):
    track = mido.MidiTrack()
    track.append(mido.Message("note_on", note=pitch, velocity=80))
    track.append(mido.Message("note_off", note=pitch, time=480))
    song.tracks.append(track)
song.save(sys.argv[1])' "$work/two.mid"
    run "$work/two.mid"
    expect "MIDI format 2" 1 "" "$name: $work/two.mid: MIDI format 2 (independent sequences) is not supported"
    run "$work/missing.mid"
    expect "missing file" 1 "" "$name: $work/missing.mid: No such file or directory"

    # The command line: exactly one file, an option before it at most.
    run
    expect "no file" 2 "" "usage: $name [--list | --track N | --tune N] FILE"
    run "$work/scale.txt" "$work/scale.txt"
    expect "two files" 2 "" "usage: $name [--list | --track N | --tune N] FILE"
    run --list
    expect "--list without a file" 2 "" "usage: $name [--list | --track N | --tune N] FILE"
    run --tune 1 "$work/scale.txt" "$work/scale.txt"
    expect "--tune and two files" 2 "" "usage: $name [--list | --track N | --tune N] FILE"
    run --help
    expect "--help" 0 "usage: $name [--list | --track N | --tune N] FILE" ""
    ;;
*)
    echo "check-import.sh: unknown group '$group'" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "$name: $group: all checks passed"
