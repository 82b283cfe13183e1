#!/usr/bin/env bash
# The mixer of the real qzseq: on an X server of its own (Xvfb) and a dummy
# JACK server of its own with two jack_midi_dump monitors as the program's
# two outputs, switch to TRACK routing, move track 2 to the second output
# with the wheel over its Device cell and raise track 3's level with the
# wheel over its Lev cell; the first output must hear track 2's notes end and
# track 3's new volume, the second output track 2's set-up. The screenshot
# after the changes is kept in OUT_DIR.
set -u
QZSEQ=$1
TOOL=$2
OUT_DIR=$3
# shellcheck source=e2e_env.sh
. "$(dirname "$0")/e2e_env.sh"
e2e_require Xvfb import xwininfo xdotool jackd jack_midi_dump jack_lsp stdbuf
WORK=$E2E_WORK
e2e_start_xvfb
e2e_start_jack
for mon in mon_a mon_b; do
  stdbuf -oL jack_midi_dump -a "$mon" > "$WORK/$mon.txt" 2> "$WORK/$mon.err" &
  e2e_on_exit $!
  for _ in $(seq 100); do jack_lsp 2> /dev/null | grep -q "^$mon:input$" && break; sleep 0.1; done
  jack_lsp 2> /dev/null | grep -q "^$mon:input$" || fail "$mon has no input port"
done

e2e_start_window "$QZSEQ" "$TOOL"
# Input as the user gives it: a click, or the wheel turned one notch
# towards the user (+1).
click() { e2e_click "$@"; }
wheel_up_value() {
  xdotool mousemove $((OX + $1)) $((OY + $2))
  sleep 0.2
  xdotool click 5
  sleep 0.5
}
# Lines a monitor captured after line $2 that start with the bytes $3.
after() { tail -n +"$(($2 + 1))" "$WORK/$1.txt" | grep -c ": $3" || true; }

click 1150 102  # MASTER -> TRACK
A0=$(wc -l < "$WORK/mon_a.txt")
B0=$(wc -l < "$WORK/mon_b.txt")
wheel_up_value 1171 183  # Device of track 2: port 1 -> 2
wheel_up_value 1421 206  # Lev of track 3: 100 -> 101
sleep 0.5
kill -0 "$APP_PID" 2> /dev/null || fail "qzseq ended"
import -window root "$OUT_DIR/mixer_window.png" || fail "screenshot"

[ "$(after mon_a "$A0" "b1 7b 00")" = 1 ] || fail "no all-notes-off for track 2 on the first output"
[ "$(after mon_b "$B0" "b1 79 00")" = 1 ] || fail "no set-up of track 2 on the second output"
[ "$(after mon_b "$B0" "b1 07 64")" = 1 ] || fail "track 2's volume did not reach the second output"
[ "$(after mon_a "$A0" "b2 07 65")" = 1 ] || fail "track 3's new volume did not reach the first output"
[ "$(after mon_b "$B0" "b2")" = 0 ] || fail "track 3 was heard on the second output"
"$TOOL" close "$QZ_TITLE" || fail "closing the window"
for _ in $(seq 100); do kill -0 "$APP_PID" 2> /dev/null || break; sleep 0.1; done
echo "PASS"
