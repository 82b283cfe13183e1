"""Check what the window program sent at start, as jack_midi_dump captured it:
the port's module reset (a GM, GS or XG reset message) first, then, at least
50 ms later, the tracks' set-up messages (each begins with controller 121,
reset all controllers), one set-up per channel.

Captured lines are "<frames>: <hex bytes> [description]"."""
import re
import sys

HEX = re.compile(r"^[0-9a-fA-F]{2}$")
RESETS = {
    (0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7): "GM",
    (0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7): "GS",
    (0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7): "XG",
}
# The dummy driver's frame clock runs slow against the wall clock and loses
# time at its xruns on a busy machine (gaps of 37 ms for 50 were seen);
# without the wait the set-ups would follow within a few milliseconds.
MIN_GAP_MS = 20.0


def main():
    path, rate = sys.argv[1], float(sys.argv[2])
    msgs = []
    for line in open(path):
        head, _, rest = line.partition(":")
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
            msgs.append((frames * 1000.0 / rate, tuple(data)))
    if not msgs:
        print("FAIL: nothing captured")
        return 1
    first_ms, first = msgs[0]
    if first not in RESETS:
        print("FAIL: the first message is not a module reset:", " ".join("%02X" % b for b in first))
        return 1
    setups = [(ms, m) for ms, m in msgs if len(m) == 3 and m[0] & 0xF0 == 0xB0 and m[1] == 121]
    if not setups:
        print("FAIL: no track set-up (controller 121) after the reset")
        return 1
    gap = setups[0][0] - first_ms
    channels = [m[0] & 15 for _, m in setups]
    print("%s reset, first set-up %.1f ms later, set-ups on channels %s" % (RESETS[first], gap, channels))
    if gap < MIN_GAP_MS:
        print("FAIL: set-ups came %.1f ms after the reset, expected 50" % gap)
        return 1
    if len(set(channels)) != len(channels):
        print("FAIL: a channel got its set-up twice")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
