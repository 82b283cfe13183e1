#!/usr/bin/env bash
# Records from a JACK client of the test through `qzseq-cli record` on a
# dummy JACK server of its own, then checks the saved file (our reader and
# mido) and what the program echoed back (MIDI thru).
set -u
CLI=$1
SENDER=$2
CHECK=$3
# shellcheck source=e2e_env.sh
. "$(dirname "$0")/e2e_env.sh"
e2e_require jackd jack_lsp python3
# The system's python carries python3-mido; a python of its own on PATH may not.
PY=
for p in python3 /usr/bin/python3; do
  if "$p" -c 'import mido' 2> /dev/null; then PY=$p; break; fi
done
[ -n "$PY" ] || { echo "SKIP: python3-mido is not installed"; exit 77; }

WORK=$E2E_WORK
e2e_start_jack
SENDER_PID=

# Played ticks (TICK:NOTE:VELOCITY:LENGTH): each lies 4 to 8 ticks off the
# 1/16 grid, so the corrected tick is certain whatever the latencies.
SCHEDULE="30:60:100:40 52:62:90:20 100:64:80:60 140:65:70:30 190:67:110:90 290:72:64:50 420:60:50:100"
"$SENDER" $SCHEDULE > "$WORK/heard.txt" 2> "$WORK/sender.err" &
SENDER_PID=$!
e2e_on_exit "$SENDER_PID"
for _ in $(seq 50); do
  jack_lsp 2> /dev/null | grep -q '^qz-sender:in$' && break
  sleep 0.1
done

"$CLI" ports > "$WORK/ports.txt" 2> /dev/null
IN=$(sed -n 's/^in \([0-9]*\): qz-sender:out$/\1/p' "$WORK/ports.txt")
OUT=$(sed -n 's/^out \([0-9]*\): qz-sender:in$/\1/p' "$WORK/ports.txt")
if [ -z "$IN" ] || [ -z "$OUT" ]; then
  echo "FAIL: the program does not list the sender's ports"; cat "$WORK/ports.txt"; exit 1
fi
"$CLI" record "$WORK/rec.mid" --in "$IN" --out "$OUT" --bars 2 --tc 3 --click 2> "$WORK/record.err"
RC=$?
cat "$WORK/record.err"
[ $RC -eq 0 ] || { echo "FAIL: record exited with $RC"; exit 1; }
sleep 0.3
kill "$SENDER_PID" 2> /dev/null
wait "$SENDER_PID" 2> /dev/null
SENDER_PID=
"$CLI" dump "$WORK/rec.mid" > "$WORK/dump.txt" || { echo "FAIL: our reader refused the file"; exit 1; }
"$PY" "$CHECK" "$WORK/rec.mid" "$WORK/dump.txt" "$WORK/heard.txt" $SCHEDULE
