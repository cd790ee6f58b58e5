#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/, clang, ASan+UBSan) into build-fuzz/ and runs each
# for SECONDS (default 60) on a corpus grown from fuzz/corpus/. Fails on the first finding;
# the input that found it is left in build-fuzz/findings/<target>/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     targets: parser link_answers settings_file
# A finding is replayed with build-fuzz/bin/fuzz_<target> <file>.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-60}
shift || true
TARGETS=("$@")
((${#TARGETS[@]})) || TARGETS=(parser link_answers settings_file)
OUT=${ORDALIS_FUZZ_DIR:-build-fuzz}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S fuzz -B "$OUT" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$OUT" -j "$(nproc)" >/dev/null

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
status=0
for t in "${TARGETS[@]}"; do
  corpus="$OUT/corpus/$t" findings="$OUT/findings/$t"
  mkdir -p "$corpus" "$findings"
  dict=()
  [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
  log="$OUT/fuzz_$t.log"
  if "$OUT/bin/fuzz_$t" "$corpus" "fuzz/corpus/$t" "${dict[@]}" -max_total_time="$SECONDS_EACH" \
       -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$findings/" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    echo "fuzz_$t: ${runs:-?} executions in ${SECONDS_EACH}s, no finding"
  else
    status=1
    echo "fuzz_$t: FINDING (see $log and $findings/)"
    grep -E "ERROR|fuzz:|runtime error|SUMMARY" "$log" | head -20 || true
  fi
done
exit $status
