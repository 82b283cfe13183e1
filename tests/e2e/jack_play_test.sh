#!/usr/bin/env bash
# Plays the built-in sequence through the program's JACK output into
# jack_midi_dump on a dummy JACK server of its own, and checks the captured
# notes and their spacing against the simulated timeline.
set -u
CLI=$1
COMPARE=$2
# shellcheck source=e2e_env.sh
. "$(dirname "$0")/e2e_env.sh"
e2e_require jackd jack_midi_dump jack_lsp python3 stdbuf
WORK=$E2E_WORK
RT=("${E2E_RT[@]}")
e2e_start_jack 256
DUMP_PID=

# One capture of the played sequence; returns the comparison's exit code.
capture() {
  # Line-buffered, so that everything captured is in the file when it is read.
  "${RT[@]}" stdbuf -oL jack_midi_dump -a > "$WORK/dump.txt" 2> "$WORK/dump.err" &
  DUMP_PID=$!
  e2e_on_exit "$DUMP_PID"
  for _ in $(seq 50); do
    jack_lsp 2> /dev/null | grep -q '^midi-monitor:input$' && break
    sleep 0.1
  done
  PORT=$("$CLI" ports 2> /dev/null | sed -n 's/^out \([0-9]*\): midi-monitor:input$/\1/p')
  if [ -z "$PORT" ]; then
    echo "FAIL: the program does not list the capture port"; "$CLI" ports; return 2
  fi
  "$CLI" play --demo --port "$PORT" --simulate > "$WORK/sim.txt" || { echo "FAIL: simulate"; return 2; }
  "${RT[@]}" "$CLI" play --demo --port "$PORT" 2> "$WORK/play.err" || { echo "FAIL: play"; cat "$WORK/play.err"; return 2; }
  sleep 0.5
  kill "$DUMP_PID" 2> /dev/null
  wait "$DUMP_PID" 2> /dev/null
  DUMP_PID=
  python3 "$COMPARE" "$WORK/sim.txt" "$WORK/dump.txt" 48000 "$PORT"
}

# The dummy driver runs without real-time scheduling here, so a busy shared
# machine can stall its clock (spacing off) or cost it an xrun (messages
# dropped inside JACK, before our port sees them). Each failed run is shown;
# the test fails when three runs in a row fail.
rc=1
for attempt in 1 2 3; do
  capture
  rc=$?
  [ "$rc" -eq 0 ] && break
  echo "run $attempt failed (code $rc)"
done
exit "$rc"
