// The shortcuts in examples/ are made by tests/support/make_examples.cpp; this
// test makes them again and insists that nothing has drifted.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "tests/support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

// Every regular file below `folder`, by its path relative to `folder`.
std::map<std::string, std::string> ContentsOf(const fs::path& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    contents[fs::relative(entry.path(), folder).generic_string()] =
        std::string(std::istreambuf_iterator<char>(in), {});
  }
  return contents;
}

TEST(Examples, MatchTheShortcutsTheLinkWriterMakesByteForByte) {
  varnlink::test_support::ScratchFolder scratch;
  const std::string command = std::string("'") + VARNLINK_MAKE_EXAMPLES + "' '" +
                              scratch.Path().string() + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;

  const auto made = ContentsOf(scratch.Path());
  const auto committed = ContentsOf(VARNLINK_EXAMPLES_DIR);
  ASSERT_FALSE(made.empty());
  for (const auto& [name, bytes] : made) {
    auto found = committed.find(name);
    ASSERT_NE(found, committed.end())
        << VARNLINK_EXAMPLES_DIR << ": " << name
        << " is missing; run varnlink-make-examples examples";
    EXPECT_EQ(found->second, bytes) << VARNLINK_EXAMPLES_DIR << "/" << name
                                    << " differs from what the link writer makes";
  }
  for (const auto& [name, bytes] : committed) {
    EXPECT_TRUE(made.contains(name)) << VARNLINK_EXAMPLES_DIR << "/" << name
                                     << " is not made by varnlink-make-examples";
  }
}

}  // namespace
