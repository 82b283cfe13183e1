#!/usr/bin/env bash
# The playback benchmark of the Windows build under Wine: 2 s stopped, then
# the 31 s song through the engine thread on the Windows timer file.
set -u
BENCH=$1
PREFIX=$2
HERE=$(dirname "$0")
# shellcheck source=../e2e/e2e_env.sh
. "$HERE/../e2e/e2e_env.sh"
# shellcheck source=wine_env.sh
. "$HERE/wine_env.sh"
[ -f "$BENCH" ] || { echo "SKIP: no $BENCH (the cross-build with -DQZ_BUILD_BENCH=ON)"; exit 77; }
wine_setup "$PREFIX"
echo "load average $(cut -d' ' -f1 /proc/loadavg)"
wine_run "$BENCH" 2 2> "$E2E_WORK/bench.err" | tr -d '\r'
RC=${PIPESTATUS[0]}
[ "$RC" = 0 ] || fail "messages lost or reordered (exit $RC): $(head -3 "$E2E_WORK/bench.err")"
echo "PASS"
