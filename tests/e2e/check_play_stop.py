"""Check what a PLAY and a STOP click sent, as jack_midi_dump captured it:
notes after the PLAY click, every one of them released after the STOP click
(by its note-off, a note-on of velocity 0 or the channel's all-notes-off),
and no note starting after the STOP's messages.

Arguments: the dump, the number of lines captured before PLAY and before STOP.
Captured lines are "<frames>: <hex bytes> [description]"."""
import re
import sys

HEX = re.compile(r"^[0-9a-fA-F]{2}$")


def messages(lines):
    out = []
    for line in lines:
        head, _, rest = line.partition(":")
        try:
            int(head.strip())
        except ValueError:
            continue
        data = []
        for tok in rest.split():
            if not HEX.match(tok):
                break
            data.append(int(tok, 16))
        if data:
            out.append(tuple(data))
    return out


def main():
    path, before_play, before_stop = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    lines = open(path).readlines()
    playing = messages(lines[before_play:before_stop])
    after_stop = messages(lines[before_stop:])
    sounding = set()
    ons = 0
    at_stop = set()
    for i, m in enumerate(playing + after_stop):
        if i == len(playing):
            at_stop = set(sounding)
        if len(m) != 3:
            continue
        kind, ch = m[0] & 0xF0, m[0] & 15
        if kind == 0x90 and m[2] > 0:
            sounding.add((ch, m[1]))
            ons += 1
        elif kind == 0x80 or (kind == 0x90 and m[2] == 0):
            sounding.discard((ch, m[1]))
        elif kind == 0xB0 and m[1] in (120, 123):
            sounding = {(c, n) for c, n in sounding if c != ch}
    print("%d note-ons while playing, %d sounding at STOP, %d messages after it" % (ons, len(at_stop), len(after_stop)))
    if ons == 0:
        print("FAIL: PLAY sent no notes")
        return 1
    if not at_stop:
        print("FAIL: no note was sounding when STOP was clicked, so its releases cannot be seen")
        return 1
    if sounding:
        print("FAIL: still sounding after STOP:", sorted(sounding))
        return 1
    # The last messages after STOP release notes: no note may start among them.
    last_on = max((i for i, m in enumerate(after_stop) if len(m) == 3 and m[0] & 0xF0 == 0x90 and m[2] > 0),
                  default=-1)
    last_off = max((i for i, m in enumerate(after_stop) if len(m) == 3 and (m[0] & 0xF0 == 0x80 or
                    (m[0] & 0xF0 == 0x90 and m[2] == 0) or (m[0] & 0xF0 == 0xB0 and m[1] in (120, 123)))),
                   default=-1)
    if last_on > last_off:
        print("FAIL: a note started after the STOP's releases")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
