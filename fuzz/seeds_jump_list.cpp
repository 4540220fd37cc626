#include "fuzz/seed_shortcuts.h"
// The real jump lists are the fuzzer's seeds (../shared/jumplists); under
// ctest the regression inputs alone replay, beside an empty custom list.
std::vector<varnlink::fuzz::Seed> TargetSeeds() {
  return {{"empty", {}}, {"empty-custom-list", {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}};
}
