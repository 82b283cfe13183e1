#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the unit, file and end-to-end tests (GCC, Release: what users build),
#      with the Windows cross-build (MinGW-w64) tested under Wine;
#   2. the same tests under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the threaded tests under ThreadSanitizer (Clang 14, which also proves
#      the Clang build);
#   4. each fuzzer for a short while (Clang 14, libFuzzer).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

JOBS=$(nproc)
FUZZ_SECONDS=${QZ_FUZZ_SECONDS:-15}
CTEST=(ctest --output-on-failure --timeout 900 -j"$JOBS")
failed=0
step() { echo; echo "==== $* ===="; }

step "build (GCC, Release)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j"$JOBS"
step "cross-build for Windows (MinGW-w64)"
if command -v x86_64-w64-mingw32-g++-posix > /dev/null; then
  cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQZ_BUILD_BENCH=ON > /dev/null
  cmake --build build-win -j"$JOBS" || failed=1
else
  echo "no MinGW-w64 compiler: the Wine tests are skipped"
fi
step "tests"
"${CTEST[@]}" --test-dir build || failed=1

step "build (GCC, AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQZ_SANITIZE=address,undefined > /dev/null
cmake --build build-asan -j"$JOBS"
step "tests under ASan + UBSan"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "${CTEST[@]}" --test-dir build-asan -LE 'e2e' || failed=1

step "build (Clang 14, ThreadSanitizer)"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQZ_SANITIZE=thread -DQZ_WITH_GUI=OFF > /dev/null
cmake --build build-tsan -j"$JOBS" --target qz_thread_tests
step "threaded tests under TSan"
TSAN_OPTIONS=halt_on_error=1 "${CTEST[@]}" --test-dir build-tsan -L threads || failed=1

step "build fuzzers (Clang 14, libFuzzer)"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQZ_BUILD_FUZZERS=ON -DQZ_BUILD_TESTS=OFF -DQZ_WITH_GUI=OFF > /dev/null
cmake --build build-fuzz -j"$JOBS"
step "fuzzers, ${FUZZ_SECONDS} s each"
bash tools/run-fuzzers.sh build-fuzz "$FUZZ_SECONDS" || failed=1

echo
if [ "$failed" -ne 0 ]; then
  echo "SOME TESTS FAILED"
  exit 1
fi
echo "ALL TESTS PASSED"
