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


def probe(data, name, take=None):
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, name)
        with open(path, 'wb') as f:
            f.write(data)
        command = [PROBE, path] + ([str(take)] if take else [])
        run = subprocess.run(command, capture_output=True, text=True, timeout=60)
    if run.returncode != 0 or run.stderr:
        return 'probe failed ({}): {}'.format(run.returncode, run.stderr)
    return run.stdout


def expect(name, data, codes=None, report=(), error=None, candidates=None, take=None):
    """candidates: the lines the file's candidates give, 'candidate NAME CHANNELS NOTES LOW-HIGH
    [default]'; None leaves them unchecked. take: the candidate imported, from 1."""
    global failures
    want = ''.join('candidate {}\n'.format(c) for c in candidates or ())
    if error:
        want += 'error {}\n'.format(error)
    else:
        want += 'format midi\ncodes' + ''.join(' %02x' % c for c in codes) + '\n'
        want += ''.join('{} {} {}\n'.format(*entry) for entry in report)
    got = probe(data, name + '.mid', take)
    if candidates is None:
        got = ''.join(line for line in got.splitlines(True) if not line.startswith('candidate '))
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
# note taking over (the first note-off ends the first G5, so E5 follows the second); channel 2
# is a lower chord: neither sounds mostly one note at a time, channel 1 has the higher mean
# pitch; the drum is left out.
events = tempo(0, TEMPO_150)
events += note(0, 72, 0, 800) + note(0, 76, 0, 800) + note(0, 79, 0, 800)
events += note(0, 69, 800, 2400) + note(0, 77, 800, 1200) + note(0, 76, 1600, 2400)
events += [(2400, mido.Message('note_on', note=79, velocity=90)),
           (2800, mido.Message('note_on', note=79, velocity=90)),
           (3200, mido.Message('note_off', note=79)),
           (3600, mido.Message('note_off', note=79))]
events += note(0, 76, 3600, 4000)
events += note(2, 48, 0, 400) + note(2, 52, 0, 400) + note(9, 90, 0, 100)
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

# Which part is the tune. With 480 ticks a quarter and 400,000 us a quarter, a quarter lasts
# 400 ms (duration code 3). Note indices: C3 0, E3 2, F3 3, G3 4, A3 5, B3 6, C4 7, ... G4 11,
# A4 12, B4 13, C5 14, D5 15, ... C6 21, ... A6 26; the code is index x 8 + 3.
Q = 480


def quarters(channel, pitches, start=0, length=1):
    """One note a quarter (or `length` quarters), each ending on the tick the next begins."""
    events = []
    for i, pitch in enumerate(pitches):
        events += note(channel, pitch, start + i * length * Q, start + (i + 1) * length * Q)
    return events


def named(name, events):
    return [(0, mido.MetaMessage('track_name', name=name))] + events


def format1(*tracks):
    song = mido.MidiFile(type=1, ticks_per_beat=Q)
    song.tracks.append(track_of(named('Kesh Jig', tempo(0, TEMPO_150))))
    for events in tracks:
        song.tracks.append(track_of(events))
    return midi_bytes(song)


# As a folk-tune converter writes them: the melody track named after the tune, a busier
# chord-and-bass track on two channels (a bass note alone, then a three-note chord, by turns:
# 16 note-ons against the melody's 8, of which only the 4 bass notes begin alone), and two drum
# tracks. The melody sounds one note at a time, the chords do not: the melody, G4 A4 B4 C5 D5 C5
# B4 A4, is taken, though the chord track is the busiest.
chords = []
for bar in range(4):
    chords += note(1, 43, 2 * bar * Q, (2 * bar + 1) * Q)
    for pitch in (55, 59, 62):
        chords += note(2, pitch, (2 * bar + 1) * Q, (2 * bar + 2) * Q)
drums1 = [e for i in range(16) for e in note(9, 36, i * Q // 2, i * Q // 2 + 60)]
drums2 = [e for i in range(8) for e in note(9, 42, i * Q, i * Q + 60)]
converter_shape = format1(named('Kesh Jig', quarters(0, [67, 69, 71, 72, 74, 72, 71, 69])),
                          named('Chords', chords), named('Drums', drums1), named('Hats', drums2))
expect('a named melody track, a busier chord-and-bass track, drums',
       converter_shape, [0x5b, 0x63, 0x6b, 0x73, 0x7b, 0x73, 0x6b, 0x63],
       [('OtherTracksLeftOut', 16, 1), ('DrumNotesLeftOut', 24, 0)],
       candidates=['Kesh Jig 1 8 67-74 default', 'Chords 2,3 16 43-62'])

# A track named "Melody", lower and quieter, among louder and busier ones: held chords above it
# and a flute that also sounds one note at a time, higher. The name wins: C4 D4 E4 F4.
strings = []
for i in range(8):
    for pitch in (76, 79, 84):
        strings.append((i * Q, mido.Message('note_on', channel=1, note=pitch, velocity=127)))
        strings.append(((i + 1) * Q, mido.Message('note_off', channel=1, note=pitch)))
melody_named = format1(named('Strings', strings),
                       named('Melody', quarters(0, [60, 62, 64, 65])),
                       named('Flute', quarters(2, [84, 86, 88, 89, 91, 93])))
expect('a track named Melody among louder, busier and higher tracks',
       melody_named, [0x3b, 0x43, 0x4b, 0x53], [('OtherTracksLeftOut', 30, 2)],
       candidates=['Strings 2 24 76-84', 'Melody 1 4 60-65 default', 'Flute 3 6 84-93'])
# The third candidate asked for: the flute, C6 D6 E6 F6 G6 A6.
expect('another track asked for', melody_named, [0xab, 0xb3, 0xbb, 0xc3, 0xcb, 0xd3],
       [('OtherTracksLeftOut', 28, 2)], take=3)
expect('a track the file does not have', melody_named, error='NoSuchTune', take=4)

# Format 0, melody and chords on two channels, the chords higher. The melody on channel 2, E3 F3
# G3 A3 B3 A3 G3 F3 E3, each note ending on the tick the next begins, with one low note struck
# under B3: 9 of its 10 note-ons begin alone, just the 90 % that makes it mostly one note at a
# time. The chords (channel 1, two chords of three notes) never sound one note alone, so the
# melody is taken despite its lower mean pitch; the low note lies under the top voice.
events = tempo(0, TEMPO_150)
for start, pitches in ((0, (60, 64, 67)), (2 * Q, (62, 65, 69))):
    for pitch in pitches:
        events += note(0, pitch, start, start + 2 * Q)
events += quarters(1, [52, 53, 55, 57, 59, 57, 55, 53, 52])
events += note(1, 45, 4 * Q + 120, 5 * Q)
mixed = mido.MidiFile(type=0, ticks_per_beat=Q)
mixed.tracks.append(track_of(events))
expect('format 0, melody and chords on two channels',
       midi_bytes(mixed), [0x13, 0x1b, 0x23, 0x2b, 0x33, 0x2b, 0x23, 0x1b, 0x13],
       [('NotesUnderTopVoice', 1, 0), ('OtherChannelsLeftOut', 6, 1)],
       candidates=['- 1 6 60-69', '- 2 10 45-59 default'])

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
