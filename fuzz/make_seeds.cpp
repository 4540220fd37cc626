// Writes the fuzz targets' starting inputs: make_seeds <folder> gives
// <folder>/fuzz_audit_shortcut/* and <folder>/fuzz_duplicate_search/*.

#include <cstdio>
#include <exception>
#include <filesystem>

#include "fuzz/seed_shortcuts.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <folder>\n");
    return 2;
  }
  try {
    const std::filesystem::path out = argv[1];
    const auto write = [&](const char* fuzz_target, const std::vector<varnlink::fuzz::Seed>& inputs) {
      std::filesystem::create_directories(out / fuzz_target);
      for (const auto& input : inputs) {
        varnlink::test_support::WriteFileBytes(out / fuzz_target / input.name, input.bytes);
      }
    };
    write("fuzz_audit_shortcut", varnlink::fuzz::AuditSeeds());
    write("fuzz_duplicate_search", varnlink::fuzz::DuplicateSearchSeeds());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_seeds: %s\n", error.what());
    return 1;
  }
  return 0;
}
