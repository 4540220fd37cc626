#include "app/cli/command_line.h"

#include <gtest/gtest.h>

namespace varnlink::cli {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, ReadsOptionsFolderAndNamesInAnyOrder) {
  const auto parsed = CommandLine::Parse(
      {"--exe", "dir", "--warn-duplicates", "a.lnk", "--no-subfolders", "b.lnk",
       "--warn-duplicate-arguments"});
  ASSERT_TRUE(parsed.command) << parsed.error;
  const CommandLine& c = *parsed.command;
  EXPECT_EQ(c.folder, "dir");
  EXPECT_EQ(c.names, (Args{"a.lnk", "b.lnk"}));
  EXPECT_EQ(c.targets, CommandLine::Targets::kExe);
  EXPECT_FALSE(c.subfolders);
  EXPECT_TRUE(c.warn_duplicates && c.warn_duplicate_arguments);
}

TEST(CommandLine, TakesEverythingAfterTheDoubleDashAsFolderAndNames) {
  const auto parsed = CommandLine::Parse({"--", "--exe", "-odd.lnk"});
  ASSERT_TRUE(parsed.command) << parsed.error;
  EXPECT_EQ(parsed.command->folder, "--exe");
  EXPECT_EQ(parsed.command->names, (Args{"-odd.lnk"}));
  EXPECT_EQ(parsed.command->targets, CommandLine::Targets::kAll);
  EXPECT_TRUE(parsed.command->subfolders);
}

struct BadUsage {
  Args arguments;
  std::string error;
};

class CommandLineBadUsage : public ::testing::TestWithParam<BadUsage> {};

TEST_P(CommandLineBadUsage, IsRefusedWithTheReason) {
  const auto parsed = CommandLine::Parse(GetParam().arguments);
  EXPECT_FALSE(parsed.command);
  EXPECT_EQ(parsed.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineBadUsage,
    ::testing::Values(BadUsage{{}, "no FOLDER given"},
                      BadUsage{{"--exe"}, "no FOLDER given"},
                      BadUsage{{"--bogus", "dir"}, "unknown option --bogus"},
                      BadUsage{{"--exe", "--non-exe", "dir"}, "--exe and --non-exe exclude each other"},
                      BadUsage{{""}, "FOLDER is empty"},
                      BadUsage{{"dir", ""}, "a NAME is empty"}));

}  // namespace
}  // namespace varnlink::cli
