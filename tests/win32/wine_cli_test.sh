#!/usr/bin/env bash
# The Windows command-line tool under Wine against the Linux one:
#   dump    every file of the test data prints exactly what the Linux build
#           prints, with the same exit code;
#   render  two screens give the same PNG outside the text boxes (the
#           text is drawn by GDI there and by Qt here).
set -u
MODE=$1
LINUX_CLI=$2
WIN_CLI=$3
TESTDATA=$4
PREFIX=$5
HERE=$(dirname "$0")
# shellcheck source=../e2e/e2e_env.sh
. "$HERE/../e2e/e2e_env.sh"
# shellcheck source=wine_env.sh
. "$HERE/wine_env.sh"
[ -f "$WIN_CLI" ] || { echo "SKIP: no $WIN_CLI (the cross-build, see the README)"; exit 77; }
wine_setup "$PREFIX"
WORK=$E2E_WORK

if [ "$MODE" = dump ]; then
  # Every file in one run of each tool: a Wine start costs a second on a
  # busy machine.
  files=()
  wfiles=()
  while IFS= read -r -d '' f; do
    files+=("$f")
    wfiles+=("$(wine_path "$f")")
  done < <(find "$(realpath "$TESTDATA")" -type f \( -iname '*.mid' -o -iname '*.seq' -o -iname '*.all' -o -iname '*.rmi' \) -print0 | sort -z)
  [ ${#files[@]} -gt 0 ] || fail "no test files in $TESTDATA"
  "$LINUX_CLI" dump "${files[@]}" > "$WORK/linux.txt" 2> /dev/null
  lrc=$?
  wine_run "$WIN_CLI" dump "${wfiles[@]}" 2> /dev/null | tr -d '\r' > "$WORK/win.txt"
  wrc=${PIPESTATUS[0]}
  echo "${#files[@]} files, $(wc -l < "$WORK/linux.txt") lines, $(grep -c '^failed' "$WORK/linux.txt") refused; exit codes $lrc and $wrc"
  [ "$(grep -c '^file ' "$WORK/win.txt")" = ${#files[@]} ] || fail "the Windows dump stopped early: $(tail -1 "$WORK/win.txt")"
  if ! cmp -s "$WORK/linux.txt" "$WORK/win.txt"; then
    diff "$WORK/linux.txt" "$WORK/win.txt" | head -10
    fail "dump differs"
  fi
  [ "$lrc" = "$wrc" ] || fail "exit codes differ"
  echo "PASS"
  exit 0
fi

# render: the empty screen and a loaded drum file.
cases=("" "$TESTDATA/midi/tonejs/beat.mid")
for i in "${!cases[@]}"; do
  f=${cases[$i]}
  args=()
  wargs=()
  if [ -n "$f" ]; then args=("$f"); wargs=("$(wine_path "$f")"); fi
  "$LINUX_CLI" render "${args[@]}" "$WORK/l$i.png" 2> /dev/null || fail "linux render $f"
  "$LINUX_CLI" render "${args[@]}" "$WORK/l${i}b.png" --no-text 2> /dev/null || fail "linux render $f --no-text"
  wine_run "$WIN_CLI" render "${wargs[@]}" "$(wine_path "$WORK/w$i.png")" > "$WORK/w$i.log" 2>&1 || fail "wine render $f: $(cat "$WORK/w$i.log")"
  wine_run "$WIN_CLI" render "${wargs[@]}" "$(wine_path "$WORK/w${i}b.png")" --no-text > /dev/null 2>&1 || fail "wine render $f --no-text"
  echo "screen ${f:-(empty)}:"
  python3 "$HERE/compare_render.py" "$WORK/l$i.png" "$WORK/w$i.png" "$WORK/l${i}b.png" "$WORK/w${i}b.png" || fail "render differs outside the text"
done
echo "PASS"
