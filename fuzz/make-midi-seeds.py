#!/usr/bin/env python3
"""Writes the seed corpus of the MIDI reader's fuzz target into midi_reader_corpus/: whole files
made by python3-mido, each also cut short at several places and with bytes scrambled, and a few
files of random bytes after "MThd". Deterministic: running it again gives the same files.

usage: make-midi-seeds.py   (run with Debian's /usr/bin/python3, which has python3-mido)
"""
import io
import os
import random

import mido

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'midi_reader_corpus')
rng = random.Random(17)


def save(song):
    buffer = io.BytesIO()
    song.save(file=buffer)
    return buffer.getvalue()


def track(messages):
    t = mido.MidiTrack()
    t.extend(messages)
    return t


def on(note, time=0, channel=0, velocity=80):
    return mido.Message('note_on', note=note, time=time, channel=channel, velocity=velocity)


def off(note, time=0, channel=0):
    return mido.Message('note_off', note=note, time=time, channel=channel)


songs = {}

# Format 0 scale with running status (note-offs as note-on velocity 0) and a tempo.
scale = [mido.MetaMessage('set_tempo', tempo=400000)]
for pitch in (72, 74, 76, 77, 79, 81, 83, 84):
    scale += [on(pitch), on(pitch, 480, velocity=0)]
songs['scale-format0'] = save(mido.MidiFile(type=0, ticks_per_beat=480, tracks=[track(scale)]))

# Format 1: conductor with tempo changes, a chord melody, bass, drums, sysex and text.
conductor = track([mido.MetaMessage('track_name', name='tempo'),
                   mido.MetaMessage('set_tempo', tempo=500000),
                   mido.MetaMessage('set_tempo', tempo=300000, time=960),
                   mido.MetaMessage('time_signature', numerator=3, denominator=4, time=0)])
melody = track([mido.Message('sysex', data=[1, 2, 3]), on(72), on(76), on(79), off(72, 480),
                off(76), off(79), on(84), on(86, 120), off(84, 120), off(86, 240),
                mido.Message('program_change', program=5), mido.Message('pitchwheel', pitch=100),
                on(61), off(61, 2000)])
bass = track([on(36, channel=1), off(36, 960, channel=1)])
drums = track([on(36, channel=9), off(36, 60, channel=9), on(38, 60, channel=9),
               off(38, 60, channel=9)])
songs['band-format1'] = save(mido.MidiFile(type=1, ticks_per_beat=96,
                                           tracks=[conductor, melody, bass, drums]))

# Format 2, refused.
songs['format2'] = save(mido.MidiFile(type=2, tracks=[track([on(60), off(60, 96)]),
                                                      track([on(62), off(62, 96)])]))

# Notes left on: no note-off before the end of the track; long silences and notes.
songs['open-notes'] = save(mido.MidiFile(type=0, ticks_per_beat=24, tracks=[track(
    [on(60), on(64, 5000), off(64, 100000), on(90, 30)])]))

# An SMPTE time division (25 frames a second, 40 ticks a frame), patched into the header.
smpte = bytearray(songs['scale-format0'])
smpte[12:14] = bytes([0xE7, 40])
songs['smpte'] = bytes(smpte)

os.makedirs(OUT, exist_ok=True)
for name, data in songs.items():
    with open(os.path.join(OUT, name + '.mid'), 'wb') as f:
        f.write(data)
    # Cut short in the header, in the first track chunk's header and in the middle of events.
    for cut in sorted({6, 13, 18, 25, len(data) // 2, len(data) - 3}):
        with open(os.path.join(OUT, '{}-cut{}.mid'.format(name, cut)), 'wb') as f:
            f.write(data[:cut])
    # Bytes after the header scrambled.
    for n in range(2):
        scrambled = bytearray(data)
        for _ in range(6):
            scrambled[rng.randrange(14, len(data))] = rng.randrange(256)
        with open(os.path.join(OUT, '{}-scrambled{}.mid'.format(name, n)), 'wb') as f:
            f.write(bytes(scrambled))

for n in range(3):
    noise = b'MThd' + bytes(rng.randrange(256) for _ in range(40 + 40 * n))
    with open(os.path.join(OUT, 'random{}.mid'.format(n)), 'wb') as f:
        f.write(noise)
