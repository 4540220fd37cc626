#!/usr/bin/env bash
# Bounded fuzz runs: each libFuzzer target for about a minute from the seeds
# (the link writer's shortcuts, and the real corpus when ../shared/corpus
# exists, read in place). A crash, leak, timeout or broken invariant fails CI;
# the input that caused it is left in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/../.."
SECONDS_PER_TARGET=${VARNLINK_FUZZ_SECONDS:-60}

.ci/install-missing clang-14 libclang-rt-14-dev cmake ninja-build

build=build/fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNLINK_BUILD_FUZZ=ON -DVARNLINK_BUILD_QT=OFF -DVARNLINK_BUILD_TESTS=OFF
cmake --build "$build" --target fuzz_audit_shortcut fuzz_duplicate_search fuzz_jump_list make_seeds

rm -rf "$build/seeds"
"$build/fuzz/make_seeds" "$build/seeds"
mkdir -p "$build/artifacts"

extra_seeds=()
if [[ -d ../shared/corpus ]]; then
  extra_seeds+=(../shared/corpus)
else
  echo "40-fuzz: ../shared/corpus is absent; fuzzing from the link writer's seeds only"
fi

jump_list_seeds=()
if [[ -d ../shared/jumplists ]]; then
  jump_list_seeds+=(../shared/jumplists)
else
  echo "40-fuzz: ../shared/jumplists is absent; fuzzing jump lists from the regression inputs only"
fi

status=0
for target in fuzz_audit_shortcut fuzz_duplicate_search fuzz_jump_list; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus" "$build/seeds/$target"
  seeds=("$build/seeds/$target" "fuzz/regressions/$target")
  max_len=8192
  [[ $target == fuzz_audit_shortcut ]] && seeds+=("${extra_seeds[@]}")
  # Real jump lists run to some 75 KB.
  [[ $target == fuzz_jump_list ]] && seeds+=("${jump_list_seeds[@]}") && max_len=131072
  echo "== 40-fuzz: $target for ${SECONDS_PER_TARGET}s"
  if ! "$build/fuzz/$target" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -max_len="$max_len" \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$corpus" "${seeds[@]}"; then
    echo "40-fuzz: $target found a fault; its input is in $build/artifacts/" >&2
    status=1
  fi
done
exit $status
