# Sourced by the end-to-end scripts: a work folder, an X server and a dummy
# JACK server that belong to this run alone, all stopped when the script
# ends. Names carry the process id and a random part, so two test runs on
# one machine never share a server or a display.
#
#   e2e_require TOOL...         exit 77 (skipped) when a tool is missing
#   e2e_start_xvfb              an X server of our own; sets DISPLAY
#   e2e_start_jack [PERIOD]     a dummy JACK server of our own (256-frame
#                               periods unless told); sets JACK_DEFAULT_SERVER
#   e2e_on_exit PID             stop this process when the script ends
#   fail MESSAGE                print, show the program's log, exit 1
#   e2e_start_window QZSEQ TOOL start the window program from the work
#                               folder (copied there first when not yet);
#                               waits for its window, sets APP_PID and the
#                               canvas's place on the screen OX, OY
#   e2e_click X Y               a left click at canvas (X, Y), as a user
#                               makes it: move there (the move picks the
#                               element), press, release
# E2E_WORK is the run's folder; TMPDIR points into it, so the program's
# single-instance lock is the run's own too.

E2E_WORK=$(mktemp -d)
mkdir -p "$E2E_WORK/tmp"
export TMPDIR=$E2E_WORK/tmp
E2E_PIDS=()
E2E_JACKD=
# When the system allows it, JACK processes run with a fixed priority, so a
# busy machine does not stall the dummy driver's clock or a client's period.
E2E_RT=()
if command -v chrt > /dev/null && chrt -f 50 true 2> /dev/null; then
  E2E_RT=(chrt -f 50)
fi

e2e_cleanup() {
  local i
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
    kill "${E2E_PIDS[i]}" 2> /dev/null && wait "${E2E_PIDS[i]}" 2> /dev/null
  done
  rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

e2e_on_exit() { E2E_PIDS+=("$1"); }

fail() {
  echo "FAIL: $*"
  [ -f "$E2E_WORK/app.log" ] && sed 's/^/  qzseq: /' "$E2E_WORK/app.log" | grep -v -i jack | head -20
  exit 1
}

e2e_require() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" > /dev/null; then
      echo "SKIP: $tool is not installed"
      exit 77
    fi
  done
}

e2e_start_xvfb() {
  # Xvfb picks a free display number and tells it.
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3> "$E2E_WORK/display" \
    > "$E2E_WORK/xvfb.log" 2>&1 &
  e2e_on_exit $!
  local _
  for _ in $(seq 100); do [ -s "$E2E_WORK/display" ] && break; sleep 0.1; done
  [ -s "$E2E_WORK/display" ] || fail "Xvfb did not start"
  export DISPLAY=:$(head -n1 "$E2E_WORK/display")
  for _ in $(seq 50); do xwininfo -root > /dev/null 2>&1 && break; sleep 0.1; done
  xwininfo -root > /dev/null 2>&1 || fail "Xvfb did not start"
}

# JACK keeps its servers in a table of eight slots in shared memory; a
# server that dies without unregistering keeps its slot. When no server runs
# at all, whatever the table holds is stale and goes. Other runs may hold
# slots for a while: try again for up to a minute.
e2e_start_jack() {
  local period=${1:-256} _ attempt
  if ! pgrep -x jackd > /dev/null 2>&1 && ! pgrep -x jackdbus > /dev/null 2>&1; then
    rm -f /dev/shm/jack-shm-registry 2> /dev/null || true
  fi
  export JACK_DEFAULT_SERVER=qz_e2e_$$_$RANDOM
  for attempt in $(seq 20); do
    "${E2E_RT[@]}" jackd -n "$JACK_DEFAULT_SERVER" -r -d dummy -r 48000 -p "$period" > "$E2E_WORK/jackd.log" 2>&1 &
    E2E_JACKD=$!
    for _ in $(seq 50); do
      jack_lsp > /dev/null 2>&1 && break
      kill -0 "$E2E_JACKD" 2> /dev/null || break
      sleep 0.1
    done
    if jack_lsp > /dev/null 2>&1; then
      e2e_on_exit "$E2E_JACKD"
      return 0
    fi
    kill "$E2E_JACKD" 2> /dev/null
    wait "$E2E_JACKD" 2> /dev/null
    sleep 2
  done
  fail "jackd did not start: $(grep -v -i copyright "$E2E_WORK/jackd.log" | tail -3)"
}

QZ_TITLE="QZSEQ  Ver1.08     "
e2e_start_window() {
  local _ origin
  [ -x "$E2E_WORK/qzseq" ] || cp "$1" "$E2E_WORK/qzseq"
  (cd "$E2E_WORK" && HOME="$E2E_WORK" exec ./qzseq > app.log 2>&1) &
  APP_PID=$!
  e2e_on_exit "$APP_PID"
  for _ in $(seq 300); do xwininfo -name "$QZ_TITLE" > /dev/null 2>&1 && break; sleep 0.1; done
  xwininfo -name "$QZ_TITLE" > /dev/null 2>&1 || fail "no window titled '$QZ_TITLE'"
  sleep 1.5
  import -window root "$E2E_WORK/start.png" || fail "screenshot"
  origin=$("$2" check "$E2E_WORK/start.png") || fail "canvas colours: $origin"
  read -r OX OY < <(echo "$origin" | awk '{print $3, $4}')
}

e2e_click() {
  xdotool mousemove $((OX + $1)) $((OY + $2))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
  sleep 0.4
}
