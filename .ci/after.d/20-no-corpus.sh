#!/usr/bin/env bash
# The suite again, in the build the README's test command made, as a user's
# clone without ../shared beside it has it: the corpus and jump list locations
# point at a folder that does not exist, so every test of them skips and every
# test that falls back to the bundled examples runs on them.
set -euo pipefail
cd "$(dirname "$0")/../.."
VARNLINK_CORPUS_DIR=$PWD/build/no-corpus-here VARNLINK_JUMPLIST_DIR=$PWD/build/no-corpus-here \
  ctest --preset dev
