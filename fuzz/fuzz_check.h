#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant in a fuzz target: print it and abort, so libFuzzer (and
// the regression runner under ctest) report the input as a finding.
#define VARNLINK_FUZZ_CHECK(condition, what)                                               \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", __FILE__, __LINE__, what, \
                   #condition);                                                            \
      std::abort();                                                                        \
    }                                                                                      \
  } while (false)
