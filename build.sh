#!/usr/bin/env bash
# Varnlink's one entry point for building, running and testing on Debian 12.
#   ./build.sh run    build, then open the window on the bundled examples
#   ./build.sh test   build and run every test (the command CI runs)
#   ./build.sh asan   build and run every test under Address/UB sanitizers
#   ./build.sh package  the Debian packages and the Windows zip and installer,
#                       with their SHA256SUMS, in build/package/
set -euo pipefail
cd "$(dirname "$0")"

# Debian packages the build and the tests need (libolecf-utils: the
# independent compound-file reader the jump list tests compare with).
PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
          qt6-base-dev libcups2-dev fonts-dejavu-core xvfb xauth x11-utils imagemagick ntfs-3g
          python3 python3-jsonschema python3-yaml sleuthkit libssl-dev libolecf-utils)

# And those that making the packages needs besides: dpkg-dev and file for
# the Debian packages' dependencies, MinGW-w64 and GoogleTest's sources for
# the Windows build, NSIS for its installer.
PACKAGE_TOOLS=(dpkg-dev file nsis g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
               binutils-mingw-w64-x86-64 googletest)

install_missing() { .ci/install-missing "${PACKAGES[@]}" "$@"; }

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
  package)
    install_missing "${PACKAGE_TOOLS[@]}"
    rm -rf build/package build/deb/packages build/windows/packages
    cmake --workflow --preset deb
    # The Windows build folder is the Wine tests' own: what they built is reused.
    cmake --preset windows >/dev/null
    cmake --build --preset windows -j2 --target windows-packages
    mkdir -p build/package
    cp build/deb/packages/*.deb build/windows/packages/* build/package/
    (cd build/package && sha256sum -- * >SHA256SUMS)
    ls -l build/package
    ;;
  *)
    echo "usage: ./build.sh run|test|asan|package" >&2
    exit 2
    ;;
esac
