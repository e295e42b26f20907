#!/usr/bin/env python3
"""MIDI files written by python3-mido, an independent writer, imported through tune_probe.

Each case states its notes in milliseconds and the codes and report expected of it, worked out
by hand from the import rules: MIDI note 48 is C3 (note index 0), code = note index x 8 +
duration code (100 ms 1, 200 ms 2, 400 ms 3, 800 ms 4, 1200 ms 5, 1600 ms 6, 2000 ms 7), rests
100 ms 0xf9, 200 ms 0xfa, 400 ms 0xf8, 800 ms 0xfc, 1200 ms 0xfd, 1600 ms 0xfe, 2000 ms 0xff.

usage: midi_import_test.py TUNE_PROBE
"""
import os
import subprocess
import sys
import tempfile

try:
    import mido
except ImportError:
    sys.exit("FAIL: python3-mido is missing: install the Debian packages with scripts/install-deps")

PROBE = sys.argv[1]
failures = 0

# With 400 ticks a quarter and 400,000 us a quarter (150 a minute), a tick is a millisecond.
MS = 400
TEMPO_150 = 400000


def track_of(events, ticks_per_ms=1):
    """A mido track from (time, message) pairs in absolute ticks, in the order given."""
    track = mido.MidiTrack()
    now = 0
    for time, message in sorted(events, key=lambda e: e[0]):
        track.append(message.copy(time=time - now))
        now = time
    return track


def note(channel, pitch, start, end, off_as_zero_velocity=False):
    off = (mido.Message('note_on', channel=channel, note=pitch, velocity=0)
           if off_as_zero_velocity else
           mido.Message('note_off', channel=channel, note=pitch, velocity=64))
    return [(start, mido.Message('note_on', channel=channel, note=pitch, velocity=90)),
            (end, off)]


def tempo(time, us):
    return [(time, mido.MetaMessage('set_tempo', tempo=us))]


def midi_bytes(midi_file):
    with tempfile.TemporaryFile() as f:
        midi_file.save(file=f)
        f.seek(0)
        return f.read()


def probe(data, name):
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, name)
        with open(path, 'wb') as f:
            f.write(data)
        run = subprocess.run([PROBE, path], capture_output=True, text=True, timeout=60)
    if run.returncode != 0 or run.stderr:
        return 'probe failed ({}): {}'.format(run.returncode, run.stderr)
    return run.stdout


def expect(name, data, codes=None, report=(), error=None):
    global failures
    if error:
        want = 'error {}\n'.format(error)
    else:
        want = 'format midi\ncodes' + ''.join(' %02x' % c for c in codes) + '\n'
        want += ''.join('{} {} {}\n'.format(*entry) for entry in report)
    got = probe(data, name + '.mid')
    if got != want:
        failures += 1
        print('FAIL: {}\n  expected:\n{}  got:\n{}'.format(name, want, got), file=sys.stderr)
    else:
        print('ok: ' + name)


# Format 0, one channel, 150 a minute: the worked example's scale, C5 to C6 in quarters. Every
# note-off is a note-on of velocity 0, so mido writes one status byte and runs on it.
events = tempo(0, TEMPO_150)
for i, pitch in enumerate([72, 74, 76, 77, 79, 81, 83, 84]):
    events += note(0, pitch, i * 400, (i + 1) * 400, off_as_zero_velocity=True)
scale = mido.MidiFile(type=0, ticks_per_beat=MS)
scale.tracks.append(track_of(events))
data = midi_bytes(scale)
# After the header (whose division, 400, is 0x0190) and the track's chunk header.
if data[22:].count(0x90) != 1:
    failures += 1
    print('FAIL: the scale was not written with running status', file=sys.stderr)
expect('format 0, running status, the worked example',
       data, [0x73, 0x7b, 0x83, 0x8b, 0x93, 0x9b, 0xa3, 0xab])

# Format 1: a conductor track whose tempo doubles after four quarters (to 200,000 us, 200 ms a
# quarter), the melody with a system exclusive message and one drum hit above it, a bass track
# with fewer notes and a drum track with more. An unknown chunk stands before the tracks.
ticks = 480
conductor = tempo(0, TEMPO_150) + tempo(4 * ticks, 200000) + [
    (0, mido.MetaMessage('track_name', name='conductor'))]
melody = [(0, mido.Message('sysex', data=[0x7e, 0x7f, 0x09, 0x01]))]
for i, pitch in enumerate([72, 74, 76, 77, 79, 81, 83, 84]):
    melody += note(0, pitch, i * ticks, (i + 1) * ticks)
