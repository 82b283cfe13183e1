#!/usr/bin/env bash
# The built-in synthesizer on the real 1 ms engine thread, playing through
# FluidSynth's JACK driver on a dummy JACK server of its own: jack_rec
# records the synthesizer's output ports while the built-in sequence plays,
# and the recording must hold sound (sox), as must the port's own count of
# the frames it rendered with voices sounding.
set -u
CLI=$1
# shellcheck source=e2e_env.sh
. "$(dirname "$0")/e2e_env.sh"
e2e_require jackd jack_lsp jack_rec sox
WORK=$E2E_WORK

# No MIDI system at all (no ALSA sequencer here, no JACK server under this
# name): one line says what was tried, and the synthesizer is still listed.
if [ ! -e /dev/snd/seq ]; then
  JACK_DEFAULT_SERVER=qz_e2e_none_$$ JACK_NO_START_SERVER=1 "$CLI" ports > "$WORK/ports.out" 2> "$WORK/ports.err"
  [ "$(wc -l < "$WORK/ports.err")" -eq 1 ] && grep -q '^MIDI: no MIDI system (ALSA: .*JACK: ' "$WORK/ports.err" ||
    fail "stderr without a MIDI system: $(cat "$WORK/ports.err")"
  grep -qx 'out 0: QZ GM Synth' "$WORK/ports.out" || fail "no synthesizer as out 0: $(cat "$WORK/ports.out")"
fi

e2e_start_jack 256
[ -n "$("$CLI" ports 2> /dev/null | grep -x 'out [0-9]*: QZ GM Synth')" ] || fail "ports does not list QZ GM Synth"

QZSEQ_SYNTH_DRIVER=jack "$CLI" play --demo --port synth > "$WORK/play.out" 2> "$WORK/app.log" &
PLAY=$!
e2e_on_exit "$PLAY"
PORTS=()
for _ in $(seq 200); do
  mapfile -t PORTS < <(jack_lsp 2> /dev/null | grep '^QZ GM Synth:' | head -2)
  [ ${#PORTS[@]} -gt 0 ] && break
  sleep 0.02
done
[ ${#PORTS[@]} -gt 0 ] || fail "no JACK ports of the synthesizer"
jack_rec -f "$WORK/synth.wav" -d 8 -b 16 "${PORTS[@]}" > "$WORK/rec.log" 2>&1 &
REC=$!
e2e_on_exit "$REC"
wait "$PLAY" || fail "play failed"
wait "$REC"
LINE=$(grep '^QZ GM Synth on jack:' "$WORK/app.log") || fail "no synthesizer summary"
SOUNDING=$(echo "$LINE" | sed -n 's/.* \([0-9]*\) with voices sounding.*/\1/p')
LOST=$(echo "$LINE" | sed -n 's/.*, \([0-9]*\) messages lost/\1/p')
[ "${SOUNDING:-0}" -gt $((48000 * 4)) ] || fail "only ${SOUNDING:-0} frames with voices sounding: $LINE"
[ "${LOST:-1}" -eq 0 ] || fail "messages lost: $LINE"
[ -s "$WORK/synth.wav" ] || fail "jack_rec recorded nothing: $(cat "$WORK/rec.log")"
RMS=$(sox "$WORK/synth.wav" -n stat 2>&1 | sed -n 's/^RMS     amplitude: *//p')
echo "$LINE; recorded RMS amplitude $RMS"
python3 -c "import sys; sys.exit(0 if float('$RMS') > 0.005 else 1)" || fail "the recording is silent (RMS $RMS)"
echo "PASS"
