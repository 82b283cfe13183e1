#!/usr/bin/env bash
# Runs each file fuzzer for a while:  tools/run-fuzzers.sh BUILD_DIR SECONDS
# BUILD_DIR is a build made with Clang and -DQZ_BUILD_FUZZERS=ON. New inputs
# collect in BUILD_DIR/fuzz-corpus/<fuzzer>; crashes land in
# BUILD_DIR/fuzz-crashes/. Exits non-zero when any fuzzer finds a crash.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:?usage: run-fuzzers.sh BUILD_DIR SECONDS}
SECONDS_EACH=${2:-30}
TESTDATA=../shared/testdata/midi

declare -A SEEDS=(
  [fuzz_smf]="fuzz/seeds/smf $TESTDATA"
  [fuzz_mpc_seq]="fuzz/seeds/seq"
  [fuzz_mpc_all]="fuzz/seeds/all"
  [fuzz_settings]="fuzz/seeds/settings"
)

failed=0
mkdir -p "$BUILD/fuzz-crashes"
for name in fuzz_smf fuzz_mpc_seq fuzz_mpc_all fuzz_settings; do
  bin="$BUILD/fuzz/$name"
  if [ ! -x "$bin" ]; then
    echo "$name: not built" >&2
    failed=1
    continue
  fi
  corpus="$BUILD/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  for d in ${SEEDS[$name]}; do [ -d "$d" ] && seeds+=("$d"); done
  echo "== $name for ${SECONDS_EACH}s"
  # The seed folders hold files of other formats too; a seed is just input.
  if ! "$bin" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -max_len=300000 \
       -print_final_stats=1 -artifact_prefix="$BUILD/fuzz-crashes/$name-" "$corpus" "${seeds[@]}" \
       2> "$BUILD/fuzz-crashes/$name.log"; then
    echo "$name: FAILED (see $BUILD/fuzz-crashes/$name.log)" >&2
    tail -40 "$BUILD/fuzz-crashes/$name.log" >&2
    failed=1
  fi
  grep -E "stat::number_of_executed_units|stat::new_units_added" "$BUILD/fuzz-crashes/$name.log"
done
exit $failed