melody += note(9, 100, 0, ticks // 2)
bass = note(1, 48, 0, 2 * ticks) + note(1, 48, 2 * ticks, 4 * ticks)
drums = []
for i in range(16):
    drums += note(9, 36 + i % 3, i * ticks // 2, i * ticks // 2 + 60)
song = mido.MidiFile(type=1, ticks_per_beat=ticks)
for events in (conductor, melody, bass, drums):
    song.tracks.append(track_of(events))
data = midi_bytes(song)
data = data[:14] + b'XFIH' + (3).to_bytes(4, 'big') + b'abc' + data[14:]
expect('format 1, tempo change, tracks, drums',
       data, [0x73, 0x7b, 0x83, 0x8b, 0x92, 0x9a, 0xa2, 0xaa],
       [('OtherTracksLeftOut', 2, 1), ('DrumNotesLeftOut', 17, 0)])

# The top voice, format 0, one tick a millisecond. A chord C5 E5 G5 (G5 heard); a bass A4 that
# sounds again when F5 above it ends; E5 over it; G5 struck again before its note-off, the later
# note taking over (the first note-off ends the first G5, so E5 follows the second); channel 2 is
# higher but has fewer notes; the drum is left out.
events = tempo(0, TEMPO_150)
events += note(0, 72, 0, 800) + note(0, 76, 0, 800) + note(0, 79, 0, 800)
events += note(0, 69, 800, 2400) + note(0, 77, 800, 1200) + note(0, 76, 1600, 2400)
events += [(2400, mido.Message('note_on', note=79, velocity=90)),
           (2800, mido.Message('note_on', note=79, velocity=90)),
           (3200, mido.Message('note_off', note=79)),
           (3600, mido.Message('note_off', note=79))]
events += note(0, 76, 3600, 4000)
events += note(2, 84, 0, 400) + note(2, 86, 400, 800) + note(9, 90, 0, 100)
voices = mido.MidiFile(type=0, ticks_per_beat=MS)
voices.tracks.append(track_of(events))
expect('format 0, overlapping notes, top voice',
       midi_bytes(voices), [0x94, 0x8b, 0x63, 0x84, 0x93, 0x94, 0x83],
       [('NotesUnderTopVoice', 2, 0), ('OtherChannelsLeftOut', 2, 1), ('DrumNotesLeftOut', 1, 0)])

# Silences, one tick a millisecond: a second before the first note; gaps of 20 and 49 ms
# (dropped, the note before lasting on: C5 400 ms, E5 449 ms), 400 ms (a rest), 2500 ms
# (2000 + 400 + 100) and 50 ms (a rest, nearest 100 ms); G5 held 4500 ms (2000 + 2000 + 400 + 100).
events = tempo(0, TEMPO_150)
for pitch, start, end in [(72, 1000, 1380), (74, 1400, 1800), (76, 2200, 2600),
                          (77, 2649, 3049), (79, 5549, 10049), (81, 10099, 10499)]:
    events += note(0, pitch, start, end)
gaps = mido.MidiFile(type=0, ticks_per_beat=MS)
gaps.tracks.append(track_of(events))
expect('silences dropped, rests, chains',
       midi_bytes(gaps),
       [0x73, 0x7b, 0xf8, 0x83, 0x8b, 0xff, 0xf8, 0xf9, 0x97, 0x97, 0x93, 0x91, 0xf9, 0x9b],
       [('NoteLengthRounded', 1, 0), ('RestLengthRounded', 1, 0), ('NoteSplit', 1, 3),
        ('RestSplit', 1, 2), ('ShortSilenceDropped', 2, 0), ('LeadingSilenceLeftOut', 1, 1000)])

# Refused: format 2, drums alone, files cut short anywhere, an event with no status.
two = mido.MidiFile(type=2, ticks_per_beat=MS)
two.tracks.append(track_of(note(0, 72, 0, 400)))
two.tracks.append(track_of(note(0, 74, 0, 400)))
expect('format 2', midi_bytes(two), error='MidiFormat2')

drum_only = mido.MidiFile(type=0, ticks_per_beat=MS)
drum_only.tracks.append(track_of(note(9, 36, 0, 100) + note(9, 38, 100, 200)))
expect('drums alone', midi_bytes(drum_only), error='NoNotes')

whole = midi_bytes(song)
for cut in (4, 10, 13, 22, len(whole) // 2, len(whole) - 1):
    expect('cut after {} of {} bytes'.format(cut, len(whole)), whole[:cut], error='CutShort')

header = midi_bytes(scale)[:14]
expect('an event with no status', header + b'MTrk' + (3).to_bytes(4, 'big') + b'\x00\x40\x40',
       error='BrokenMidi')

if failures:
    sys.exit('{} MIDI case(s) failed'.format(failures))
print('all MIDI cases passed')
