// The Linux file services beyond the contract every implementation keeps:
// design.md's attribute mapping, local times with the birth-time fallback,
// Windows-1252 text, and reading shortcuts read-only, without touching the
// access time and never blocking on a FIFO or a device.

#include "platform/linux/linux_file_services.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <future>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "tests/support/scratch_folder.h"

namespace varnlink::platform {

void PrintTo(const LocalTime& t, std::ostream* os) {
  *os << t.year << "-" << t.month << "-" << t.day << " " << t.hour << ":" << t.minute << ":"
      << t.second;
}

namespace {

using test_support::Bytes;
using test_support::ScratchFolder;

class LinuxFileServicesTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const Bytes& bytes = {'L', 0, 0, 0}) {
    return scratch.Write(name, bytes);
  }
  ScratchFolder scratch;
  LinuxFileServices files;
};

TEST_F(LinuxFileServicesTest, AttributesFollowTheDesignMappingAndOnlyRegularFilesAreRead) {
  const std::string plain = Write("plain.lnk");
  const std::string read_only = Write("read-only.lnk");
  ASSERT_EQ(::chmod(read_only.c_str(), 0444), 0);
  const std::string hidden = Write(".hidden.lnk");
  const std::string folder = scratch.PathOf("folder.lnk");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  const std::string hidden_folder = scratch.PathOf(".git");
  ASSERT_EQ(::mkdir(hidden_folder.c_str(), 0755), 0);
  const std::string fifo = scratch.PathOf("pipe.lnk");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string link_to_file = scratch.PathOf("link.lnk");
  ASSERT_EQ(::symlink(plain.c_str(), link_to_file.c_str()), 0);

  const struct {
    std::string path;
    std::uint32_t attributes;
    const char* refused_as;  // nullptr: read
  } cases[] = {
      {plain, kArchive, nullptr},
      {read_only, kArchive | kReadOnly, nullptr},
      {hidden, kArchive | kHidden, nullptr},
      {folder, kFolder, "a folder"},
      {hidden_folder, kFolder | kHidden, "a folder"},
      {fifo, kSystem, "a FIFO"},
      {link_to_file, kArchive, nullptr},  // a link to a file reads as the file
      {"/dev/zero", kSystem, "a device"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(files.StatusOf(c.path).attributes, c.attributes) << c.path;
    // A read of what is no regular file fails at once, never blocking.
    auto read = std::async(std::launch::async, [&] {
      try {
        return files.ReadFileStart(c.path, 100) == Bytes{'L', 0, 0, 0} ? std::string("read")
                                                                       : "read wrong bytes";
      } catch (const std::exception& e) {
        return std::string(e.what());
      }
    });
    if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      // Release a reader stuck in open() so the test can end, then fail.
      const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
      read.wait();
      if (fd >= 0) ::close(fd);
      FAIL() << "reading " << c.path << " blocked";
    }
    EXPECT_EQ(read.get(), c.refused_as ? c.path + ": cannot open the shortcut: it is " +
                                             c.refused_as + ", not a regular file"
                                       : "read");
  }
}

TEST_F(LinuxFileServicesTest, ReadsReadOnlyFilesWithoutChangingThem) {
  const Bytes bytes = {'L', 0, 0, 0, 1, 2, 3};
  const std::string path = Write("ro.lnk", bytes);
  // An access time older than the modification: a plain read would update it
  // (even under relatime), a read with O_NOATIME does not.
  const struct timespec times[2] = {{946684800, 0}, {978307200, 0}};  // 2000, 2001
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

  EXPECT_EQ(files.ReadFileStart(path, 100), bytes);

  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_atim.tv_sec, 946684800) << "the read changed the access time";
  EXPECT_EQ(st.st_mtim.tv_sec, 978307200);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

// Sets TZ for the life of the object.
class TimeZone {
 public:
  explicit TimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    Set(tz);
  }
  ~TimeZone() { Set(old_ ? old_->c_str() : nullptr); }
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;

 private:
  static void Set(const char* tz) {
    (void)(tz ? ::setenv("TZ", tz, 1) : ::unsetenv("TZ"));
    ::tzset();
  }
  std::optional<std::string> old_;
};

TEST_F(LinuxFileServicesTest, TimesAreLocalWithBirthTimeOrItsFallback) {
  const std::string path = Write("t.lnk");
  // Accessed 1999-06-03 12:00:00 UTC; written 1999-04-12 23:30:00 UTC.
  const struct timespec times[2] = {{928411200, 0}, {923959800, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

  const TimeZone one_hour_east("UTC-1");
  const std::optional<FileTimes> t = files.StatusOf(path).times;
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(files.LocalTimeOf(t->modified), (LocalTime{1999, 4, 13, 0, 30, 0}));  // the next day
  EXPECT_EQ(files.LocalTimeOf(t->accessed), (LocalTime{1999, 6, 3, 13, 0, 0}));

  struct statx sx {};
  ASSERT_EQ(::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx), 0);
  if (sx.stx_mask & STATX_BTIME) {
    EXPECT_GE(UtcFields(t->created).year, 2024) << "the birth time of a file made now";
  } else {
    // No birth time: the earlier of status change (now) and modification.
    EXPECT_EQ(t->created, t->modified);
  }
}

TEST_F(LinuxFileServicesTest, AnsiIsWindows1252AndSeparatorIsSlash) {
  const struct {
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {"C:\\A.EXE", "C:\\A.EXE"},
      {"\x80", "€"},
      {"\x81", "\xC2\x81"},
      {"\x9F", "Ÿ"},
      {"\xE9t\xE9", "été"},
      {"\xFF", "ÿ"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(files.AnsiDecoder().AnsiToUtf8(c.bytes), c.utf8);
  EXPECT_EQ(files.PathSeparator(), '/');
}

}  // namespace
}  // namespace varnlink::platform
