#!/usr/bin/env bash
# Builds the Debian package (BUILD_DIR, default build-pkg, Release, no tests)
# and checks it; fails when a check does:
#   - every option of `varnel-batch --help` and `varnel-records --help` has its
#     entry in the manual page,
#     and the page has no entry for an option the program does not know;
#   - the desktop entry passes desktop-file-validate, the AppStream entry
#     appstreamcli validate;
#   - lintian finds no errors in the package (warnings are shown).
# Installs what is missing (lintian, desktop-file-utils, appstream) first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh lintian desktop-file-utils appstream
build="${BUILD_DIR:-build-pkg}"

# Debian's build flags, with all hardening (stack protector, fortified libc
# calls, read-only relocations bound at start); the project's own flags follow.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_BUILD_TESTS=OFF \
      -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$build" -j2 --target varnel varnel-batch varnel-records

# Options of each program's help text: the lines that start with an option;
# options of its manual page: the tags of its .TP entries.
for program in varnel-batch varnel-records; do
  help_options=$("$build/$program" --help | grep -oE '^ +(-[a-z], )?--[a-z0-9-]+' | grep -oE -- '--[a-z0-9-]+' | sort -u)
  page_options=$(awk 'tag { print; tag = 0 } /^\.TP/ { tag = 1 }' "packaging/$program.1.in" |
                 sed 's/\\-/-/g' | grep -oE -- '--[a-z0-9-]+' | sort -u)
  missing=$(comm -23 <(echo "$help_options") <(echo "$page_options"))
  stale=$(comm -13 <(echo "$help_options") <(echo "$page_options"))
  if [ -n "$missing$stale" ]; then
    [ -z "$missing" ] || echo "packaging/$program.1.in lacks:" $missing >&2
    [ -z "$stale" ] || echo "packaging/$program.1.in describes unknown options:" $stale >&2
    exit 1
  fi
done

desktop-file-validate packaging/varnel.desktop
appstreamcli validate --no-net "$build"/packaging/*.metainfo.xml

rm -f "$build"/varnel_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/varnel_*.deb)
dpkg-deb --contents "$deb"
lintian --info --fail-on error "$deb"
echo "$deb: no lintian errors"
