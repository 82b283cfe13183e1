#!/usr/bin/env python3
"""Cross-checks of the MIDI file code against mido, an independent reader.

usage: mido_check.py QZSEQ_CLI TESTDATA WORK_DIR

1. Reader: for every test file that both mido and our reader accept (tick
   divisions), the notes our `dump` prints (every track, the conductor's
   track 0 included) stand at floor(file tick x 96 / division) with the
   pitches and velocities mido reads in the chunks we read (the first of a
   format 0 file, the first 17 of a format 1 file).
2. Writer: every file our `convert` writes is read by mido as a format 1
   file of 17 tracks at 96 ticks per quarter, with the notes (tick, track,
   pitch, velocity, duration) and tempo changes of our `dump` of it.
3. The tool: a broken file gives the program's error text and a non-zero
   exit code; a package converts to one file per sequence.
"""
import collections
import os
import subprocess
import sys

import mido


def run(args):
    return subprocess.run(args, capture_output=True, text=True)


def dump_records(cli, path):
    r = run([cli, "dump", path])
    if r.returncode != 0:
        return None
    notes, tempos = [], []
    for line in r.stdout.splitlines():
        f = line.split()
        if f[0] != "event":
            continue
        time, track, status = int(f[1]), int(f[2]), int(f[3], 16)
        d1, d2, value, value2 = int(f[4]), int(f[5]), int(f[6]), int(f[7])
        if status == 0x90 and track <= 16:
            notes.append((time, track, d1, d2, value))
        elif status == 0x81 and track == 18:
            tempos.append((time, value2))
    return notes, tempos


def mido_notes_of_original(mf):
    """Note-ons of the tracks our reader reads, at our tick resolution."""
    out = collections.Counter()
    # A format 0 file is read up to its first End of Track.
    for track in mf.tracks[:1] if mf.type == 0 else mf.tracks[:17]:
        t = 0
        for msg in track:
            t += msg.time
            if msg.type == "note_on" and msg.velocity > 0:
                tick = t * 96 // mf.ticks_per_beat
                if tick < 999 * 384:  # nothing starts at the end of bar 999
                    out[(tick, msg.note, msg.velocity)] += 1
    return out


def mido_notes_of_ours(mf, length):
    """Notes of our own file as (tick, track, pitch, velocity, duration): a
    note ends at the next note-on or note-off of its pitch on its track."""
    notes = []
    for index, track in enumerate(mf.tracks[1:], start=1):
        t = 0
        pending = {}
        for msg in track:
            t += msg.time
            if msg.type not in ("note_on", "note_off"):
                continue
            if msg.note in pending:
                i = pending.pop(msg.note)
                start = notes[i][0]
                notes[i] = notes[i][:4] + (min(max(t - start, 1), 9999),)
            if msg.type == "note_on" and msg.velocity > 0:
                pending[msg.note] = len(notes)
                notes.append((t, index, msg.note, msg.velocity, 12))
    return notes


def main():
    cli, testdata, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    failures = []
    reader_checked = writer_checked = 0
    files = []
    for root, _, names in os.walk(os.path.join(testdata, "midi")):
        files += [os.path.join(root, n) for n in names if n.lower().endswith(".mid")]
    for path in sorted(files):
        ours = dump_records(cli, path)
        if ours is None:
            continue
        try:
            original = mido.MidiFile(path)
        except Exception:
            original = None
        if original is not None and original.type in (0, 1) and original.ticks_per_beat > 0 and original.tracks:
            want = mido_notes_of_original(original)
            got = collections.Counter((n[0], n[2], n[3]) for n in ours[0])
            # Our reader also takes notes from the chunks mido stops at.
            if got != want:
                failures.append(f"reader: {path}: {sum((want - got).values())} notes missing, "
                                f"{sum((got - want).values())} extra")
            reader_checked += 1

        out = os.path.join(work, "out.mid")
        r = run([cli, "convert", path, out])
        if r.returncode != 0:
            failures.append(f"convert failed: {path}: {r.stderr.strip()}")
            continue
        back = dump_records(cli, out)
        mf = mido.MidiFile(out)
        if mf.type != 1 or len(mf.tracks) != 17 or mf.ticks_per_beat != 96:
            failures.append(f"writer: {path}: type {mf.type}, {len(mf.tracks)} tracks, {mf.ticks_per_beat} ticks")
            continue
        notes = sorted(mido_notes_of_ours(mf, 0))
        if notes != sorted(n for n in back[0] if n[1] >= 1):
            failures.append(f"writer notes: {path}")
        t, tempos = 0, []
        for msg in mf.tracks[0]:
            t += msg.time
            if msg.type == "set_tempo":
                tempos.append((t, msg.tempo))
        if tempos[1:] != back[1]:
            failures.append(f"writer tempos: {path}")
        writer_checked += 1

    broken = os.path.join(work, "broken.mid")
    with open(broken, "wb") as f:
        f.write(b"MThd\0\0\0\6\0\0\0\1\0\0MTrk\0\0\0\4\0\xff\x2f\0")
    r = run([cli, "dump", broken])
    if r.returncode == 0 or r.stderr.strip() != "This MID file has bloken !!":
        failures.append(f"cli: division 0 gave exit {r.returncode}, stderr {r.stderr!r}")
    r = run([cli, "dump", os.path.join(work, "missing.mid")])
    if r.returncode == 0 or r.stderr.strip() != "Can not file open !!":
        failures.append(f"cli: missing file gave exit {r.returncode}, stderr {r.stderr!r}")

    # A package converts to one file per sequence, each a file mido reads.
    package = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "fuzz", "seeds", "all", "v440.all")
    outdir = os.path.join(work, "package")
    r = run([cli, "convert", package, outdir])
    names = sorted(os.listdir(outdir)) if os.path.isdir(outdir) else []
    if r.returncode != 0 or names != ["END.mid", "INTRO.mid", "VERSE.mid"]:
        failures.append(f"cli: package convert gave exit {r.returncode}, files {names}")
    else:
        for n in names:
            mf = mido.MidiFile(os.path.join(outdir, n))
            if len(mf.tracks) != 17 or sum(1 for m in mf.tracks[1] if m.type == "note_on") != 1:
                failures.append(f"cli: package file {n} not as expected")

    print(f"reader checked on {reader_checked} files, writer on {writer_checked} files")
    for f in failures:
        print("FAIL", f)
    if reader_checked < 100 or writer_checked < 110:
        print("FAIL too few files checked")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
