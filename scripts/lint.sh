#!/usr/bin/env bash
# Static checks of src/: clang-tidy with the checks of .clang-tidy and
# cppcheck (warnings, performance, portability). Installs what is missing,
# configures build-lint (compile database, Qt view included) and fails on
# any finding of either tool.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-lint

scripts/deps.sh

# Configured for clang, whose parser clang-tidy is: the compile database then
# holds no option that only GCC knows. A folder configured for another
# compiler starts afresh (CMake would keep its cache's options instead).
if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang++$' "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DVARNEL_WERROR=ON -DVARNEL_BUILD_GUI=ON \
      -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
# The Qt view's sources may include files that moc generates.
if ninja -C "$build" -t targets all 2>/dev/null | grep -q '^varnel_qt_autogen:'; then
  cmake --build "$build" --target varnel_qt_autogen >/dev/null
fi

# The sources of src/ in the compile database: moc output lives in the build
# folder and is left out.
mapfile -t sources < <(python3 - "$build/compile_commands.json" <<'PY'
import json, os, sys
src = os.path.realpath("src") + os.sep
files = sorted({os.path.realpath(e["file"]) for e in json.load(open(sys.argv[1]))})
print("\n".join(f for f in files if f.startswith(src)))
PY
)
[ ${#sources[@]} -gt 0 ] || { echo "lint: no sources of src/ in $build/compile_commands.json"; exit 1; }

status=0
echo "== layers"
# The order of the README's list of layers: a file of src/ includes only
# from its own folder and those listed before it.
if ! python3 - <<'PY'
import pathlib, re, sys
readme = pathlib.Path("README.md").read_text()
layout = readme.split("## Layout", 1)[1].split("\n## ", 1)[0]
order = re.findall(r"^- `([a-z_]+)/`", layout, re.M)
folders = sorted(p.name for p in pathlib.Path("src").iterdir() if p.is_dir())
rank = {d: i for i, d in enumerate(order)}
bad = [f"src/{d}/ is not in the README's list of layers" for d in folders if d not in rank]
bad += [f"the README lists {d}/, which src/ does not hold" for d in order if d not in folders]
for f in sorted(pathlib.Path("src").rglob("*.[ch]pp")):
    here = f.parts[1]
    for n, line in enumerate(f.read_text(errors="replace").splitlines(), 1):
        m = re.match(r'#include "([a-z_]+)/', line)
        if m and here in rank and rank.get(m.group(1), -1) > rank[here]:
            bad.append(f"{f}:{n}: {here}/ includes from {m.group(1)}/, listed after it in the README")
print("\n".join(bad))
sys.exit(1 if bad else 0)
PY
then
  status=1
fi

echo "== clang-tidy (${#sources[@]} files)"
tidy=$(command -v run-clang-tidy || command -v run-clang-tidy-14)
if ! "$tidy" -p "$build" -j 2 -quiet "${sources[@]}" >"$build/clang-tidy.log" 2>&1; then
  status=1
fi
# The findings only, once each, without colour codes or progress lines.
sed 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" | grep -E '^/.*: (warning|error):' | sort -u || true

echo "== cppcheck"
if ! cppcheck --enable=warning,performance,portability --error-exitcode=1 --inline-suppr --std=c++20 \
    --library=qt --quiet -I src --suppress=missingIncludeSystem --suppress=missingInclude \
    --template='{file}:{line}: {severity}: {message} [{id}]' src; then
  status=1
fi

[ $status -eq 0 ] && echo "lint: no findings" || echo "lint: FINDINGS above"
exit $status
