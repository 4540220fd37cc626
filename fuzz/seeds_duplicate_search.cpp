#include "fuzz/seed_shortcuts.h"
std::vector<varnlink::fuzz::Seed> TargetSeeds() { return varnlink::fuzz::DuplicateSearchSeeds(); }
