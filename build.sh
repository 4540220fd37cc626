#!/usr/bin/env bash
# Varnlink's one entry point for building, running and testing on Debian 12.
#   ./build.sh run    build, then open the window on the bundled examples
#   ./build.sh test   build and run every test (the command CI runs)
#   ./build.sh asan   build and run every test under Address/UB sanitizers
set -euo pipefail
cd "$(dirname "$0")"

# Debian packages the build and the tests need.
PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
          qt6-base-dev libcups2-dev fonts-dejavu-core xvfb xauth x11-utils imagemagick ntfs-3g)

install_missing() { .ci/install-missing "${PACKAGES[@]}"; }

case "${1:-}" in
  run)
    install_missing
    cmake --preset dev >/dev/null
    cmake --build --preset dev
    if [[ -x build/dev/src/app/qt/varnlink ]]; then
      exec build/dev/src/app/qt/varnlink examples
    else
      exec build/dev/src/app/cli/varnlink-cli examples
    fi
    ;;
  test)
    install_missing
    cmake --workflow --preset dev
    ;;
  asan)
    install_missing
    cmake --workflow --preset asan
    ;;
  *)
    echo "usage: ./build.sh run|test|asan" >&2
    exit 2
    ;;
esac
