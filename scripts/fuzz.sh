#!/usr/bin/env bash
# Fuzzes the scan reader for SECONDS (default 60) with libFuzzer, ASan and
# UBSan. Installs what is missing, builds in build-fuzz with clang, and fails
# on any finding; the input that caused it is left in build-fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-fuzz

scripts/deps.sh libclang-rt-14-dev

# The reader lives in the model library, which the fuzz target only links:
# instrument every object for coverage and the sanitizers, not just the
# target's own file, or the fuzzer would be blind to the reader's branches.
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNEL_FUZZ=ON -DVARNEL_WERROR=ON -DVARNEL_BUILD_GUI=OFF -DVARNEL_BUILD_TESTS=OFF \
  "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target scan_reader_fuzz -- -j2

# New inputs go to a scratch corpus; the seeds in fuzz/corpus stay as checked in.
mkdir -p "$build/corpus" "$build/artifacts"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
log="$build/fuzz.log"
status=0
"$build/scan_reader_fuzz" -max_total_time="$seconds" -rss_limit_mb=512 -max_len=20000 -timeout=5 \
  -print_final_stats=1 -dict=fuzz/scan_reader.dict -artifact_prefix="$build/artifacts/" \
  "$build/corpus" fuzz/corpus >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
if [ "$status" -ne 0 ]; then
  tail -n 40 "$log"
  echo "fuzz: FINDING after ${runs:-?} executions (exit $status); inputs in $build/artifacts, log in $log"
  exit 1
fi
echo "fuzz: ${runs:-?} executions in ${seconds} s, no finding ($(ls "$build/corpus" | wc -l) inputs in $build/corpus)"
