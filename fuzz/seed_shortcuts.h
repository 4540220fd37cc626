#pragma once

// Starting inputs for the fuzz targets: shortcuts built field by field with
// the test-support link writer, covering every part of the format the decoder
// reads (ID lists with shell items of every kind and each shape that names a
// target, local and network link info, ANSI and Unicode strings, the
// environment and property-store blocks, hot keys, show commands) and the
// byte-rule layouts.

#include <string>
#include <utility>
#include <vector>

#include "tests/support/link_writer.h"

namespace varnlink::fuzz {

struct Seed {
  std::string name;  // file name for the seed folder
  test_support::Bytes bytes;
};

// Shortcut files as they would lie on disk.
[[nodiscard]] std::vector<Seed> SeedShortcuts();

// Inputs of fuzz_audit_shortcut: each shortcut alone and with a choice of
// options (see audit_input.h).
[[nodiscard]] std::vector<Seed> AuditSeeds();

// Inputs of fuzz_duplicate_search: the entries of the seed shortcuts, twice
// over, then with their targets cut short (see entry_ops.h).
[[nodiscard]] std::vector<Seed> DuplicateSearchSeeds();

}  // namespace varnlink::fuzz
