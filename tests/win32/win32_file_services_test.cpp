#include "platform/win32/win32_file_services.h"

#include <gtest/gtest.h>

#include <system_error>

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
  const std::uint32_t got = Win32FileServices().FileAttributes(path);
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

TEST(Win32FileServices, ReportsAFolderWithTheFolderBit) {
  const ScratchFolder folder;
  const std::uint32_t bits = Win32FileServices().FileAttributes(folder.PathOf("."));
  EXPECT_NE(bits & kFolder, 0u);
}

TEST(Win32FileServices, FailsNamingTheMissingFileAndTheCause) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("missing.lnk");
  const Win32FileServices files;
  for (const auto& call : {+[](const Win32FileServices& f, const std::string& p) { (void)f.FileSize(p); },
                           +[](const Win32FileServices& f, const std::string& p) { (void)f.FileAttributes(p); },
                           +[](const Win32FileServices& f, const std::string& p) { (void)f.ReadFileStart(p, 10); }}) {
    try {
      call(files, path);
      ADD_FAILURE() << "no failure for " << path;
    } catch (const std::system_error& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(path), std::string::npos) << message;
      // Windows' own words for the cause follow the path and the action.
      EXPECT_GT(message.size(), path.size() + 25) << message;
      EXPECT_EQ(e.code().value(), ERROR_FILE_NOT_FOUND) << message;
    }
  }
  EXPECT_FALSE(files.TimesOf(path).has_value());
}

TEST(Win32FileServices, ReadsAtMostTheBytesAskedFor) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("data.lnk");
  std::string content(100000, 'x');  // more than one read chunk
  content[0] = 'L';
  content.back() = 'E';
  ASSERT_TRUE(MakeFile(path, content));
  const Win32FileServices files;
  EXPECT_EQ(files.FileSize(path), 100000u);
  const auto all = files.ReadFileStart(path, 100001);
  ASSERT_EQ(all.size(), 100000u);
  EXPECT_EQ(all.front(), 'L');
  EXPECT_EQ(all.back(), 'E');
  EXPECT_EQ(files.ReadFileStart(path, 3).size(), 3u);
  EXPECT_TRUE(files.ReadFileStart(path, 0).empty());
}

TEST(Win32FileServices, ReadsAnEmptyFileAsNoBytes) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("empty.lnk");
  ASSERT_TRUE(MakeFile(path, ""));
  EXPECT_TRUE(Win32FileServices().ReadFileStart(path, 100).empty());
  EXPECT_EQ(Win32FileServices().FileSize(path), 0u);
}

TEST(Win32FileServices, RefusesToReadAFolderNamingIt) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("looks like.lnk");
  ASSERT_TRUE(MakeFolder(path));
  try {
    (void)Win32FileServices().ReadFileStart(path, 10);
    ADD_FAILURE() << "a folder was read as a file";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(path + ": cannot open the file: it is a folder"),
              std::string::npos)
        << e.what();
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
  EXPECT_EQ(files.FileSize(path), 5u);
  EXPECT_NE(files.FileAttributes(path) & kArchive, 0u);
  EXPECT_EQ(files.ReadFileStart(path, 100).size(), 5u);
  EXPECT_TRUE(files.TimesOf(path).has_value());
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
  EXPECT_EQ(Win32FileServices().FileSize(path), 2u);
  EXPECT_EQ(Win32FileServices().ReadFileStart(path, 10).size(), 2u);
}

TEST(Win32FileServices, GivesEachTimeInItsOwnField) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("times.lnk");
  ASSERT_TRUE(MakeFile(path));
  const FILETIME created = Utc(1999, 2, 1, 9, 5, 3);
  const FILETIME accessed = Utc(1999, 6, 3, 12, 0, 0);
  const FILETIME written = Utc(1999, 4, 12, 10, 15, 42);
  ASSERT_TRUE(SetTimes(path, &created, &accessed, &written));
  const auto times = Win32FileServices().TimesOf(path);
  ASSERT_TRUE(times.has_value());
  // Whole days apart, so the zone cannot move one into another's day.
  EXPECT_EQ(times->accessed.month, 6);
  EXPECT_EQ(times->modified.month, 4);
  EXPECT_EQ(times->modified.minute, 15);
  EXPECT_EQ(times->modified.second, 42);
  if (times->created.month != 2 && RunningUnderWine()) {
    GTEST_SKIP() << "Wine keeps no creation time on a Unix file system";
  }
  EXPECT_EQ(times->created.month, 2);
  EXPECT_EQ(times->created.second, 3);
}

// The CI runs this with TZ=Etc/GMT-1 (one hour east of UTC, no summer time).
TEST(Win32FileServices, ShowsTimesInLocalTime) {
  TIME_ZONE_INFORMATION zone{};
  if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_UNKNOWN || zone.Bias != -60) {
    GTEST_SKIP() << "needs a zone one hour east of UTC without summer time (TZ=Etc/GMT-1)";
  }
  const ScratchFolder folder;
  const std::string path = folder.PathOf("late.lnk");
  ASSERT_TRUE(MakeFile(path));
  const FILETIME written = Utc(1999, 1, 31, 23, 30, 0);
  ASSERT_TRUE(SetTimes(path, nullptr, &written, &written));
  const auto times = Win32FileServices().TimesOf(path);
  ASSERT_TRUE(times.has_value());
  EXPECT_EQ(times->modified, (LocalTime{1999, 2, 1, 0, 30, 0}));
  EXPECT_EQ(times->accessed, (LocalTime{1999, 2, 1, 0, 30, 0}));
}

TEST(Win32FileServices, LeavesTheAccessTimeAsItWasWhenReading) {
  const ScratchFolder folder;
  const std::string path = folder.PathOf("quiet.lnk");
  ASSERT_TRUE(MakeFile(path, "some bytes"));
  const FILETIME old = Utc(2001, 3, 4, 12, 0, 0);
  ASSERT_TRUE(SetTimes(path, nullptr, &old, &old));
  const Win32FileServices files;
  (void)files.ReadFileStart(path, 100);
  (void)files.TimesOf(path);
  const auto times = files.TimesOf(path);
  ASSERT_TRUE(times.has_value());
  if (times->accessed.year != 2001 && RunningUnderWine()) {
    GTEST_SKIP() << "under Wine the Linux kernel updates the access time of every read";
  }
  EXPECT_EQ(times->accessed.year, 2001);
  EXPECT_EQ(times->accessed.month, 3);
  EXPECT_EQ(times->modified.year, 2001);
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
