# Sourced by the end-to-end scripts that start a JACK server.
#
# JACK keeps its servers in a table of eight slots in shared memory. A server
# that dies without unregistering keeps its slot until a server of the same
# name starts again, so the scripts use fixed server names; and when no
# server runs at all, whatever the table still holds is stale and goes.
clear_stale_jack_registry() {
  if pgrep -x jackd > /dev/null 2>&1 || pgrep -x jackdbus > /dev/null 2>&1; then
    return 0
  fi
  rm -f /dev/shm/jack-shm-registry 2> /dev/null || true
}
