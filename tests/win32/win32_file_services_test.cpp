#include "platform/win32/win32_file_services.h"

#include <gtest/gtest.h>


#include "platform/error.h"
#include "tests/support/scratch_folder.h"
#include "tests/win32/win32_test_files.h"

namespace varnlink::platform {
namespace {

using test_support::ScratchFolder;
using namespace varnlink::win32_test;

struct AttributeCase {
  const char* what;
  DWORD set;              // given to SetFileAttributesW
  std::uint32_t expected;  // as the audit sees it
};

class Win32Attributes : public testing::TestWithParam<AttributeCase> {};

TEST_P(Win32Attributes, AreReportedAsTheAuditBits) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("file.lnk");
  ASSERT_TRUE(MakeFile(path));
  ASSERT_TRUE(SetAttributes(path, GetParam().set)) << path;
  const std::uint32_t got = Win32FileServices().StatusOf(path).attributes;
  SetAttributes(path, FILE_ATTRIBUTE_NORMAL);  // so the folder can be removed
  if (GetParam().expected == 0 && got == kArchive && RunningUnderWine()) {
    GTEST_SKIP() << "Wine reports every file as archive; it cannot clear that bit";
  }
  EXPECT_EQ(got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bits, Win32Attributes,
    testing::Values(
        AttributeCase{"none", FILE_ATTRIBUTE_NORMAL, 0},
        AttributeCase{"archive", FILE_ATTRIBUTE_ARCHIVE, kArchive},
        AttributeCase{"read_only", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
                      kReadOnly | kArchive},
        AttributeCase{"hidden", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, kHidden | kArchive},
        AttributeCase{"system", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE, kSystem | kArchive},
        AttributeCase{"all_three", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                       FILE_ATTRIBUTE_ARCHIVE,
                      kReadOnly | kHidden | kArchive}),
    [](const auto& row) { return std::string(row.param.what); });

// The contract test covers a missing file; Windows says a missing folder on
// the way differently (ERROR_PATH_NOT_FOUND), and that is "not found" too.
TEST(Win32FileServices, SaysAFileInAMissingFolderDoesNotExist) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("gone\\x.lnk");
  const Win32FileServices files;
  for (const bool read : {false, true}) {
    try {
      if (read) {
        (void)files.ReadFileStart(path, 10);
      } else {
        (void)files.StatusOf(path);
      }
      ADD_FAILURE() << "no failure for " << path;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), path + ": cannot open the shortcut: it does not exist");
      EXPECT_TRUE(e.NotFound()) << e.what();
    }
  }
}

TEST(Win32FileServices, ReadsAReadOnlyFile) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("locked.lnk");
  ASSERT_TRUE(MakeFile(path, "abc"));
  ASSERT_TRUE(SetAttributes(path, FILE_ATTRIBUTE_READONLY));
  const auto bytes = Win32FileServices().ReadFileStart(path, 10);
  SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(bytes.size(), 3u);
}

// Names Windows allows but a narrow or trimmed path would lose.
class Win32FileNames : public testing::TestWithParam<const char*> {};

TEST_P(Win32FileNames, WorkInEveryCall) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf(GetParam());
  const RemovedAtEnd remove{path};
  ASSERT_TRUE(MakeFile(path, "12345")) << path;
  const Win32FileServices files;
  const FileStatus status = files.StatusOf(path);
  EXPECT_EQ(status.size, 5u);
  EXPECT_NE(status.attributes & kArchive, 0u);
  EXPECT_TRUE(status.times.has_value());
  EXPECT_EQ(files.ReadFileStart(path, 100).size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Names, Win32FileNames,
                         testing::Values("plain.lnk", "caf\xC3\xA9 \xC3\x9C.lnk",
                                         "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.lnk",
                                         "smile \xF0\x9F\x98\x80.lnk", "trailing dot.",
                                         "trailing blank ", "con.lnk"));

