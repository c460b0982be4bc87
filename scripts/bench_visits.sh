#!/usr/bin/env bash
# The series of visits against the same pairs as a --pairs run, side by side:
# 100 visits (4,950 pairs) and 20 visits (190 pairs) of 501-reading scans,
# made from the example scans with a small, fixed change per visit. Prints
# the wall and CPU time and the peak memory of each run, and how many times
# faster the series is. Target: 100 visits under 1 s on 2 cores and at least
# twice as fast as --pairs. BUILD_DIR may be set (a Release tree).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build-bench}"
if [ ! -x "$build/varnel-batch" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --parallel "${JOBS:-2}" --target varnel-batch >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Visit v: back_visit1.txt or back_visit2.txt (alternately), every reading
# raised by v/1000 on the left and v/2000 on the right.
python3 - "$work" examples/back_visit1.txt examples/back_visit2.txt <<'PY'
import sys, os
work, scans = sys.argv[1], [open(p).read().split() for p in sys.argv[2:]]
for v in range(1, 101):
    rows = []
    for line in scans[v % 2]:
        l, r = (float(x) for x in line.split(","))
        rows.append("%.3f,%.3f" % (l + v / 1000, r + v / 2000))
    open(os.path.join(work, "visit%03d.txt" % v), "w").write("\n".join(rows) + "\n")
for n in (100, 20):
    names = [os.path.join(work, "visit%03d.txt" % v) for v in range(1, n + 1)]
    open(os.path.join(work, "visits%d.txt" % n), "w").write("\n".join(names) + "\n")
    with open(os.path.join(work, "pairs%d.csv" % n), "w") as f:
        for i in range(n):
            for j in range(i + 1, n):
                f.write("%s,%s\n" % (names[i], names[j]))
PY

measure() {  # label, then the command
  local label="$1"; shift
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  read -r wall user sys kib <"$work/time"
  printf '%-34s %6.2f s wall  %6.2f s CPU  %6.1f MiB peak\n' "$label" "$wall" "$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')"
  echo "$wall" >"$work/last"
}
for n in 100 20; do
  pairs=$((n * (n - 1) / 2))
  echo "== $n visits ($pairs pairs)"
  measure "varnel-batch --visits" "$build/varnel-batch" --visits --visit-list "$work/visits$n.txt"
  visits="$(cat "$work/last")"
  measure "varnel-batch --pairs --outputs none" "$build/varnel-batch" --pairs "$work/pairs$n.csv" --outputs none
  pairs_wall="$(cat "$work/last")"
  awk -v a="$pairs_wall" -v b="$visits" 'BEGIN { printf "series %.1f times as fast as --pairs\n", a / b }'
done
