#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and
# runs the whole test suite. BUILD_DIR and CMAKE_ARGS may be set to build a
# variant (the sanitizer pass of CI uses them).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build="${BUILD_DIR:-build-test}"
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja -DVARNEL_WERROR=ON ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build"
root="$PWD"
cd "$build"
# The records' tests run against a PostgreSQL server of their own, which
# pg_virtualenv starts for the run, in a temporary folder (-t: runs side by
# side do not meet, as root too), sets PGHOST, PGPORT, PGUSER and PGPASSWORD
# for, and removes afterwards; the SQLite cases need none. The
# server's client library keeps some memory to the end, which LeakSanitizer
# is told of in tests/records/lsan.supp.
export LSAN_OPTIONS="suppressions=$root/tests/records/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
QT_QPA_PLATFORM=offscreen pg_virtualenv -t ctest --output-on-failure --timeout 600 -j2
