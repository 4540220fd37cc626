// What every FileServices implementation promises its callers, run against
// the real one of this system and the fake the other tests use: sizes and
// modification times from the status, reads capped and exact, and failures
// that name the path and say what is wrong.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/error.h"
#include "platform/file_services.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/real_file_services.h"
#include "tests/support/scratch_folder.h"


namespace varnlink::platform {
namespace {

using test_support::Bytes;

// 2001-02-03 04:05:06 UTC, in seconds since 1970 and as a FILETIME.
constexpr std::int64_t kUnixSeconds = 981173106;
constexpr FileTime kFileTime{(static_cast<std::uint64_t>(kUnixSeconds) * kTicksPerSecond) +
                             kTicksTo1970};

// Run against this system's own services (true) and the fake (false), with
// files made where each looks for them.
class FileServicesContract : public ::testing::TestWithParam<bool> {
 protected:
  [[nodiscard]] const FileServices& Services() const {
    if (GetParam()) return real_;
    return fake_;
  }
  // A file holding `bytes`, last written at kFileTime; its path.
  std::string Add(const std::string& name, const Bytes& bytes) {
    if (!GetParam()) {
      const std::string path = "C:\\Links\\" + name;
      fake_.Add(path, bytes).times = FileTimes{kFileTime, kFileTime, kFileTime};
      return path;
    }
    const std::string path = scratch_.Write(name, bytes);
    std::filesystem::last_write_time(std::filesystem::path(std::u8string(path.begin(), path.end())),
                                     std::chrono::file_clock::from_sys(std::chrono::sys_seconds(
                                         std::chrono::seconds(kUnixSeconds))));
    return path;
  }
  [[nodiscard]] std::string Missing() const {
    return GetParam() ? scratch_.PathOf("missing.lnk") : "C:\\Links\\missing.lnk";
  }

  test_support::ScratchFolder scratch_;
  test_support::RealFileServices real_;
  test_support::FakeFileServices fake_;
};

TEST_P(FileServicesContract, StatusGivesTheSizeAndTheModificationInstant) {
  const std::string path = Add("a.lnk", Bytes(1234, 'x'));
  const FileStatus status = Services().StatusOf(path);
  EXPECT_EQ(status.size, 1234u);
  EXPECT_NE(status.attributes & kArchive, 0u);
  EXPECT_EQ(status.attributes & kFolder, 0u);
  ASSERT_TRUE(status.times.has_value());
  EXPECT_EQ(status.times->modified, kFileTime);
  EXPECT_EQ(IsoUtcText(status.times->modified), "2001-02-03T04:05:06Z");
}

TEST_P(FileServicesContract, ReadsAreCappedAndExact) {
  Bytes bytes(100'000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  const std::string path = Add("big.lnk", bytes);
  const FileServices& services = Services();
  EXPECT_EQ(services.ReadFileStart(path, 1'000'000), bytes);
  EXPECT_EQ(services.ReadFileStart(path, 4096), Bytes(bytes.begin(), bytes.begin() + 4096));
  EXPECT_TRUE(services.ReadFileStart(Add("empty.lnk", {}), 10).empty());
}

TEST_P(FileServicesContract, HashesTheWholeFileHoweverLarge) {
  // Past the real services' 1 MiB pieces, and not a whole number of them.
  Bytes bytes(2'500'007);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
  const FileServices& services = Services();
  EXPECT_EQ(services.Sha256OfFile(Add("big.lnk", bytes)), Sha256(bytes));
  EXPECT_EQ(HexOf(services.Sha256OfFile(Add("empty.lnk", {}))),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST_P(FileServicesContract, FailuresNameThePathAndSayWhatIsWrong) {
  const FileServices& services = Services();
  const std::string missing = Missing();
  const std::string does_not_exist = missing + ": cannot open the shortcut: it does not exist";
  for (const int operation : {0, 1, 2}) {
    try {
      if (operation == 0) (void)services.StatusOf(missing);
      if (operation == 1) (void)services.ReadFileStart(missing, 100);
      if (operation == 2) (void)services.Sha256OfFile(missing);
      ADD_FAILURE() << "no failure for " << missing;
    } catch (const std::exception& e) {
      EXPECT_EQ(e.what(), does_not_exist);
      EXPECT_TRUE(IsNotFound(e)) << e.what();
    }
  }
  if (!GetParam()) return;  // the fake has no folders
  std::filesystem::create_directory(scratch_.Path() / "folder.lnk");
  const std::string folder = scratch_.PathOf("folder.lnk");
  EXPECT_NE(services.StatusOf(folder).attributes & kFolder, 0u);
  for (const bool hash : {false, true}) {
    try {
      if (hash) {
        (void)services.Sha256OfFile(folder);
      } else {
        (void)services.ReadFileStart(folder, 100);
      }
      ADD_FAILURE() << "a folder was read";
    } catch (const std::exception& e) {
      EXPECT_EQ(e.what(), folder + ": cannot open the shortcut: it is a folder, not a regular file");
      EXPECT_FALSE(IsNotFound(e));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Implementations, FileServicesContract, ::testing::Bool(),
                         [](const auto& row) { return row.param ? "Real" : "Fake"; });

}  // namespace
}  // namespace varnlink::platform
