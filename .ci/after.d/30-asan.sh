#!/usr/bin/env bash
# The whole test suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# with leak checking (the asan test preset sets ASAN_OPTIONS=detect_leaks=1).
set -euo pipefail
cd "$(dirname "$0")/../.."
./build.sh asan
