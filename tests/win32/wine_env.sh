# Sourced by the Wine tests, after tests/e2e/e2e_env.sh: a Wine prefix kept
# in the build tree (made once; the first run takes a minute) and a
# wineserver that stays up while the script runs.
#
#   wine_setup PREFIX_DIR     exit 77 (skipped) when Wine is not installed
#   wine_run EXE ARGS...      run a Windows program; its exit code
#   wine_path PATH            the Windows form of a Linux path (Z:\...)
wine_setup() {
  WINE=$(command -v wine64 || command -v wine || true)
  [ -n "$WINE" ] || { echo "SKIP: Wine is not installed"; exit 77; }
  command -v wineserver > /dev/null || { echo "SKIP: wineserver is not installed"; exit 77; }
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i > "$E2E_WORK/wineboot.log" 2>&1 || fail "wineboot: $(tail -3 "$E2E_WORK/wineboot.log")"
  fi
  # One server for the whole script, stopped with it.
  wineserver -p
  trap 'wineserver -k 2> /dev/null; e2e_cleanup' EXIT
}

wine_run() { "$WINE" "$@"; }

wine_path() { echo "Z:${1//\//\\}"; }
