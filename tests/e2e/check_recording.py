#!/usr/bin/env python3
"""Checks a recording made from a known schedule of notes: the saved file,
read by mido and by our own reader (its dump), holds each note once at its
timing-corrected tick (1/16 grid) with its velocity, and the program echoed
every note-on and note-off back to the sender (MIDI thru)."""
import sys

import mido


def corrected(tick, grid=24):
    return (tick + grid // 2) // grid * grid


def main():
    midi_path, dump_path, heard_path = sys.argv[1:4]
    schedule = []
    for item in sys.argv[4:]:
        tick, note, velocity, length = (int(x) for x in item.split(":"))
        schedule.append((corrected(tick), note, velocity, length))
    expected = sorted((t, n, v) for t, n, v, _ in schedule)
    failures = []

    # mido: absolute ticks of the note-ons of channel 1.
    mid = mido.MidiFile(midi_path)
    if mid.ticks_per_beat != 96:
        failures.append(f"division {mid.ticks_per_beat}, not 96")
    got_mido = []
    for track in mid.tracks:
        now = 0
        for msg in track:
            now += msg.time
            if msg.type == "note_on" and msg.velocity > 0 and msg.channel == 0:
                got_mido.append((now, msg.note, msg.velocity))
    if sorted(got_mido) != expected:
        failures.append(f"mido reads {sorted(got_mido)}, expected {expected}")

    # Our reader: "event time track status data1 data2 value value2".
    got_ours = []
    lengths = {}
    with open(dump_path) as f:
        for line in f:
            p = line.split()
            if p and p[0] == "event" and p[3] == "0x90" and p[2] == "1":
                got_ours.append((int(p[1]), int(p[4]), int(p[5])))
                lengths[(int(p[1]), int(p[4]))] = int(p[6])
    if sorted(got_ours) != expected:
        failures.append(f"our reader reads {sorted(got_ours)}, expected {expected}")
    for t, n, _, length in schedule:
        held = lengths.get((t, n))
        # Held as played, within a few ticks of the JACK periods and the tick.
        if held is not None and abs(held - length) > 3:
            failures.append(f"note {n} at {t} lasts {held}, played {length}")

    # Thru: each note-on and note-off came back on channel 1.
    ons, offs = [], []
    with open(heard_path) as f:
        for line in f:
            p = line.split()
            if len(p) == 4 and p[1] == "90":
                (ons if p[3] != "00" else offs).append(int(p[2], 16))
    want = sorted(n for _, n, _, _ in schedule)
    if sorted(ons) != want:
        failures.append(f"thru note-ons {sorted(ons)}, expected {want}")
    if sorted(offs) != want:
        failures.append(f"thru note-offs {sorted(offs)}, expected {want}")

    if failures:
        print("FAIL:\n  " + "\n  ".join(failures))
        return 1
    print(f"OK: {len(expected)} notes at their corrected ticks, read by mido and by our reader; thru carried them")
    return 0


if __name__ == "__main__":
    sys.exit(main())
