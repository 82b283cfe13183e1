#!/usr/bin/env bash
# Starts the real qzseq on an X server of its own (Xvfb), checks the colours
# of the top bar and the position counter in a screenshot, drops a MIDI file
# on the window with the XDND protocol and sees it loaded (a second drop of
# the same file asks "Replace Or Rename."), then closes the window and finds
# the settings file written. The screenshots are kept in OUT_DIR.
# With MODE "midi" it checks instead what the program sends at start through
# its MIDI output to jack_midi_dump on a dummy JACK server of its own: the
# reset, then 50 ms later the track set-ups.
set -u
QZSEQ=$1
TOOL=$2
MIDI=$3
OUT_DIR=$4
CHECK_STARTUP=$5
MODE=${6:-window}
# shellcheck source=e2e_env.sh
. "$(dirname "$0")/e2e_env.sh"
e2e_require Xvfb import xwininfo
WORK=$E2E_WORK
e2e_start_xvfb

# A MIDI server of our own with a monitor whose input is the first output
# port the program finds.
if [ "$MODE" = midi ]; then
  e2e_require jackd jack_midi_dump jack_lsp stdbuf python3
  e2e_start_jack
  stdbuf -oL jack_midi_dump -a > "$WORK/dump.txt" 2> "$WORK/dump.err" &
  e2e_on_exit $!
  for _ in $(seq 100); do jack_lsp 2> /dev/null | grep -q '^midi-monitor:input$' && break; sleep 0.1; done
  jack_lsp 2> /dev/null | grep -q '^midi-monitor:input$' || fail "jack_midi_dump has no input port"
else
  # No MIDI server: the program opens no ports and says so on stderr.
  export JACK_DEFAULT_SERVER=qz_none_$$
fi

