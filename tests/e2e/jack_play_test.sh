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

NAME=qz_e2e_$$
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

jackd -n "$NAME" -r -d dummy -r 48000 -p 64 > "$WORK/jackd.log" 2>&1 &
JACKD_PID=$!
for _ in $(seq 50); do
  jack_lsp > /dev/null 2>&1 && break
  sleep 0.1
done
if ! jack_lsp > /dev/null 2>&1; then
  echo "FAIL: jackd did not start"; cat "$WORK/jackd.log"; exit 1
fi

# Line-buffered, so that everything captured is in the file when it is read.
stdbuf -oL jack_midi_dump -a > "$WORK/dump.txt" 2> "$WORK/dump.err" &
DUMP_PID=$!
for _ in $(seq 50); do
  jack_lsp 2> /dev/null | grep -q '^midi-monitor:input$' && break
  sleep 0.1
done

PORT=$("$CLI" ports 2> /dev/null | sed -n 's/^out \([0-9]*\): midi-monitor:input$/\1/p')
if [ -z "$PORT" ]; then
  echo "FAIL: the program does not list the capture port"; "$CLI" ports; exit 1
fi
"$CLI" play --demo --port "$PORT" --simulate > "$WORK/sim.txt" || { echo "FAIL: simulate"; exit 1; }
"$CLI" play --demo --port "$PORT" 2> "$WORK/play.err" || { echo "FAIL: play"; cat "$WORK/play.err"; exit 1; }
sleep 0.5
kill "$DUMP_PID" 2> /dev/null
wait "$DUMP_PID" 2> /dev/null
DUMP_PID=
python3 "$COMPARE" "$WORK/sim.txt" "$WORK/dump.txt" 48000
