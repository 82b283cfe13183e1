#!/usr/bin/env bash
# The window program's costs, old build against new, in one run on one
# machine, with the real process under an X server of its own (Xvfb) and no
# MIDI server (no ports open):
#   - start to first paint: from the launch until the X server shows the
#     position counter's box (median of RUNS starts)
#   - CPU share idle: /proc/PID/stat user + system time over SECONDS s, stopped,
#     nothing loaded, nothing held
#   - CPU share playing: the same while a dense file (dropped on the window)
#     plays
#   - full repaint and the per-frame work while playing (qz_repaint_bench,
#     median and p99)
# usage: run_bench.sh OLD_QZSEQ NEW_QZSEQ OLD_REPAINT_BENCH NEW_REPAINT_BENCH PROBE WINDOW_TOOL FILE.mid [SECONDS] [RUNS]
set -u
OLD=$1 NEW=$2 OLD_RB=$3 NEW_RB=$4 PROBE=$5 TOOL=$6 DENSE=$7 SECONDS_=${8:-30} RUNS=${9:-5}
. "$(dirname "$0")/../../tests/e2e/e2e_env.sh"
e2e_require Xvfb xdotool xwininfo
e2e_start_xvfb
export JACK_DEFAULT_SERVER=qz_bench_none_$$
TITLE="QZSEQ  Ver1.08     "
COUNTER=000077  # colour 240, the position counter's box
TCK=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# CPU share of one core in percent over SECONDS_ seconds.
cpu_share() {
  local a b
  a=$(cpu_ticks "$1")
  sleep "$SECONDS_"
  b=$(cpu_ticks "$1")
  python3 -c "print(f'{100.0 * ($b - $a) / ($SECONDS_ * $TCK):.2f}')"
}
start_app() {  # $1 binary; sets APP_PID and FIRST_PAINT
  rm -rf "$E2E_WORK/app" && mkdir -p "$E2E_WORK/app" && cp "$1" "$E2E_WORK/app/qzseq"
  local launch
  launch=$(date +%s%N)
  (cd "$E2E_WORK/app" && TMPDIR="$E2E_WORK/app" HOME="$E2E_WORK/app" exec ./qzseq > app.log 2>&1) &
  APP_PID=$!
  FIRST_PAINT=$("$PROBE" "$launch" "$COUNTER") || FIRST_PAINT=nan
}
stop_app() {
  kill "$APP_PID" 2> /dev/null
  wait "$APP_PID" 2> /dev/null
}
median() { python3 -c "import statistics,sys; v=[float(x) for x in sys.argv[1:] if x!='nan']; print(f'{statistics.median(v):.1f}' if v else 'nan')" "$@"; }

for which in old new; do
  bin=$OLD; [ "$which" = new ] && bin=$NEW
  paints=()
  for _ in $(seq "$RUNS"); do
    start_app "$bin"
    paints+=("$FIRST_PAINT")
    stop_app
    sleep 0.5
  done
  echo "$which first_paint_ms median=$(median "${paints[@]}") runs=${paints[*]}"

  start_app "$bin"
  sleep 3
  echo "$which idle_cpu_percent=$(cpu_share "$APP_PID")"
  # The dense file, dropped on the canvas, then PLAY.
  import -window root "$E2E_WORK/shot.png"
  read -r OX OY < <("$TOOL" check "$E2E_WORK/shot.png" | awk '{print $3, $4}')
  cp "$DENSE" "$E2E_WORK/Dense.mid"
  "$TOOL" drop $((OX + 600)) $((OY + 300)) "$E2E_WORK/Dense.mid" > /dev/null || echo "$which: drop failed"
  sleep 1
  xdotool mousemove $((OX + 659)) $((OY + 602)); sleep 0.2; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1
  sleep 1
  echo "$which playing_cpu_percent=$(cpu_share "$APP_PID")"
  stop_app
done
echo "old $("$OLD_RB" "$DENSE" 2000 | tr '\n' ' ')"
echo "new $("$NEW_RB" "$DENSE" 2000 | tr '\n' ' ')"
