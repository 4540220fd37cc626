// What every FileServices implementation promises its callers, run against
// the real one of this system and the fake the other tests use: sizes and
// modification times from the status, reads capped and exact, and failures
// that name the path and say what is wrong.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/error.h"
#include "platform/file_services.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/scratch_folder.h"

#ifdef _WIN32
#include "platform/win32/win32_file_services.h"
using RealFileServices = varnlink::platform::Win32FileServices;
#else
#include "platform/linux/linux_file_services.h"
using RealFileServices = varnlink::platform::LinuxFileServices;
#endif

namespace varnlink::platform {
namespace {

using test_support::Bytes;

// 2001-02-03 04:05:06 UTC, in seconds since 1970 and as a FILETIME.
constexpr std::int64_t kUnixSeconds = 981173106;
constexpr FileTime kFileTime{(static_cast<std::uint64_t>(kUnixSeconds) * kTicksPerSecond) +
                             kTicksTo1970};

// Files made where an implementation looks for them.
class Files {
 public:
  virtual ~Files() = default;
  [[nodiscard]] virtual const FileServices& Services() const = 0;
  // A file holding `bytes`, last written at kFileTime; its path.
  virtual std::string Add(const std::string& name, const Bytes& bytes) = 0;
  [[nodiscard]] virtual std::string Missing() const = 0;
  // A folder, where the implementation models folders; "" where not.
  virtual std::string Folder() = 0;
};

class RealFiles : public Files {
 public:
  const FileServices& Services() const override { return services_; }
  std::string Add(const std::string& name, const Bytes& bytes) override {
    const std::string path = scratch_.Write(name, bytes);
    const auto when = std::chrono::file_clock::from_sys(
        std::chrono::sys_seconds(std::chrono::seconds(kUnixSeconds)));
    std::filesystem::last_write_time(std::filesystem::path(std::u8string(path.begin(), path.end())),
                                     when);
    return path;
  }
  std::string Missing() const override { return scratch_.PathOf("missing.lnk"); }
  std::string Folder() override {
    std::filesystem::create_directory(scratch_.Path() / "folder.lnk");
    return scratch_.PathOf("folder.lnk");
  }

 private:
  test_support::ScratchFolder scratch_;
  RealFileServices services_;
};

class FakeFiles : public Files {
 public:
  const FileServices& Services() const override { return services_; }
  std::string Add(const std::string& name, const Bytes& bytes) override {
    const std::string path = "C:\\Links\\" + name;
    services_.Add(path, bytes).times = FileTimes{kFileTime, kFileTime, kFileTime};
    return path;
  }
  std::string Missing() const override { return "C:\\Links\\missing.lnk"; }
  std::string Folder() override { return ""; }

 private:
  test_support::FakeFileServices services_;
};

using Maker = std::unique_ptr<Files> (*)();

class FileServicesContract : public ::testing::TestWithParam<std::pair<const char*, Maker>> {
 protected:
  std::unique_ptr<Files> files_ = GetParam().second();
};

TEST_P(FileServicesContract, StatusGivesTheSizeAndTheModificationInstant) {
  const std::string path = files_->Add("a.lnk", Bytes(1234, 'x'));
  const FileStatus status = files_->Services().StatusOf(path);
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
  const std::string path = files_->Add("big.lnk", bytes);
  const FileServices& services = files_->Services();
  EXPECT_EQ(services.ReadFileStart(path, 1'000'000), bytes);
  EXPECT_EQ(services.ReadFileStart(path, 4096), Bytes(bytes.begin(), bytes.begin() + 4096));
  EXPECT_TRUE(services.ReadFileStart(files_->Add("empty.lnk", {}), 10).empty());
}

TEST_P(FileServicesContract, FailuresNameThePathAndSayWhatIsWrong) {
  const FileServices& services = files_->Services();
  const std::string missing = files_->Missing();
  const std::string does_not_exist = missing + ": cannot open the shortcut: it does not exist";
  for (const bool read : {false, true}) {
    try {
      if (read) {
        (void)services.ReadFileStart(missing, 100);
      } else {
        (void)services.StatusOf(missing);
      }
      ADD_FAILURE() << "no failure for " << missing;
    } catch (const std::exception& e) {
      EXPECT_EQ(e.what(), does_not_exist);
      EXPECT_TRUE(IsNotFound(e)) << e.what();
    }
  }
  const std::string folder = files_->Folder();
  if (folder.empty()) return;
  EXPECT_NE(services.StatusOf(folder).attributes & kFolder, 0u);
  try {
    (void)services.ReadFileStart(folder, 100);
    ADD_FAILURE() << "a folder was read";
  } catch (const std::exception& e) {
    EXPECT_EQ(e.what(), folder + ": cannot open the shortcut: it is a folder, not a regular file");
    EXPECT_FALSE(IsNotFound(e));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Implementations, FileServicesContract,
    ::testing::Values(std::pair<const char*, Maker>{"Real", []() -> std::unique_ptr<Files> {
                        return std::make_unique<RealFiles>();
                      }},
                      std::pair<const char*, Maker>{"Fake", []() -> std::unique_ptr<Files> {
                        return std::make_unique<FakeFiles>();
                      }}),
    [](const auto& row) { return std::string(row.param.first); });

}  // namespace
}  // namespace varnlink::platform
