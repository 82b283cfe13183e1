#!/usr/bin/env python3
"""Parse time of our MIDI reader against mido and midicsv, in one run.

usage: /usr/bin/python3 bench/files/run_bench.py BUILD_DIR

BUILD_DIR is a Release build made with -DQZ_BUILD_BENCH=ON. The files are the
largest of the test data plus a generated format 1 file of 60,000 channel
events. For each file it prints the best time of our parser (in process,
Google Benchmark), of mido.MidiFile (in process, best of several rounds),
of a `midicsv FILE /dev/null` process and of a `qzseq-cli info FILE`
process, and the ratios: mido / ours (both in process); midicsv's net time
(its process on the file minus its process on an empty MIDI file, i.e. its
start-up) / ours (in process); and the two whole processes, which both pay
for starting.
"""
import json
import os
import random
import struct
import subprocess
import sys
import tempfile
import time

import mido

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
TESTDATA = os.path.join(ROOT, "..", "shared", "testdata", "midi")
FILES = ["tonejs/bartok/concerto_for_orchestra_1.mid", "jazzsoft/test-all-gs-sounds.mid",
         "midly/Sandstorm.mid", "tonejs/tchaikovsky_seasons.mid"]


def vlq(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.append(0x80 | (v & 0x7F))
        v >>= 7
    return bytes(reversed(out))


def generate(path, events=60000, chunks=8):
    """Format 1, a conductor and `chunks` tracks of note pairs and controllers."""
    rnd = random.Random(1)
    per = events // chunks
    body = [b"\x00\xff\x51\x03\x07\xa1\x20\x00\xff\x2f\x00"]
    for c in range(chunks):
        data = bytearray()
        n = 0
        while n < per:
            note = 36 + rnd.randrange(48)
            data += vlq(rnd.choice((0, 12, 24))) + bytes([0x90 | c, note, 1 + rnd.randrange(127)])
            data += vlq(rnd.choice((6, 12, 48))) + bytes([0x80 | c, note, 64])
            n += 2
            if n % 10 == 0 and n < per:
                data += b"\x00" + bytes([0xB0 | c, 7, rnd.randrange(128)])
                n += 1
        data += b"\x00\xff\x2f\x00"
        body.append(bytes(data))
    out = b"MThd" + struct.pack(">IHHH", 6, 1, len(body), 480)
    for b in body:
        out += b"MTrk" + struct.pack(">I", len(b)) + b
    with open(path, "wb") as f:
        f.write(out)


def best_of(fn, rounds):
    best = float("inf")
    for _ in range(rounds):
        t = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - t)
    return best


def main():
    build = sys.argv[1]
    bench = os.path.join(build, "bench", "files", "qz_parse_bench")
    cli = os.path.join(build, "app", "qzseq-cli")
    tmp = tempfile.mkdtemp()
    gen = os.path.join(tmp, "generated_60000.mid")
    generate(gen)
    paths = [os.path.join(TESTDATA, f) for f in FILES] + [gen]
    r = subprocess.run([bench, "--benchmark_format=json", "--benchmark_min_time=0.2"] + paths,
                       capture_output=True, text=True, check=True)
    ours = {}
    for b in json.loads(r.stdout)["benchmarks"]:
        kind, name = b["name"].split("/", 1)
        ours.setdefault(name, {})[kind] = b["real_time"] / 1e6  # microseconds -> seconds
        if kind == "parse":
            ours[name]["events"] = int(b.get("events", 0))

    empty = os.path.join(tmp, "empty.mid")
    with open(empty, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 96) + b"MTrk" + struct.pack(">I", 4) + b"\x00\xff\x2f\x00")
    csv_start = best_of(lambda: subprocess.run(["midicsv", empty, "/dev/null"], check=True), 20)
    print(f"midicsv start-up (empty file): {csv_start*1e3:.2f} ms")
    print()
    print("| file | bytes | events | ours parse | ours load | mido | mido / ours | midicsv process | midicsv net "
          "| midicsv net / ours | qzseq-cli process | midicsv / qzseq-cli process |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    for p in paths:
        name = os.path.basename(p)
        t_mido = best_of(lambda: mido.MidiFile(p), 3)
        t_csv = best_of(lambda: subprocess.run(["midicsv", p, "/dev/null"], check=True), 10)
        t_cli = best_of(lambda: subprocess.run([cli, "info", p], check=True, stdout=subprocess.DEVNULL), 10)
        o = ours[name]
        net = max(t_csv - csv_start, 0.0)
        print(f"| {name} | {os.path.getsize(p)} | {o['events']} | {o['parse']*1e3:.3f} ms | {o['load']*1e3:.3f} ms "
              f"| {t_mido*1e3:.1f} ms | {t_mido / o['parse']:.0f}x | {t_csv*1e3:.2f} ms | {net*1e3:.2f} ms "
              f"| {net / o['parse']:.0f}x | {t_cli*1e3:.2f} ms | {t_csv / t_cli:.1f}x |")


if __name__ == "__main__":
    main()