# The program keeps its settings beside itself: run a copy in the work folder.
cp "$QZSEQ" "$WORK/qzseq"
cp "$MIDI" "$WORK/Groove.mid"
TITLE="QZSEQ  Ver1.08     "
(cd "$WORK" && TMPDIR="$WORK" HOME="$WORK" exec ./qzseq > app.log 2>&1) &
APP_PID=$!
e2e_on_exit "$APP_PID"
for _ in $(seq 300); do xwininfo -name "$TITLE" > /dev/null 2>&1 && break; sleep 0.1; done
xwininfo -name "$TITLE" > /dev/null 2>&1 || fail "no window titled '$TITLE'"
GEOM=$(xwininfo -name "$TITLE" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
echo "window $GEOM"
[ "$GEOM" = "1735x700" ] || fail "window is $GEOM, expected 1735x700 on a 1920x1080 screen"
sleep 1

import -window root "$OUT_DIR/window_start.png" || fail "screenshot"
ORIGIN=$("$TOOL" check "$OUT_DIR/window_start.png") || fail "canvas colours: $ORIGIN"
echo "$ORIGIN"
read -r OX OY < <(echo "$ORIGIN" | awk '{print $3, $4}')

if [ "$MODE" = midi ]; then
  sleep 1
  python3 "$CHECK_STARTUP" "$WORK/dump.txt" 48000 || fail "start-up messages"
  "$TOOL" close "$TITLE" || fail "closing the window"
  for _ in $(seq 100); do kill -0 "$APP_PID" 2> /dev/null || break; sleep 0.1; done
  kill -0 "$APP_PID" 2> /dev/null && fail "qzseq still runs after the close request"
  wait "$APP_PID" || fail "qzseq exit code $?"
  APP_PID=
  echo "PASS"
  exit 0
fi

# Keys reach the canvas before any click: digits typed over the Tempo field
# change it; arrow keys before them do nothing.
if command -v xdotool > /dev/null; then
  tempo_crop() { import -window root -crop 55x25+$((OX + 361))+$((OY + 28)) "$1"; }
  xdotool mousemove $((OX + 380)) $((OY + 40))
  sleep 0.5
  tempo_crop "$WORK/tempo_before.png"
  xdotool key Right Down 1 0 1 5 Return
  sleep 0.5
  tempo_crop "$WORK/tempo_after.png"
  CHANGED=$(compare -metric AE "$WORK/tempo_before.png" "$WORK/tempo_after.png" null: 2>&1)
  [ "${CHANGED%% *}" != 0 ] || fail "digits typed over the Tempo field did not reach it"
  import -window root "$OUT_DIR/window_typed.png"
  ORIGIN2=$("$TOOL" check "$OUT_DIR/window_typed.png") || fail "canvas after typing: $ORIGIN2"
  [ "$ORIGIN2" = "$ORIGIN" ] || fail "the arrow keys moved the view: $ORIGIN2"
fi

# A second start finds the first running: it says so and ends with 0.
(cd "$WORK" && TMPDIR="$WORK" HOME="$WORK" exec ./qzseq > second.log 2>&1) &
SECOND_PID=$!
for _ in $(seq 300); do xwininfo -name "QZ-Sequencer" > /dev/null 2>&1 && break; sleep 0.1; done
xwininfo -name "QZ-Sequencer" > /dev/null 2>&1 || fail "the second start showed no 'QZ-Sequencer' box"
"$TOOL" close "QZ-Sequencer" || fail "closing the second start's box"
wait "$SECOND_PID" || fail "the second start ended with $?"
kill -0 "$APP_PID" 2> /dev/null || fail "the first instance ended"

# Drop the file in the middle of the canvas.
"$TOOL" drop $((OX + 600)) $((OY + 300)) "$WORK/Groove.mid" || fail "first drop"
sleep 0.5
kill -0 "$APP_PID" 2> /dev/null || fail "qzseq ended after the drop"

# The same file again: its name now exists, so the program asks.
"$TOOL" drop $((OX + 600)) $((OY + 300)) "$WORK/Groove.mid" > "$WORK/drop2.log" 2>&1 &
DROP_PID=$!
e2e_on_exit "$DROP_PID"
for _ in $(seq 50); do xwininfo -name "Replace Or Rename." > /dev/null 2>&1 && break; sleep 0.1; done
xwininfo -name "Replace Or Rename." > /dev/null 2>&1 || fail "no name question after the second drop: the first did not load"
sleep 0.3
import -window root "$OUT_DIR/window_rename.png"
"$TOOL" close "Replace Or Rename." || fail "closing the question"
wait "$DROP_PID" || fail "second drop: $(cat "$WORK/drop2.log")"
DROP_PID=

# Close the window: nothing was edited, so no question; the settings file is
# written and the program ends with 0.
"$TOOL" close "$TITLE" || fail "closing the window"
for _ in $(seq 50); do kill -0 "$APP_PID" 2> /dev/null || break; sleep 0.1; done
kill -0 "$APP_PID" 2> /dev/null && fail "qzseq still runs after the close request"
wait "$APP_PID"
RC=$?
APP_PID=
[ "$RC" = 0 ] || fail "qzseq exit code $RC"
SIZE=$(stat -c %s "$WORK/QZSEQ.qzi" 2> /dev/null || echo none)
[ "$SIZE" = 7708 ] || fail "settings file size $SIZE, expected 7708"
# A crash must not leave a lock that keeps the program from starting.
(cd "$WORK" && TMPDIR="$WORK" HOME="$WORK" exec ./qzseq > app.log 2>&1) &
APP_PID=$!
e2e_on_exit "$APP_PID"
for _ in $(seq 300); do xwininfo -name "$TITLE" > /dev/null 2>&1 && break; sleep 0.1; done
xwininfo -name "$TITLE" > /dev/null 2>&1 || fail "no window at the restart"
kill -KILL "$APP_PID"
wait "$APP_PID" 2> /dev/null
(cd "$WORK" && TMPDIR="$WORK" HOME="$WORK" exec ./qzseq > app.log 2>&1) &
APP_PID=$!
e2e_on_exit "$APP_PID"
for _ in $(seq 300); do xwininfo -name "$TITLE" > /dev/null 2>&1 && break; sleep 0.1; done
xwininfo -name "$TITLE" > /dev/null 2>&1 || fail "no window after a crashed instance"
xwininfo -name "QZ-Sequencer" > /dev/null 2>&1 && fail "the crashed instance's lock was taken for a running one"
echo "PASS"
