"""Compare a simulated output timeline with what jack_midi_dump captured.

The simulated lines are "<ms> <port> <hex bytes>"; the captured ones
"<frames>: <hex bytes> [description]". Every message must arrive, in order,
and the intervals between notes must match the simulated ones. Exit code 2
when messages differ, 1 when only the spacing does.
"""
import re
import statistics
import sys

HEX = re.compile(r"^[0-9a-fA-F]{2}$")
# The dummy JACK driver's frame clock runs a little slow against the wall
# clock (about 2 % here) and loses time at its xruns on a busy machine, so
# spacing is checked interval by interval against the median rate.
RATE_RANGE = (0.90, 1.05)
INTERVAL_TOLERANCE_MS = 4.0   # three JACK periods of 1.33 ms
INTERVALS_WITHIN = 0.85


def read_sim(path, port):
    out = []
    for line in open(path):
        parts = line.split()
        if len(parts) < 3 or int(parts[1]) != port:
            continue
        out.append((float(parts[0]), tuple(int(b, 16) for b in parts[2:])))
    return out


def read_dump(path, rate):
    out = []
    for line in open(path):
        if ":" not in line:
            continue
        head, rest = line.split(":", 1)
        try:
            frames = int(head.strip())
        except ValueError:
            continue
        data = []
        for tok in rest.split():
            if not HEX.match(tok):
                break
            data.append(int(tok, 16))
        if data:
            out.append((frames * 1000.0 / rate, tuple(data)))
    return out


def main():
    sim = read_sim(sys.argv[1], int(sys.argv[4]))
    got = read_dump(sys.argv[2], int(sys.argv[3]))
    if [m for _, m in sim] != [m for _, m in got]:
        print(f"FAIL: messages differ: simulated {len(sim)}, captured {len(got)}")
        for i, (a, b) in enumerate(zip(sim, got)):
            if a[1] != b[1]:
                print(f"first difference at {i}: {a} vs {b}")
                break
        return 2
    # One time per distinct simulated note time: its first message.
    groups = []
    for i, (t, m) in enumerate(sim):
        if m[0] & 0xF0 == 0x90 and (not groups or sim[groups[-1]][0] != t):
            groups.append(i)
    if len(groups) < 10:
        print("FAIL: too few notes")
        return 1
    pairs = [(sim[b][0] - sim[a][0], got[b][0] - got[a][0]) for a, b in zip(groups, groups[1:])]
    rate = statistics.median(g / s for s, g in pairs)
    errors = sorted(abs(g - s * rate) for s, g in pairs)
    within = sum(1 for e in errors if e <= INTERVAL_TOLERANCE_MS) / len(errors)
    print(f"{len(sim)} messages, {len(groups)} note times; capture clock rate {rate:.4f}; "
          f"interval error median {statistics.median(errors):.2f} ms, max {errors[-1]:.2f} ms, "
          f"{within * 100:.0f} % within {INTERVAL_TOLERANCE_MS} ms")
    if not RATE_RANGE[0] <= rate <= RATE_RANGE[1] or within < INTERVALS_WITHIN:
        print("FAIL: note spacing differs from the simulated timeline")
        return 1
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
