#!/usr/bin/env bash
# The Windows cross-build and its tests under Wine: MinGW-w64 (posix thread
# model), GoogleTest's sources (built inside the cross-build), Wine and a
# virtual X display for the window's smoke test. Installed packages are left
# as they are.
set -euo pipefail

PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 googletest nlohmann-json3-dev wine64 xvfb xauth x11-utils imagemagick)

# With Wine's recommended libraries and fonts, as the tests were made with.
"$(dirname "$0")/../install-missing" --with-recommends "${PACKAGES[@]}"
