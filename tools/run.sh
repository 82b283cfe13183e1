#!/usr/bin/env bash
# Installs what is missing, builds, and starts the sequencer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_BUILD_TESTS=OFF > /dev/null
cmake --build build -j"$(nproc)"
exec build/app/qzseq "$@"
