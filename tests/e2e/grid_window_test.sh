#!/usr/bin/env bash
# The event grid of the real qzseq on an X server of its own (Xvfb): MOUSE
# REC on, notes clicked into the 16-row drum view of track 1 and into the
# note view of track 2 (made a NOTE track from the pads panel), the last one
# taken back with UNDO, the sequence saved through File > Save a Sequence;
# the saved file, read back by an independent reader, must hold exactly the
# notes that stayed. Screenshots of both views are kept in OUT_DIR.
set -u
QZSEQ=$1
TOOL=$2
OUT_DIR=$3
CHECK=$4
PYTHON=${5:-python3}
# shellcheck source=e2e_env.sh
. "$(dirname "$0")/e2e_env.sh"
e2e_require Xvfb import xwininfo xdotool "$PYTHON"
"$PYTHON" -c 'import mido' 2> /dev/null || { echo "SKIP: python3-mido is not installed"; exit 77; }
WORK=$E2E_WORK
e2e_start_xvfb
export JACK_DEFAULT_SERVER=qz_none_$$

e2e_start_window "$QZSEQ" "$TOOL"
click() { e2e_click "$@"; }
# x of tick $1 in bar 1 at zoom 0: the drum view's pointer origin is 338,
# the note view's 336.
drum_x() { echo $((338 + $1 * 576 / 384)); }
note_x() { echo $((336 + $1 * 576 / 384)); }
drum_y() { echo $((150 + 23 * ($1 - 36) + 11)); }  # rows from note 36
note_y() { echo $(((108 - $1) * 4 + 153 + 1)); }

click 959 571  # MOUSE REC
click 809 571  # ZOOM IN: one bar, the zoom the x positions above assume
# Track 1 (a drum track): three notes, a second click on the last removes it.
click "$(drum_x 0)" "$(drum_y 36)"
click "$(drum_x 96)" "$(drum_y 38)"
click "$(drum_x 192)" "$(drum_y 42)"
click "$(drum_x 192)" "$(drum_y 42)"
import -window root "$OUT_DIR/grid_drum16.png" || fail "screenshot"

click 390 75   # track 2
click 250 103  # the first click on an unused track takes it into use
click 250 103  # its type: DRUM -> NOTE
click "$(note_x 0)" "$(note_y 60)"
click "$(note_x 48)" "$(note_y 64)"
click "$(note_x 144)" "$(note_y 67)"
click 884 602  # UNDO takes back the last note
import -window root "$OUT_DIR/grid_notes.png" || fail "screenshot"

# File > Save a Sequence, with the mouse on the menu; the file name typed
# into the dialog.
xdotool mousemove $((OX + 20)) $((OY - 10)) click 1
sleep 0.6
import -window root "$WORK/menu.png"
xdotool key Down Down Down Return
sleep 1.5
import -window root "$WORK/dialog.png"
xdotool key ctrl+a
xdotool type --delay 20 "$WORK/saved.mid"
xdotool key Return
for _ in $(seq 50); do [ -s "$WORK/saved.mid" ] && break; sleep 0.1; done
[ -s "$WORK/saved.mid" ] || fail "nothing saved"
"$PYTHON" "$CHECK" "$WORK/saved.mid" || fail "the saved notes"
"$TOOL" close "$QZ_TITLE" || fail "closing the window"
for _ in $(seq 100); do kill -0 "$APP_PID" 2> /dev/null || break; sleep 0.1; done
echo "PASS"
