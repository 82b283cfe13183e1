#!/usr/bin/env bash
# The PLAY and STOP buttons of the real qzseq: on an X server of its own
# (Xvfb) and a dummy JACK server of its own with jack_midi_dump on the
# program's first output, drop a MIDI file with held notes on the window,
# click PLAY at its place on the screen and see notes arrive, click STOP
# while notes sound and see every one released and nothing more played.
set -u
QZSEQ=$1
TOOL=$2
CHECK=$3
# shellcheck source=e2e_env.sh
. "$(dirname "$0")/e2e_env.sh"
e2e_require Xvfb import xwininfo xdotool jackd jack_midi_dump jack_lsp stdbuf python3
WORK=$E2E_WORK
e2e_start_xvfb
e2e_start_jack
stdbuf -oL jack_midi_dump -a > "$WORK/dump.txt" 2> "$WORK/dump.err" &
DUMP_PID=$!
e2e_on_exit "$DUMP_PID"
for _ in $(seq 100); do jack_lsp 2> /dev/null | grep -q '^midi-monitor:input$' && break; sleep 0.1; done
jack_lsp 2> /dev/null | grep -q '^midi-monitor:input$' || fail "jack_midi_dump has no input port"

cp "$QZSEQ" "$WORK/qzseq"
# Held notes, so that some are sounding when STOP comes: a chord of four bars
# and a note every beat, at 120 beats a minute.
python3 - "$WORK/Held.mid" << 'PY' || fail "writing the MIDI file"
import struct
import sys


def delta(t):
    out = [t & 0x7F]
    while t > 127:
        t >>= 7
        out.insert(0, 0x80 | (t & 0x7F))
    return bytes(out)


ev = delta(0) + bytes([0xFF, 0x51, 3, 0x07, 0xA1, 0x20])  # 500000 us a quarter
ev += b"".join(delta(0) + bytes([0x90, n, 100]) for n in (60, 64, 67))
for beat in range(16):
    ev += delta(0 if beat == 0 else 48) + bytes([0x91, 72, 90]) + delta(48) + bytes([0x81, 72, 0])
ev += b"".join(delta(0) + bytes([0x80, n, 0]) for n in (60, 64, 67))
ev += delta(0) + bytes([0xFF, 0x2F, 0])
with open(sys.argv[1], "wb") as f:
    f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 96) + b"MTrk" + struct.pack(">I", len(ev)) + ev)
PY
TITLE="QZSEQ  Ver1.08     "
(cd "$WORK" && TMPDIR="$WORK" HOME="$WORK" exec ./qzseq > app.log 2>&1) &
APP_PID=$!
e2e_on_exit "$APP_PID"
for _ in $(seq 300); do xwininfo -name "$TITLE" > /dev/null 2>&1 && break; sleep 0.1; done
xwininfo -name "$TITLE" > /dev/null 2>&1 || fail "no window titled '$TITLE'"
sleep 1
import -window root "$WORK/start.png" || fail "screenshot"
ORIGIN=$("$TOOL" check "$WORK/start.png") || fail "canvas colours: $ORIGIN"
read -r OX OY < <(echo "$ORIGIN" | awk '{print $3, $4}')
"$TOOL" drop $((OX + 600)) $((OY + 300)) "$WORK/Held.mid" || fail "drop"
sleep 1

# A click as the user makes it: move there (the move picks the button), press, release.
click() {
  xdotool mousemove $((OX + $1)) $((OY + $2))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
}
BEFORE_PLAY=$(wc -l < "$WORK/dump.txt")
click 659 602  # PLAY
sleep 2
BEFORE_STOP=$(wc -l < "$WORK/dump.txt")
click 584 602  # STOP
sleep 1.5
kill -0 "$APP_PID" 2> /dev/null || fail "qzseq ended"
python3 "$CHECK" "$WORK/dump.txt" "$BEFORE_PLAY" "$BEFORE_STOP" || fail "PLAY and STOP on the MIDI output"
echo "PASS"
