#!/usr/bin/env bash
# Builds a Release tree with the benchmarks and the start-up probe, runs the
# benchmarks, then starts the window five times off screen on the example
# scans (both loaded, the four calculations run) and prints the median time
# from process start to the chart's first paint and the peak memory.
# Targets: first paint under 300 ms, peak memory under 80 MiB. Exits 1 when
# a target is missed and VARNEL_BENCH_STRICT=1. BUILD_DIR and JOBS may be set.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build="${BUILD_DIR:-build-bench}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DVARNEL_BUILD_BENCH=ON -DVARNEL_BUILD_GUI=ON -DVARNEL_CHECKED=OFF >/dev/null
cmake --build "$build" --parallel "${JOBS:-2}" --target varnel_bench varnel-startup-probe

echo
echo "== Benchmarks"
"$build/varnel_bench" --benchmark_format=console

echo
echo "== Start-up: 5 runs, offscreen, examples/back_visit1.txt and back_visit2.txt"
scans=(examples/back_visit1.txt examples/back_visit2.txt)
errors="$(mktemp)"
trap 'rm -f "$errors"' EXIT
times=()
peak=0
clock=""
for run in 1 2 3 4 5; do
  if ! out="$(QT_QPA_PLATFORM=offscreen "$build/varnel-startup-probe" "${scans[@]}" 2>"$errors")"; then
    echo "run $run: the probe failed:" >&2
    cat "$errors" >&2
    exit 1
  fi
  ms="$(sed -n 's/^start_to_paint_ms=\([0-9.]*\).*/\1/p' <<<"$out")"
  clock="$(sed -n 's/^start_to_paint_ms=.* clock=\(.*\)$/\1/p' <<<"$out")"
  kib="$(sed -n 's/^peak_rss_kib=\([0-9]*\)$/\1/p' <<<"$out")"
  if [ -z "$ms" ] || [ -z "$kib" ]; then
    echo "run $run: unexpected probe output:" >&2
    echo "$out" >&2
    exit 1
  fi
  printf 'run %d: first paint %7.1f ms   peak memory %6.1f MiB\n' "$run" "$ms" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')"
  times+=("$ms")
  [ "$kib" -gt "$peak" ] && peak="$kib"
done

median="$(printf '%s\n' "${times[@]}" | sort -g | sed -n 3p)"
peak_mib="$(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }')"
verdict() { awk -v v="$1" -v t="$2" 'BEGIN { print (v < t) ? "within target" : "OVER TARGET" }'; }
echo
printf 'median start to first paint: %s ms (timed from %s; target < 300 ms: %s)\n' \
       "$median" "$clock" "$(verdict "$median" 300)"
printf 'peak memory (largest VmHWM): %s MiB (target < 80 MiB: %s)\n' "$peak_mib" "$(verdict "$peak_mib" 80)"

if [ "${VARNEL_BENCH_STRICT:-0}" = 1 ] &&
   { [ "$(verdict "$median" 300)" != "within target" ] || [ "$(verdict "$peak_mib" 80)" != "within target" ]; }; then
  exit 1
fi
