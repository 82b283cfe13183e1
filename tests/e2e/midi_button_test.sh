#!/usr/bin/env bash
# MIDI to button in the real qzseq: a JACK client plays the note bound to
# PLAY into the program's input, and the sequence starts (its metronome,
# switched on for playing, clicks into the client's input).
set -u
QZSEQ=$1
CLI=$2
SENDER=$3
# shellcheck source=e2e_env.sh
. "$(dirname "$0")/e2e_env.sh"
e2e_require Xvfb xwininfo jackd jack_lsp python3
WORK=$E2E_WORK
e2e_start_xvfb
e2e_start_jack

# The sender starts its one note (36, a quarter long) on SIGUSR1.
"$SENDER" --on-signal 0:36:100:96 > "$WORK/heard.txt" 2> "$WORK/sender.err" &
SENDER_PID=$!
e2e_on_exit "$SENDER_PID"
for _ in $(seq 50); do jack_lsp 2> /dev/null | grep -q '^qz-sender:in$' && break; sleep 0.1; done
jack_lsp 2> /dev/null | grep -q '^qz-sender:in$' || fail "the sender has no ports"
"$CLI" ports > "$WORK/ports.txt" 2> /dev/null
OUT=$(sed -n 's/^out \([0-9]*\): qz-sender:in$/\1/p' "$WORK/ports.txt")
[ -n "$OUT" ] || fail "the program does not list the sender's input"

cp "$QZSEQ" "$WORK/qzseq"
TITLE="QZSEQ  Ver1.08     "
start_app() {
  (cd "$WORK" && TMPDIR="$WORK/tmp" HOME="$WORK" exec ./qzseq > app.log 2>&1) &
  APP_PID=$!
  e2e_on_exit "$APP_PID"
  for _ in $(seq 300); do xwininfo -name "$TITLE" > /dev/null 2>&1 && break; sleep 0.1; done
  xwininfo -name "$TITLE" > /dev/null 2>&1 || fail "no window titled '$TITLE'"
}

# A settings file of the wrong size is replaced by the defaults at start;
# the binding goes into that file, as the window would store it.
: > "$WORK/QZSEQ.qzi"
start_app
for _ in $(seq 50); do [ "$(stat -c %s "$WORK/QZSEQ.qzi")" = 7708 ] && break; sleep 0.1; done
kill -KILL "$APP_PID"
wait "$APP_PID" 2> /dev/null
python3 - "$WORK/QZSEQ.qzi" "$OUT" << 'PY' || fail "patching the settings"
import struct
import sys

path, port = sys.argv[1], int(sys.argv[2])
b = bytearray(open(path, "rb").read())
assert len(b) == 7708
def put(offset, value):
    b[offset:offset + 4] = struct.pack("<I", value)
put(120, 1)             # click while playing
put(144, port)          # on the sender's input
put(764, 1)             # MIDI to button on
put(892 + 7 * 4, 0x90)  # button 8, PLAY: a note
put(1012 + 7 * 4, 36)   # number 36
open(path, "wb").write(b)
PY
start_app
sleep 2
grep -q ' 99 ' "$WORK/heard.txt" && fail "clicks before the note"
kill -USR1 "$SENDER_PID"
sleep 2.5
kill -0 "$APP_PID" 2> /dev/null || fail "qzseq ended"
kill "$SENDER_PID"
wait "$SENDER_PID" 2> /dev/null
CLICKS=$(grep -c ' 99 [0-9A-F]* [1-9A-F]' "$WORK/heard.txt")
grep -q '^sent 2 of 2' "$WORK/heard.txt" || fail "the sender did not play its note: $(tail -1 "$WORK/heard.txt")"
# Two and a half seconds at 120 beats a minute: about five clicks.
[ "$CLICKS" -ge 3 ] || { cat "$WORK/heard.txt"; fail "the sequence did not start ($CLICKS clicks heard)"; }
# The note itself was taken by the button: it is not echoed.
grep -q ' 9[0-9A-F] 24 ' "$WORK/heard.txt" && fail "the bound note was played through"
echo "PASS ($CLICKS clicks)"
