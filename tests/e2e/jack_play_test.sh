#!/usr/bin/env bash
# Plays the built-in sequence through the program's JACK output into
# jack_midi_dump on a dummy JACK server of its own, and checks the captured
# notes and their spacing against the simulated timeline.
set -u
CLI=$1
COMPARE=$2
for tool in jackd jack_midi_dump jack_lsp python3 stdbuf; do
  if ! command -v "$tool" > /dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

# The server runs without real-time scheduling (-r); when the system allows
# it, every JACK process here still gets a fixed priority, so that a busy
# machine does not stall the dummy driver's clock or the clients' periods.
RT=()
if command -v chrt > /dev/null && chrt -f 50 true 2> /dev/null; then
  RT=(chrt -f 50)
fi

# shellcheck source=jack_slots.sh
. "$(dirname "$0")/jack_slots.sh"
clear_stale_jack_registry
NAME=qz_e2e_play
export JACK_DEFAULT_SERVER=$NAME
WORK=$(mktemp -d)
JACKD_PID=
DUMP_PID=
cleanup() {
  [ -n "$DUMP_PID" ] && kill "$DUMP_PID" 2> /dev/null && wait "$DUMP_PID" 2> /dev/null
  [ -n "$JACKD_PID" ] && kill "$JACKD_PID" 2> /dev/null && wait "$JACKD_PID" 2> /dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

"${RT[@]}" jackd -n "$NAME" -r -d dummy -r 48000 -p 64 > "$WORK/jackd.log" 2>&1 &
JACKD_PID=$!
for _ in $(seq 50); do
  jack_lsp > /dev/null 2>&1 && break
  sleep 0.1
done
if ! jack_lsp > /dev/null 2>&1; then
  echo "FAIL: jackd did not start"; cat "$WORK/jackd.log"; exit 1
fi

# One capture of the played sequence; returns the comparison's exit code.
capture() {
  # Line-buffered, so that everything captured is in the file when it is read.
  "${RT[@]}" stdbuf -oL jack_midi_dump -a > "$WORK/dump.txt" 2> "$WORK/dump.err" &
  DUMP_PID=$!
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
