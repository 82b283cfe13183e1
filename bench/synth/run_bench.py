#!/usr/bin/env python3
"""Rendering to audio: `qzseq-cli render-audio` against FluidSynth's own
command-line renderer (`fluidsynth -F`), on the same file and SoundFont, in
one run.

usage: python3 bench/synth/run_bench.py CLI [MIDI_FILE] [SOUNDFONT]

CLI is a Release build's qzseq-cli. Speed: each renderer renders the file
at 48 kHz three times, alternating; the best time of each gives its factor
faster than real time (audio seconds / wall seconds). Timing: both render a
generated sparse file (claves every 400 to 600 ms over 4.2 s, ticks that
fall between milliseconds) at 48 kHz and 44.1 kHz, and each onset found in
the audio is compared with its ideal time.
"""
import os
import struct
import subprocess
import sys
import tempfile
import time
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DEFAULT_FILE = os.path.join(ROOT, "..", "shared", "testdata", "midi", "midly", "Sandstorm.mid")
DEFAULT_SF = "/usr/share/sounds/sf2/TimGM6mb.sf2"
GAIN = "0.5"
TICKS = [0, 101, 203, 311, 397, 509, 601, 715, 803]  # at 96 per quarter, 120 bpm


def vlq(n):
    out = [n & 127]
    n >>= 7
    while n:
        out.insert(0, 128 | (n & 127))
        n >>= 7
    return bytes(out)


def sparse_file(path):
    ev, last = b"", 0
    for t in TICKS:
        ev += vlq(t - last) + bytes([0x99, 75, 120]) + vlq(12) + bytes([0x89, 75, 0])
        last = t + 12
    ev += vlq(3 * 384 - last) + b"\xff\x2f\x00"
    with open(path, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 96) + b"MTrk" + struct.pack(">I", len(ev)) + ev)


def read_mono(path):
    with wave.open(path) as w:
        rate, ch, n = w.getframerate(), w.getnchannels(), w.getnframes()
        raw = w.readframes(n)
    s = struct.unpack("<%dh" % (len(raw) // 2), raw)
    return rate, [sum(s[i:i + ch]) / ch for i in range(0, len(s), ch)]


def onset_errors(path):
    rate, x = read_mono(path)
    ms = rate / 1000.0
    errors = []
    for t in TICKS:
        ideal = t * 500000.0 / 96 * 1e-6 * rate
        a, b = int(ideal - 20 * ms), int(ideal + 50 * ms)
        thr = 0.2 * max(abs(v) for v in x[max(0, int(ideal)):b])
        i = max(0, a)
        while i < len(x) and abs(x[i]) < thr:
            i += 1
        errors.append((i - ideal) / ms)
    return errors


def run(cmd):
    t0 = time.perf_counter()
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - t0


def seconds(path):
    with wave.open(path) as w:
        return w.getnframes() / w.getframerate()


def main():
    cli = sys.argv[1]
    midi = sys.argv[2] if len(sys.argv) > 2 else DEFAULT_FILE
    sf = sys.argv[3] if len(sys.argv) > 3 else DEFAULT_SF
    work = tempfile.mkdtemp()
    ours_wav, theirs_wav = os.path.join(work, "ours.wav"), os.path.join(work, "theirs.wav")
    ours = lambda f, out, rate: [cli, "render-audio", f, out, "--soundfont", sf, "--rate", str(rate), "--gain", GAIN]
    theirs = lambda f, out, rate: ["fluidsynth", "-ni", "-q", "-g", GAIN, "-r", str(rate), "-T", "wav", "-F", out, sf, f]
    best = {"ours": 1e9, "theirs": 1e9}
    for _ in range(3):
        best["ours"] = min(best["ours"], run(ours(midi, ours_wav, 48000)))
        best["theirs"] = min(best["theirs"], run(theirs(midi, theirs_wav, 48000)))
    a_ours, a_theirs = seconds(ours_wav), seconds(theirs_wav)
    print("file %s, SoundFont %s, 48 kHz, load average %.2f" % (os.path.basename(midi), os.path.basename(sf),
                                                               os.getloadavg()[0]))
    print("| renderer | audio | best wall time of 3 | faster than real time |")
    print("|---|---|---|---|")
    print("| qzseq-cli render-audio | %.1f s | %.2f s | %.0fx |" % (a_ours, best["ours"], a_ours / best["ours"]))
    print("| fluidsynth -F | %.1f s | %.2f s | %.0fx |" % (a_theirs, best["theirs"], a_theirs / best["theirs"]))
    print("render-audio takes %.2f times fluidsynth -F's time" % (best["ours"] / best["theirs"]))
    sparse = os.path.join(work, "sparse.mid")
    sparse_file(sparse)
    print("\n| renderer | rate | onset error min / max (ms) | drift first to last note (ms) |")
    print("|---|---|---|---|")
    for rate in (48000, 44100):
        for name, cmd in (("qzseq-cli render-audio", ours), ("fluidsynth -F", theirs)):
            run(cmd(sparse, ours_wav, rate))
            e = onset_errors(ours_wav)
            print("| %s | %d | %.2f / %.2f | %.2f |" % (name, rate, min(e), max(e), e[-1] - e[0]))


if __name__ == "__main__":
    main()
