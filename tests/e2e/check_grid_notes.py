#!/usr/bin/env python3
"""Reads the file the grid test saved with mido, an independent reader, and
checks that it holds exactly the notes clicked in and not taken back: in the
drum track 36 at 0 and 38 at 96 (duration 6, velocity 127); in the note track
60 at 0 and 64 at 48 (velocity 127, a duration of at least one tick)."""
import sys

import mido

DRUM = [(0, 36, 127), (96, 38, 127)]
NOTES = [(0, 60, 127), (48, 64, 127)]


def notes_of(track, scale):
    now, open_notes, out = 0, {}, []
    for msg in track:
        now += msg.time
        if msg.type == "note_on" and msg.velocity > 0:
            open_notes[(msg.channel, msg.note)] = (now, msg.velocity)
        elif msg.type in ("note_off", "note_on"):
            start = open_notes.pop((msg.channel, msg.note), None)
            if start is not None:
                out.append((start[0] * scale, msg.note, start[1], (now - start[0]) * scale))
    return sorted(out)


def main():
    mid = mido.MidiFile(sys.argv[1])
    scale = 96 / mid.ticks_per_beat
    tracks = [notes_of(t, scale) for t in mid.tracks]
    tracks = [t for t in tracks if t]
    if len(tracks) != 2:
        print(f"expected two tracks with notes, found {len(tracks)}: {tracks}")
        return 1
    drum, notes = tracks
    if [n[:3] for n in drum] != DRUM or any(n[3] != 6 for n in drum):
        print(f"drum track: {drum}, expected {DRUM} with duration 6")
        return 1
    if [n[:3] for n in notes] != NOTES or any(n[3] < 1 for n in notes):
        print(f"note track: {notes}, expected {NOTES}")
        return 1
    print("saved notes as clicked:", drum, notes)
    return 0


if __name__ == "__main__":
    sys.exit(main())
