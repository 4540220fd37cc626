// AuditShortcut: the report entry's layout,
// the shortcut name, the target filter, the count, strict failures, file times
// and the read cap.

#include "auditor/module1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "auditor/shortcut_decoder.h"
#include "tests/auditor/audit_fixture.h"

namespace varnlink::test_support {
namespace {

using platform::LocalTime;

TEST(ShortcutName, IsTheLastComponentWithoutItsLastDot) {
  struct Case {
    const char* path;
    char separator;
    const char* name;
  };
  const std::vector<Case> cases = {
      {"C:\\A\\Notepad.lnk", '\\', "Notepad"},
      {"C:\\A\\My.Old.App.lnk", '\\', "My.Old.App"},  // only the extension goes
      {"C:\\A\\Notepad", '\\', "Notepad"},            // no "." keeps the whole component
      {"C:\\A\\", '\\', ""},                          // ends in the separator
      {"C:\\A.B\\x", '\\', "x"},                      // a "." in a folder does not count
      {"C:\\A\\.lnk", '\\', ""},
      {"Notepad.lnk", '\\', "Notepad"},
      {"/home/u/a.b.lnk", '/', "a.b"},
      {"/home/u/dir.d/readme", '/', "readme"},
      {"/home/u\\a.lnk", '/', "u\\a"},  // only the platform's separator separates
  };
  for (const Case& c : cases) {
    EXPECT_EQ(auditor::ShortcutNameOf(c.path, c.separator), c.name) << c.path;
  }
}

using AuditShortcut = AuditTest;

TEST_F(AuditShortcut, AttributeLineShowsReadOnlyArchiveHidden) {
  struct Case {
    std::uint32_t attributes;
    const char* line;
  };
  const std::vector<Case> cases = {
      {0, "READ ONLY:   False       ARCHIVE:   False       HIDDEN:   False "},
      {1 | 2 | 32, "READ ONLY:   True       ARCHIVE:   True       HIDDEN:   True "},
      {1, "READ ONLY:   True       ARCHIVE:   False       HIDDEN:   False "},
      {2, "READ ONLY:   False       ARCHIVE:   False       HIDDEN:   True "},
      {4 | 16 | 128, "READ ONLY:   False       ARCHIVE:   False       HIDDEN:   False "},
  };
  for (const Case& c : cases) {
    window.report.Clear();
    AddLink("C:\\a.lnk", LocalLink("C:\\A.EXE")).attributes = c.attributes;
    EXPECT_EQ(LinesOf(Audit("C:\\a.lnk")).at(6), c.line) << c.attributes;
  }
}

TEST_F(AuditShortcut, TimesLineShowsLocalDatesAndTimes) {
  struct Case {
    LocalTime created, accessed, modified;
    const char* line;
  };
  const std::vector<Case> cases = {
      {{1999, 2, 1, 9, 5, 3},
       {2024, 12, 31, 23, 59, 59},
       {2000, 1, 9, 0, 0, 0},
       "CREATED:   01 February 1999   09:05:03     MODIFIED:   09 January 2000   00:00:00"
       "     ACCESSED:   31 December 2024   "},
      {{1601, 1, 1, 0, 0, 0},
       {30827, 12, 31, 23, 59, 59},
       {2038, 1, 19, 3, 14, 8},
       "CREATED:   01 January 1601   00:00:00     MODIFIED:   19 January 2038   03:14:08"
       "     ACCESSED:   31 December 30827   "},
  };
  for (const Case& c : cases) {
    window.report.Clear();
    AddLink("C:\\a.lnk", LocalLink("C:\\A.EXE")).times =
        platform::FileTimes{c.created, c.accessed, c.modified};
    EXPECT_EQ(LinesOf(Audit("C:\\a.lnk")).at(7), c.line);
  }
}

TEST_F(AuditShortcut, UnreadableTimesShowZeroValuesNotAnotherShortcutsTimes) {
  AddLink("C:\\first.lnk", LocalLink("C:\\A.EXE"));  // readable times (2001)
  AddLink("C:\\second.lnk", LocalLink("C:\\B.EXE")).times.reset();
  Audit("C:\\first.lnk");
  const std::vector<std::string> lines = LinesOf(Audit("C:\\second.lnk"));
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(
      lines[16],
      "CREATED:   00  0   00:00:00     MODIFIED:   00  0   00:00:00     ACCESSED:   00  0   ");
}

TEST_F(AuditShortcut, LengthKeyAndRunLineVariants) {
  struct Case {
    std::uint8_t key;
    std::uint32_t show;
    const char* tail;  // line 6 after "LENGTH:   <n> bytes    "
  };
  const std::vector<Case> cases = {
      {0, 1, "      SHORTCUT KEY:   (none)        RUN:   Normal"},
      {'K', 3, "      SHORTCUT KEY:   Ctrl + Alt + K      RUN:   Maximised"},
      {'K', 0, "      SHORTCUT KEY:   Ctrl + Alt + K  "},  // empty RunText: two joining blanks
      {0, 5, "      SHORTCUT KEY:   (none)    "},          // (none) and four blanks
  };
  for (const Case& c : cases) {
    window.report.Clear();
    ShellLink link = LocalLink("C:\\A.EXE");
    link.hot_key = c.key;
    link.hot_key_modifiers = 6;
    link.show_command = c.show;
    const Bytes bytes = BuildLink(link);
    AddFile("C:\\a.lnk", bytes);
    EXPECT_EQ(LinesOf(Audit("C:\\a.lnk")).at(5),
              "LENGTH:   " + std::to_string(bytes.size()) + " bytes    " + c.tail);
  }
}

TEST_F(AuditShortcut, EntriesFollowEachOtherDirectly) {
  AddLink("C:\\L\\a.lnk", LocalLink("C:\\A.EXE"));
  AddLink("C:\\L\\b.lnk", LocalLink("C:\\B.EXE"));
  const std::string first = Audit("C:\\L\\a.lnk");
  EXPECT_TRUE(first.starts_with("SHORTCUT NAME:   a\r\nLOCATION:   C:\\L\\a.lnk\r\n"));
  EXPECT_TRUE(first.ends_with("   \r\n\r\n"));
  const std::string both = Audit("C:\\L\\b.lnk");
  EXPECT_EQ(both.substr(0, first.size()), first);
  EXPECT_TRUE(both.substr(first.size()).starts_with("SHORTCUT NAME:   b\r\n"));
  EXPECT_EQ(LinesOf(both).size(), 18u);
  EXPECT_EQ(module.ShortcutCount, 2);
}

TEST_F(AuditShortcut, ControlCharactersInThePathShowAsQuestionMarks) {
  const std::string path = "C:\\L\\evil\r\nTARGET:   x\x01.lnk";
  AddLink(path, LocalLink("C:\\A.EXE"));
  const std::vector<std::string> lines = LinesOf(Audit(path));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "SHORTCUT NAME:   evil??TARGET:   x?");
  EXPECT_EQ(lines[1], "LOCATION:   C:\\L\\evil??TARGET:   x?.lnk");
  EXPECT_EQ(lines[2], "TARGET:   C:\\A.EXE");
}

struct FilterCase {
  const char* name;
  bool option2;  // ".EXE Targets "
  bool option3;  // "Non .EXE Targets"
  const char* target;
  const char* arguments;  // nullptr: none
  bool reported;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

class TargetFilter : public AuditTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(TargetFilter, ReportsOrLeavesNoTrace) {
  const FilterCase& c = GetParam();
  window.option2 = c.option2;
  window.option3 = c.option3;
  window.check2 = 1;
  window.check3 = 1;
  ShellLink link = LocalLink(c.target);
  if (c.arguments) link.arguments = c.arguments;
  AddLink("C:\\L\\s.lnk", link);
  Audit("C:\\L\\s.lnk");
  if (c.reported) {
    EXPECT_EQ(
        LineStartingWith(Report(), "TARGET:"),
        std::string("TARGET:   ") + c.target + (c.arguments ? std::string(" ") + c.arguments : ""));
    EXPECT_EQ(module.ShortcutCount, 1);
  } else {
    EXPECT_EQ(Report(), "");
    EXPECT_EQ(module.ShortcutCount, 0);
    EXPECT_EQ(window.check_reads, 0) << "an excluded shortcut takes no duplicate check";
    // A later shortcut with the same target is no duplicate of it.
    window.option2 = window.option3 = false;
    AddLink("C:\\L\\t.lnk", link);
    Audit("C:\\L\\t.lnk");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(Report().starts_with("SHORTCUT NAME:   t\r\n"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    AuditShortcut, TargetFilter,
    ::testing::Values(
        FilterCase{"AllTargetsReportsNonExe", false, false, "C:\\DOCS\\LETTER.TXT", nullptr, true},
        FilterCase{"ExeUpperCaseReported", true, false, "C:\\WINDOWS\\NOTEPAD.EXE", nullptr, true},
        FilterCase{"ExeLowerCaseReported", true, false, "c:\\windows\\notepad.exe", nullptr, true},
        FilterCase{"ExeOnlyExcludesTxtEvenWithExeArguments", true, false, "C:\\DOCS\\LETTER.TXT",
                   "C:\\X.EXE", false},
        FilterCase{"ExeInFolderNameCountsForExe", true, false, "C:\\TOOLS.EXE\\NOTES.TXT", nullptr,
                   true},
        FilterCase{"NonExeExcludesExeInFolderName", false, true, "C:\\TOOLS.EXE\\NOTES.TXT",
                   nullptr, false},
        FilterCase{"NonExeExcludesLongerExtension", false, true, "C:\\A.EXEC", nullptr, false},
        FilterCase{"NonExeReportsTxt", false, true, "C:\\DOCS\\LETTER.TXT", "/p.exe", true},
        FilterCase{"ExeOnlyExcludesEmptyTarget", true, false, "", nullptr, false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(AuditShortcut, CountSaturatesAt32767AndStillReports) {
  AddLink("C:\\a.lnk", LocalLink("C:\\A.EXE"));
  module.ShortcutCount = 32766;
  Audit("C:\\a.lnk");
  EXPECT_EQ(module.ShortcutCount, 32767);
  Audit("C:\\a.lnk");
  EXPECT_EQ(module.ShortcutCount, 32767);
  EXPECT_EQ(LinesOf(Report()).size(), 18u);
}

TEST_F(AuditShortcut, StrictFailuresNameThePathAndLeaveNoTrace) {
  AddLink("C:\\L\\ok.lnk", LocalLink("C:\\A.EXE"));
  Audit("C:\\L\\ok.lnk");
  const std::string before = Report();
  AddFile("C:\\L\\short.lnk", Bytes(19, 'x'));
  AddLink("C:\\L\\locked.lnk", LocalLink("C:\\B.EXE")).unreadable = true;
  for (const char* path : {"C:\\L\\missing.lnk", "C:\\L\\short.lnk", "C:\\L\\locked.lnk"}) {
    try {
      Audit(path);
      ADD_FAILURE() << path << " was audited";
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_EQ(Report(), before);
    EXPECT_EQ(module.ShortcutCount, 1);
  }
}

TEST_F(AuditShortcut, ReadsAtMost16MiBAndShowsTheRealSize) {
  ShellLink link = LocalLink("C:\\BIG.EXE");
  link.working_dir = "C:\\";
  link.trailing = Filled(auditor::kMaxShortcutBytes, 'j');
  const Bytes bytes = BuildLink(link);
  AddFile("C:\\big.lnk", bytes);
  const std::string report = Audit("C:\\big.lnk");
  EXPECT_TRUE(LineStartingWith(report, "LENGTH:")
                  .starts_with("LENGTH:   " + std::to_string(bytes.size()) + " bytes    "));
  EXPECT_EQ(LineStartingWith(report, "TARGET:"), "TARGET:   C:\\BIG.EXE");
  EXPECT_EQ(LineStartingWith(report, "START IN:"), "START IN:   C:\\");
  ASSERT_FALSE(files.read_limits.empty());
  for (std::size_t limit : files.read_limits) EXPECT_LE(limit, auditor::kMaxShortcutBytes);

  // A size beyond 32 bits is shown as it is.
  window.report.Clear();
  AddLink("C:\\huge.lnk", LocalLink("C:\\H.EXE")).size = 5'000'000'000u;
  EXPECT_TRUE(LineStartingWith(Audit("C:\\huge.lnk"), "LENGTH:   5000000000 bytes    ")
                  .starts_with("LENGTH:   5000000000 bytes    "));
}

}  // namespace
}  // namespace varnlink::test_support
