#!/usr/bin/env bash
# The Windows window program under Wine on an X server of its own (Xvfb):
# its canvas is found in a screenshot, a click on PLAY runs the transport
# (the position counter changes), a second start says "QZ-Sequencer is
# active", digits typed over the Tempo field change it, a dropped MIDI file
# loads (a second drop of it asks "Replace Or Rename.", a dialog from an
# in-memory template), and "Exit(&X)" from the File menu ends it with 0
# after writing the settings file beside it. The screenshots are kept in
# OUT_DIR.
set -u
WIN_EXE=$1
TOOL=$2
OUT_DIR=$3
PREFIX=$4
MIDI=$5
HERE=$(dirname "$0")
# shellcheck source=../e2e/e2e_env.sh
. "$HERE/../e2e/e2e_env.sh"
# shellcheck source=wine_env.sh
. "$HERE/wine_env.sh"
[ -f "$WIN_EXE" ] || { echo "SKIP: no $WIN_EXE (the cross-build, see the README)"; exit 77; }
e2e_require Xvfb import xwininfo xdotool compare
WORK=$E2E_WORK
e2e_start_xvfb
wine_setup "$PREFIX"

# The settings file goes beside the program: run a copy in the work folder.
cp "$WIN_EXE" "$WORK/qzseq.exe"
cp "$MIDI" "$WORK/Groove.mid"
TITLE="QZSEQ  Ver1.08     "
(cd "$WORK" && exec "$WINE" ./qzseq.exe > app.log 2>&1) &
APP_PID=$!
e2e_on_exit "$APP_PID"
for _ in $(seq 600); do xwininfo -name "$TITLE" > /dev/null 2>&1 && break; sleep 0.1; done
xwininfo -name "$TITLE" > /dev/null 2>&1 || fail "no window titled '$TITLE'"
sleep 2

import -window root "$OUT_DIR/wine_start.png" || fail "screenshot"
ORIGIN=$("$TOOL" check "$OUT_DIR/wine_start.png") || fail "canvas colours: $ORIGIN"
echo "$ORIGIN"
read -r OX OY < <(echo "$ORIGIN" | awk '{print $3, $4}')

counter() { import -window root -crop 146x32+$((OX + 180))+$((OY + 25)) "$1"; }
counter "$WORK/counter0.png"
xdotool mousemove $((OX + 659)) $((OY + 602))
sleep 0.3
xdotool mousedown 1
sleep 0.1
xdotool mouseup 1
sleep 1.5
counter "$WORK/counter1.png"
import -window root "$OUT_DIR/wine_playing.png"
CHANGED=$(compare -metric AE "$WORK/counter0.png" "$WORK/counter1.png" null: 2>&1)
echo "counter pixels changed after PLAY: ${CHANGED%% *}"
[ "${CHANGED%% *}" != 0 ] || fail "the counter did not move after a click on PLAY"

click() {
  xdotool mousemove $((OX + $1)) $((OY + $2))
  sleep 0.3
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
}
click 584 602  # STOP
sleep 0.5

# Digits typed over the Tempo field reach it.
tempo_crop() { import -window root -crop 55x25+$((OX + 361))+$((OY + 28)) "$1"; }
xdotool mousemove $((OX + 380)) $((OY + 40))
sleep 0.5
tempo_crop "$WORK/tempo_before.png"
xdotool key 1 0 1 5 Return
sleep 0.5
tempo_crop "$WORK/tempo_after.png"
CHANGED=$(compare -metric AE "$WORK/tempo_before.png" "$WORK/tempo_after.png" null: 2>&1)
[ "${CHANGED%% *}" != 0 ] || fail "digits typed over the Tempo field did not reach it"

# A dropped file loads: the same file again asks for another name.
"$TOOL" drop $((OX + 600)) $((OY + 300)) "$WORK/Groove.mid" || fail "first drop"
sleep 1
kill -0 "$APP_PID" 2> /dev/null || fail "qzseq.exe ended after the drop"
"$TOOL" drop $((OX + 600)) $((OY + 300)) "$WORK/Groove.mid" > "$WORK/drop2.log" 2>&1 &
DROP_PID=$!
e2e_on_exit "$DROP_PID"
for _ in $(seq 100); do xwininfo -name "Replace Or Rename." > /dev/null 2>&1 && break; sleep 0.1; done
xwininfo -name "Replace Or Rename." > /dev/null 2>&1 || fail "no name question after the second drop: the first did not load"
sleep 0.5
import -window root "$OUT_DIR/wine_rename.png"
"$TOOL" close "Replace Or Rename." || fail "closing the question"
wait "$DROP_PID" || fail "second drop: $(cat "$WORK/drop2.log")"
DROP_PID=

# A second start finds the first running: it says so and ends with 0.
(cd "$WORK" && exec "$WINE" ./qzseq.exe > second.log 2>&1) &
SECOND_PID=$!
for _ in $(seq 300); do xwininfo -name "QZ-Sequencer" > /dev/null 2>&1 && break; sleep 0.1; done
xwininfo -name "QZ-Sequencer" > /dev/null 2>&1 || fail "the second start showed no 'QZ-Sequencer' box"
xdotool search --name '^QZ-Sequencer$' windowactivate --sync key Return 2> /dev/null ||
  xdotool search --name '^QZ-Sequencer$' windowfocus --sync key Return
wait "$SECOND_PID" || fail "the second start ended with $?"
kill -0 "$APP_PID" 2> /dev/null || fail "the first instance ended"

# File, Exit: the settings file is written and the program ends with 0
# (nothing was edited: no question).
WID=$(xdotool search --name "^$TITLE\$" | head -1)
xdotool windowfocus --sync "$WID" 2> /dev/null
xdotool mousemove $((OX + 600)) $((OY + 300))
xdotool key --window "$WID" alt+f
sleep 0.5
import -window root "$OUT_DIR/wine_file_menu.png"
xdotool key x
for _ in $(seq 100); do kill -0 "$APP_PID" 2> /dev/null || break; sleep 0.1; done
kill -0 "$APP_PID" 2> /dev/null && fail "qzseq.exe still runs after File, Exit"
wait "$APP_PID"
RC=$?
APP_PID=
[ "$RC" = 0 ] || fail "qzseq.exe exit code $RC"
SIZE=$(stat -c %s "$WORK/QZSEQ.qzi" 2> /dev/null || echo none)
[ "$SIZE" = 7708 ] || fail "settings file size $SIZE, expected 7708"
echo "PASS"
