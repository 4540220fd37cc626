// Runs a fuzz target's entry function on saved inputs without libFuzzer, so
// the normal build's test run replays every regression input and the seeds:
//   <runner> <file or folder>...
// Each file is fed once; a folder's files in name order. A finding aborts.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/seed_shortcuts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// The seeds of the target this runner is built for.
std::vector<varnlink::fuzz::Seed> TargetSeeds();

namespace {

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path.string() + ": cannot open the input");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::size_t runs = 0;
    for (const auto& seed : TargetSeeds()) {
      LLVMFuzzerTestOneInput(seed.bytes.data(), seed.bytes.size());
      ++runs;
    }
    for (int i = 1; i < argc; ++i) {
      const std::filesystem::path arg = argv[i];
      std::vector<std::filesystem::path> files;
      if (std::filesystem::is_directory(arg)) {
        for (const auto& entry : std::filesystem::directory_iterator(arg)) {
          if (entry.is_regular_file()) files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
      } else {
        files.push_back(arg);
      }
      for (const auto& file : files) {
        std::fprintf(stderr, "running %s\n", file.string().c_str());
        const std::vector<std::uint8_t> bytes = ReadAll(file);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++runs;
      }
    }
    std::fprintf(stderr, "%zu inputs ran without a finding\n", runs);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "regression runner: %s\n", error.what());
    return 1;
  }
  return 0;
}
