#!/usr/bin/env bash
# Installs what building and testing the calculator needs on Debian 12, and
# any further packages named as arguments. Only packages that are missing are
# installed; sudo is used when not root.
set -euo pipefail

packages=(build-essential cmake ninja-build qt6-base-dev libgl-dev
          googletest libgtest-dev libgmock-dev libbenchmark-dev
          clang clang-tidy cppcheck fonts-dejavu-core poppler-utils
          qt6-charts-dev libqt6opengl6-dev
          libqt6sql6-sqlite libqt6sql6-psql postgresql postgresql-common)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
