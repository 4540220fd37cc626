#include "platform/win32/win32_file_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "tests/support/scratch_folder.h"
#include "tests/win32/win32_test_files.h"

namespace varnlink::platform {
namespace {

using test_support::ScratchFolder;
using namespace varnlink::win32_test;

FileTime Ticks(const FILETIME& time) {
  return {(static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime};
}

// Each attribute as the audit's bit, alone and together; a read-only, hidden
// or system file is still read.
TEST(Win32FileServices, ReportsEachAttributeAndReadsTheFileWhateverItsAttributes) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("file.lnk");
  ASSERT_TRUE(MakeFile(path, "abc"));
  const Win32FileServices files;
  struct Row {
    DWORD set;               // given to SetFileAttributesW
    std::uint32_t expected;  // as the audit sees it
  };
  constexpr DWORD kArchived = FILE_ATTRIBUTE_ARCHIVE;
  for (const Row& row :
       {Row{FILE_ATTRIBUTE_NORMAL, 0}, Row{kArchived, kArchive},
        Row{FILE_ATTRIBUTE_READONLY | kArchived, kReadOnly | kArchive},
        Row{FILE_ATTRIBUTE_HIDDEN | kArchived, kHidden | kArchive},
        Row{FILE_ATTRIBUTE_SYSTEM | kArchived, kSystem | kArchive},
        Row{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kArchived,
            kReadOnly | kHidden | kSystem | kArchive}}) {
    ASSERT_TRUE(SetAttributes(path, row.set)) << path;
    const std::uint32_t got = files.StatusOf(path).attributes;
    EXPECT_EQ(files.ReadFileStart(path, 10).size(), 3u) << row.set;
    // Wine reports every file as archive; it cannot clear that bit.
    if (row.expected != 0 || got != kArchive || !RunningUnderWine()) {
      EXPECT_EQ(got, row.expected) << row.set;
    }
  }
  SetAttributes(path, FILE_ATTRIBUTE_NORMAL);  // so the folder can be removed
}

// The contract test covers a missing file; Windows says a missing folder on
// the way differently (ERROR_PATH_NOT_FOUND), and that is "not found" too.
TEST(Win32FileServices, SaysAFileInAMissingFolderDoesNotExist) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("gone\\x.lnk");
  const Win32FileServices files;
  for (const bool read : {false, true}) {
    try {
      read ? (void)files.ReadFileStart(path, 10) : (void)files.StatusOf(path);
      ADD_FAILURE() << "no failure for " << path;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), path + ": cannot open the shortcut: it does not exist");
      EXPECT_TRUE(e.NotFound()) << e.what();
    }
  }
}

// Names Windows allows but a narrow or trimmed path would lose, and a path
// beyond MAX_PATH.
TEST(Win32FileServices, ReachesEveryNameWindowsAllows) {
  const ScratchFolder folder;
  std::string deep;
  while (folder.PathOf(deep).size() < 300) {
    deep += std::string(40, 'd') + "\\";
    ASSERT_TRUE(MakeFolder(folder.PathOf(deep))) << deep;
  }
  const Win32FileServices files;
  for (const std::string& name : std::vector<std::string>{
           "plain.lnk", "caf\xC3\xA9 \xC3\x9C.lnk", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.lnk",
           "smile \xF0\x9F\x98\x80.lnk", "trailing dot.", "trailing blank ", "con.lnk",
           deep + "deep.lnk"}) {
    const std::string path = folder.PathOf(name);
    const RemovedAtEnd remove{path};
    ASSERT_TRUE(MakeFile(path, "12345")) << path;
    const FileStatus status = files.StatusOf(path);
    EXPECT_EQ(status.size, 5u) << path;
    EXPECT_NE(status.attributes & kArchive, 0u) << path;
    EXPECT_TRUE(status.times.has_value()) << path;
    EXPECT_EQ(files.ReadFileStart(path, 100).size(), 5u) << path;
  }
}

// Each time in its own field as an instant; reading the file changes none.
TEST(Win32FileServices, GivesEachTimeInItsOwnFieldAndLeavesThemAsTheyWere) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("times.lnk");
  ASSERT_TRUE(MakeFile(path));
  const FILETIME created = Utc(1999, 2, 1, 9, 5, 3);
  const FILETIME accessed = Utc(1999, 6, 3, 12, 0, 0);
  const FILETIME written = Utc(1999, 4, 12, 10, 15, 42);
  ASSERT_TRUE(SetTimes(path, &created, &accessed, &written));
  const Win32FileServices files;
  const auto times = files.StatusOf(path).times;
  ASSERT_TRUE(times.has_value());
  EXPECT_EQ(times->accessed, Ticks(accessed));
  EXPECT_EQ(times->modified, Ticks(written));
  (void)files.ReadFileStart(path, 100);
  const auto after = files.StatusOf(path).times;
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(after->modified, Ticks(written));
  if (RunningUnderWine() &&
      (times->created != Ticks(created) || after->accessed != Ticks(accessed))) {
    GTEST_SKIP() << "Wine keeps no creation time on a Unix file system, and there the Linux "
                    "kernel updates the access time of every read";
  }
  EXPECT_EQ(times->created, Ticks(created));
  EXPECT_EQ(after->accessed, Ticks(accessed));
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

TEST(Win32FileServices, TakesSingleByteTextInTheAnsiCodePage) {
  const Win32FileServices files;
  EXPECT_EQ(files.AnsiDecoder().AnsiToUtf8(""), "");
  EXPECT_EQ(files.AnsiDecoder().AnsiToUtf8("C:\\A.EXE"), "C:\\A.EXE");
  if (GetACP() != 1252) GTEST_SKIP() << "the checks below are for code page 1252";
  EXPECT_EQ(files.AnsiDecoder().AnsiToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(files.AnsiDecoder().AnsiToUtf8("\x80"), "\xE2\x82\xAC");  // the euro sign
  EXPECT_EQ(files.AnsiDecoder().AnsiToUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace varnlink::platform
