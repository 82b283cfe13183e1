#!/usr/bin/env python3
"""Compare two renders of one screen drawn by different text engines.

    compare_render.py LINUX.png WINDOWS.png LINUX_NOTEXT.png WINDOWS_NOTEXT.png

The text boxes are where each render differs from its own render without
text, grown by 3 pixels. Outside the boxes of both the two renders must be
equal pixel for pixel; the text-free renders must be equal everywhere.
Prints the pixel counts; exit code 1 on a difference."""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(path + ": not a PNG")
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, ctype = struct.unpack(">IIBB", body[:10])
            if depth != 8 or ctype not in (2, 6):
                raise ValueError(path + ": only 8-bit RGB or RGBA")
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    bpp = 3 if ctype == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 0xFF
            elif f == 2:
                line[i] = (line[i] + b) & 0xFF
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(bytes(line))
        prev = line
    pixels = [row[x * bpp:x * bpp + 3] for row in rows for x in range(width)]
    return width, height, pixels


def main():
    (w, h, lin), (w2, h2, win), (_, _, lin0), (_, _, win0) = (read_png(p) for p in sys.argv[1:5])
    if (w, h) != (w2, h2):
        print(f"sizes differ: {w}x{h} and {w2}x{h2}")
        return 1
    text = bytearray(w * h)
    for i in range(w * h):
        if lin[i] != lin0[i] or win[i] != win0[i]:
            text[i] = 1
    grown = bytearray(w * h)
    r = 3
    for i in range(w * h):
        if text[i]:
            y, x = divmod(i, w)
            for yy in range(max(0, y - r), min(h, y + r + 1)):
                row = yy * w
                for xx in range(max(0, x - r), min(w, x + r + 1)):
                    grown[row + xx] = 1
    bare = sum(1 for i in range(w * h) if lin0[i] != win0[i])
    outside = [i for i in range(w * h) if not grown[i] and lin[i] != win[i]]
    print(f"{w}x{h}: {sum(grown)} pixels in text boxes; outside them {len(outside)} differ; "
          f"without text {bare} differ")
    for i in outside[:5]:
        y, x = divmod(i, w)
        print(f"  ({x}, {y}): {lin[i].hex()} and {win[i].hex()}")
    return 1 if outside or bare else 0


if __name__ == "__main__":
    sys.exit(main())
