// The compound file reader against an independent one: libolecf's
// olecfexport (Debian's libolecf-utils) exports every stream of each real
// automatic jump list, and the streams read here must be the same, by name,
// size and bytes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "lnk/compound_file.h"
#include "tests/support/corpus_folder.h"
#include "tests/support/scratch_folder.h"

namespace varnlink::test_support {
namespace {

TEST(CompoundFileOracle, StreamsMatchWhatLibolecfExports) {
  const std::filesystem::path dir = JumpListFolder();
  if (!std::filesystem::exists(dir / "files.jsonl")) {
    GTEST_SKIP() << "real jump lists not found at " << dir.string() << "; set VARNLINK_JUMPLIST_DIR";
  }
  if (std::system("olecfexport -V >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "olecfexport (Debian's libolecf-utils) is not installed";
  }
  std::ostringstream faults;
  int files = 0;
  for (const std::string& line : CorpusLines(dir / "files.jsonl")) {
    const auto row = nlohmann::json::parse(line);
    if (row["type"] != "automatic") continue;
    ++files;
    const std::filesystem::path file = dir / row["file"].get<std::string>();
    const ScratchFolder scratch;
    const std::filesystem::path target = scratch.Path() / "out";
    const std::string command = "olecfexport -t '" + target.string() + "' '" + file.string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
      faults << "\n" << file.string() << ": olecfexport failed";
      continue;
    }
    // olecfexport writes <target>.export/<stream>/StreamData.bin, leaving
    // out the file of an empty stream.
    std::map<std::string, std::vector<std::uint8_t>> oracle;
    const std::filesystem::path exported = target.string() + ".export";
    if (std::filesystem::exists(exported)) {
      for (const auto& item : std::filesystem::directory_iterator(exported)) {
        const auto data = item.path() / "StreamData.bin";
        oracle[item.path().filename().string()] =
            std::filesystem::exists(data) ? CorpusBytes(data) : std::vector<std::uint8_t>{};
      }
    }
    const auto bytes = CorpusBytes(file);
    std::map<std::string, std::vector<std::uint8_t>> ours;
    try {
      const auto cf = lnk::CompoundFile::Open(bytes);
      for (const auto& stream : cf.Streams()) cf.Read(stream, ours[stream.name]);
      if (cf.DirectoryFault()) faults << "\n" << file.string() << ": " << *cf.DirectoryFault();
    } catch (const lnk::CompoundFileError& error) {
      faults << "\n" << file.string() << ": " << error.what();
      continue;
    }
    for (const auto& [name, data] : oracle) {
      const auto hit = ours.find(name);
      if (hit == ours.end()) {
        faults << "\n" << file.string() << ": stream " << name << " missing";
      } else if (hit->second != data) {
        faults << "\n" << file.string() << ": stream " << name << " differs (" << hit->second.size()
               << " bytes read, " << data.size() << " exported)";
      }
    }
    for (const auto& [name, data] : ours) {
      if (!oracle.contains(name)) faults << "\n" << file.string() << ": stream " << name << " not exported";
    }
  }
  EXPECT_GT(files, 0);
  EXPECT_EQ(faults.str(), "");
}

}  // namespace
}  // namespace varnlink::test_support
