#!/usr/bin/env bash
# The Windows cross-build and its tests under Wine: MinGW-w64 (posix thread
# model), GoogleTest's sources (built inside the cross-build), Wine and a
# virtual X display for the window's smoke test. Installed packages are left
# as they are.
set -euo pipefail

PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 googletest wine64 xvfb xauth x11-utils imagemagick)

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "50-windows: installing ${missing[*]}"
  $sudo apt-get update -q
  # With Wine's recommended libraries and fonts, as the tests were made with.
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
