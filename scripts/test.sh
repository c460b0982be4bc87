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
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2
