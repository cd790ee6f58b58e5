#!/usr/bin/env bash
# Builds everything and runs all tests; then once more built with ASan/UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
JOBS=$(nproc)
export QT_QPA_PLATFORM=offscreen
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS"
ctest --test-dir build --output-on-failure -j "$JOBS" --timeout 600
if [ "${ORDALIS_SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORDALIS_SANITIZE=ON -DORDALIS_BUILD_BENCH=OFF
  cmake --build build-asan -j "$JOBS"
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$JOBS" --timeout 900
fi
# Each fuzz target for a bounded time (ORDALIS_FUZZ_SECONDS each); any finding fails.
if [ "${ORDALIS_SKIP_FUZZ:-0}" != "1" ]; then
  if command -v clang++ >/dev/null; then
    scripts/fuzz.sh "${ORDALIS_FUZZ_SECONDS:-30}"
  else
    echo "clang++ not installed: fuzzing skipped"
  fi
fi
