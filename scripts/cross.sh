#!/usr/bin/env bash
# Builds the toolkit-free layers (src/model, src/chart, src/calc) with
# Debian's cross compilers: arm64 Linux, where the two-ratio windows take
# the scalar path, and x86-64 Windows (MinGW-w64), where the SIMD lanes
# come in as on x86-64 Linux. For each: every source compiles with the
# project's warnings as errors, the objects link into one shared library
# with nothing left undefined, and the three layers' tests compile (there is
# no cross GoogleTest library to link them with). Fails when either does.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh g++-aarch64-linux-gnu g++-mingw-w64-x86-64

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# GoogleTest's headers serve every target; nothing else of the host's is
# put on the cross compilers' include path.
mkdir "$out/include"
ln -s /usr/include/gtest "$out/include/gtest"

flags=(-std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror -ffp-contract=off -fno-fast-math -I src)

# cross TARGET COMPILER LIBRARY EXTRA-FLAGS...: the x86-64 lanes on x86-64
# targets only, the scalar windows elsewhere, as src/calc/CMakeLists.txt
# chooses.
cross() {
  local target=$1 cxx=$2 library=$3
  shift 3
  local skip=_x86.cpp
  [[ $target == x86_64-* ]] && skip=_scalar.cpp
  echo "== $target ($cxx)"
  mkdir "$out/$target"
  local objects=()
  for source in src/model/*.cpp src/chart/*.cpp src/calc/*.cpp; do
    [[ $source == *"$skip" ]] && continue
    local object="$out/$target/$(basename "$source" .cpp).o"
    "$cxx" "${flags[@]}" "$@" -c "$source" -o "$object"
    objects+=("$object")
  done
  "$cxx" -shared "$@" "${objects[@]}" -Wl,--no-undefined -o "$out/$target/$library"
  for test in tests/model/model_test.cpp tests/chart/scaling_and_surface_test.cpp tests/calc/kernels_test.cpp; do
    "$cxx" "${flags[@]}" "$@" -I tests -isystem "$out/include" -c "$test" -o "$out/$target/test.o"
  done
  echo "${#objects[@]} sources, the library and 3 tests built"
}

# -Wno-psabi: GCC notes where GCC 10.1 changed how arm64 passes pairs; every
# object here comes from the one compiler.
cross aarch64-linux-gnu aarch64-linux-gnu-g++ libvarnel.so -fPIC -Wno-psabi
cross x86_64-w64-mingw32 x86_64-w64-mingw32-g++-posix varnel.dll