TEST(Win32FileServices, ReachesAFileBeyondMaxPath) {
  const ScratchFolder folder;
  std::string path = folder.PathOf("");
  while (path.size() < 300) {
    path += std::string(40, 'd') + "\\";
    ASSERT_TRUE(MakeFolder(path)) << path;
  }
  path += "deep.lnk";
  ASSERT_TRUE(MakeFile(path, "xy"));
  EXPECT_EQ(Win32FileServices().StatusOf(path).size, 2u);
  EXPECT_EQ(Win32FileServices().ReadFileStart(path, 10).size(), 2u);
}

FileTime Ticks(const FILETIME& time) {
  return {(static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime};
}

TEST(Win32FileServices, GivesEachTimeInItsOwnFieldAsAnInstant) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("times.lnk");
  ASSERT_TRUE(MakeFile(path));
  const FILETIME created = Utc(1999, 2, 1, 9, 5, 3);
  const FILETIME accessed = Utc(1999, 6, 3, 12, 0, 0);
  const FILETIME written = Utc(1999, 4, 12, 10, 15, 42);
  ASSERT_TRUE(SetTimes(path, &created, &accessed, &written));
  const auto times = Win32FileServices().StatusOf(path).times;
  ASSERT_TRUE(times.has_value());
  EXPECT_EQ(times->accessed, Ticks(accessed));
  EXPECT_EQ(times->modified, Ticks(written));
  if (times->created != Ticks(created) && RunningUnderWine()) {
    GTEST_SKIP() << "Wine keeps no creation time on a Unix file system";
  }
  EXPECT_EQ(times->created, Ticks(created));
}

// The CI runs this with TZ=Etc/GMT-1 (one hour east of UTC, no summer time).
TEST(Win32FileServices, ShowsTimesInLocalTime) {
  TIME_ZONE_INFORMATION zone{};
  if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_UNKNOWN || zone.Bias != -60) {
    GTEST_SKIP() << "needs a zone one hour east of UTC without summer time (TZ=Etc/GMT-1)";
  }
  EXPECT_EQ(Win32FileServices().LocalTimeOf(Ticks(Utc(1999, 1, 31, 23, 30, 0))),
            (LocalTime{1999, 2, 1, 0, 30, 0}));
}

TEST(Win32FileServices, LeavesTheAccessTimeAsItWasWhenReading) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("quiet.lnk");
  ASSERT_TRUE(MakeFile(path, "some bytes"));
  const FILETIME old = Utc(2001, 3, 4, 12, 0, 0);
  ASSERT_TRUE(SetTimes(path, nullptr, &old, &old));
  const Win32FileServices files;
  (void)files.StatusOf(path);
  (void)files.ReadFileStart(path, 100);
  const auto times = files.StatusOf(path).times;
  ASSERT_TRUE(times.has_value());
  if (times->accessed != Ticks(old) && RunningUnderWine()) {
    GTEST_SKIP() << "under Wine the Linux kernel updates the access time of every read";
  }
  EXPECT_EQ(times->accessed, Ticks(old));
  EXPECT_EQ(times->modified, Ticks(old));
}

TEST(Win32FileServices, TakesSingleByteTextInTheAnsiCodePage) {
  const Win32FileServices files;
  EXPECT_EQ(files.AnsiToUtf8(""), "");
  EXPECT_EQ(files.AnsiToUtf8("C:\\A.EXE"), "C:\\A.EXE");
  if (GetACP() != 1252) GTEST_SKIP() << "the checks below are for code page 1252";
  EXPECT_EQ(files.AnsiToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(files.AnsiToUtf8("\x80"), "\xE2\x82\xAC");  // the euro sign
  EXPECT_EQ(files.AnsiToUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Win32FileServices, UsesTheBackslash) { EXPECT_EQ(Win32FileServices().PathSeparator(), '\\'); }

}  // namespace
}  // namespace varnlink::platform
