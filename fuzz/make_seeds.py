#!/usr/bin/env python3
"""Writes the hand-made seed files of the fuzzers into fuzz/seeds/: one MIDI
file per known crash class, small sequence and package files in the layout
of firmware 3.00, 4.10 and 4.40, and settings images. The real MIDI test
files are added as a second seed folder by tools/run-fuzzers.sh."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def vlq(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.append(0x80 | (v & 0x7F))
        v >>= 7
    return bytes(reversed(out))


def chunk(body, length=None):
    return b"MTrk" + struct.pack(">I", len(body) if length is None else length) + body


def smf(fmt, division, chunks, count=None):
    return b"MThd" + struct.pack(">IHHH", 6, fmt, len(chunks) if count is None else count, division) + b"".join(chunks)


NOTES = b"\x00\x90\x3c\x64" + vlq(96) + b"\x80\x3c\x40" + b"\x00\xb0\x40\x7f" + vlq(48) + b"\xb0\x40\x00"
EOT = b"\x00\xff\x2f\x00"
TEMPO = b"\x00\xff\x51\x03\x07\xa1\x20"


def midi_seeds():
    return {
        "division0.mid": smf(0, 0, [chunk(NOTES + EOT)]),
        "chunk_past_end.mid": smf(1, 96, [chunk(TEMPO + EOT), chunk(NOTES + EOT, 0x7FFFFFF0)]),
        "more_chunks_than_file.mid": smf(1, 96, [chunk(TEMPO + EOT), chunk(NOTES + EOT)], count=40),
        "endless_delta.mid": smf(0, 96, [chunk(NOTES + b"\xff" * 40)]),
        "meta_past_end.mid": smf(0, 96, [chunk(NOTES + b"\x00\xff\x01\x8f\xff\xff\x7f" + b"abc")]),
        "tempo0.mid": smf(1, 96, [chunk(b"\x00\xff\x51\x03\x00\x00\x00" + TEMPO + EOT), chunk(NOTES + EOT)]),
        "smpte.mid": smf(0, 0xE728, [chunk(NOTES + EOT)]),
        "first_chunk_no_eot.mid": smf(1, 96, [chunk(TEMPO + NOTES), chunk(NOTES + EOT), chunk(NOTES + EOT)]),
        "sysex_gs.mid": smf(0, 480, [chunk(b"\x00\xf0\x05\x41\x10\x42\x12\xf7" + NOTES + EOT)]),
        "running_status.mid": smf(0, 96, [chunk(b"\x00\x90\x3c\x64\x10\x3e\x64\x10\x3c\x00\x00\x3e\x00" + EOT)]),
        "long_bars.mid": smf(1, 96, [chunk(EOT), chunk(NOTES + EOT), chunk(vlq(0x0FFFFFFF) + b"\x90\x3c\x01" + EOT)]),
    }


def own_file():
    """A file in our own flavour: signature, settings text, track names."""
    conductor = b"\x00\xff\x01\x20" + b"QZSEQ" + b" " * 27 + TEMPO + vlq(768) + b"\xff\x2f\x00"
    tracks = []
    for t in range(1, 17):
        text = ("01" + "01" + "00" * 3 + "%02X" % (t - 1) + "00" * 7 + "00" * 11 + "".join("%02X" % i for i in range(128)))
        text = text.encode() + b"\0" * 16
        body = b"\x00\xff\x03\x10" + ("Track%02d" % t).ljust(16).encode() + b"\x00\xff\x01\x82\x40" + text
        if t == 1:
            body += NOTES
        tracks.append(chunk(body + EOT))
    return smf(1, 96, [chunk(conductor)] + tracks)


def mpc_image(head16, bars, tempo, events, variant_type36=1):
    b = bytearray(7184 + 16 * (len(events) + 1))
    struct.pack_into("<I", b, 0, len(b))
    b[4:4 + len(head16)] = head16
    struct.pack_into("<HxxH", b, 28, bars, tempo)
    for bar in range(min(bars, 1000)):
        tick = bar * 384
        b[48 + 4 * bar:52 + 4 * bar] = bytes([tick & 0xFF, (tick >> 8) & 0xFF, tick >> 16, 0x60])
    for t in range(64):
        at = 4096 + 48 * t
        b[at:at + 6] = ("Trk-%02d" % (t + 1)).encode()
        b[at + 35] = 0 if t % 2 == 0 else 2
        b[at + 36] = variant_type36 if t % 2 else 0
        b[at + 37] = (t % 16) + 1
    b[7168:7184] = b"\xff" * 5 + b"\x00" + b"\xff" * 10
    at = 7184
    for (time, track, status, d1, d2, word, pad) in events:
        struct.pack_into("<IBBBBIxB", b, at, time, track, status, d1, d2, word, pad)
        at += 16
    struct.pack_into("<IBB", b, at, 0x7FFFFFFF, 0xFF, 0xFF)
    return bytes(b)


EVENTS = [(0, 1, 0x90, 36, 100, 48, 3), (0, 2, 0x90, 60, 90, 96, 0), (96, 2, 0xB0, 64, 127, 0, 0),
          (192, 2, 0xB0, 64, 0, 0, 0), (192, 1, 0x81, 0, 0, 15000, 0), (200, 3, 0x88, 0, 0, 0, 0),
          (384, 4, 0xE0, 0, 64, 0, 0), (400, 17, 0x90, 1, 1, 1, 0)]


def package(head16, images):
    b = bytearray(24 + 24 * 99)
    b[4:4 + len(head16)] = head16
    for entry, name in images:
        struct.pack_into("<I", b, 24 + 24 * entry + 20, len(b))
        b += mpc_image(name.encode() + b"\0", 3, 900, EVENTS)
    return bytes(b)


def main():
    files = {}
    for name, data in midi_seeds().items():
        files["smf/" + name] = data
    files["smf/own_file.mid"] = own_file()
    for version in ("4.40", "4.10", "4.20", "3.00"):
        files["seq/v%s.seq" % version] = mpc_image(("MPC1000 SEQ " + version).encode(), 4, 1200, EVENTS)
    files["seq/bars0.seq"] = mpc_image(b"MPC1000 SEQ 4.40", 0, 0, EVENTS)
    files["all/v440.all"] = package(b"MPC1000 ALL 4.40", [(0, "INTRO"), (5, "VERSE"), (98, "END")])
    files["all/v300.all"] = package(b"MPC1000 ALL 3.00", [(1, "A"), (2, "B")])
    files["settings/zeros.qzi"] = bytes(7708)
    files["settings/ones.qzi"] = b"\xff" * 7708
    files["settings/short.qzi"] = b"\x1c\x1e\x00\x00" * 100
    for rel, data in files.items():
        path = os.path.join(HERE, "seeds", rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
