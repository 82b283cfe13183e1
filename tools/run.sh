#!/usr/bin/env bash
# Installs what is missing, builds, and starts the sequencer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQZ_BUILD_TESTS=OFF > /dev/null
cmake --build build -j"$(nproc)"
if [ -x build/app/qzseq ]; then
  exec build/app/qzseq "$@"
fi
# Until the window program is built, show the command-line tool.
exec build/app/qzseq-cli help
