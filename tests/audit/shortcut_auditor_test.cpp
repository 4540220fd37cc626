// One shortcut audited: the report entry's layout, the shortcut name, the
// target filter, file times and the read cap.

#include "audit/shortcut_auditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lnk/shortcut_decoder.h"
#include "platform/sha256.h"
#include "tests/support/audit_fixture.h"

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
    EXPECT_EQ(platform::ShortcutNameOf(c.path, c.separator), c.name) << c.path;
  }
}

using AuditOneShortcut = AuditTest;

TEST_F(AuditOneShortcut, AttributeLineShowsReadOnlyArchiveHidden) {
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
    AddLink("C:\\a.lnk", LocalLink("C:\\A.EXE")).attributes = c.attributes;
    EXPECT_EQ(LinesOf(Audit("C:\\a.lnk")).at(6), c.line) << c.attributes;
  }
}

TEST_F(AuditOneShortcut, TimesLineShowsLocalDatesAndTimes) {
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
    AddLink("C:\\a.lnk", LocalLink("C:\\A.EXE")).times =
        platform::FileTimes{TimeAt(c.created), TimeAt(c.accessed), TimeAt(c.modified)};
    EXPECT_EQ(LinesOf(Audit("C:\\a.lnk")).at(7), c.line);
  }
}

TEST_F(AuditOneShortcut, LengthKeyAndRunLineVariants) {
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
      {0, 7, "      SHORTCUT KEY:   (none)        RUN:   Minimised"},
      {0, 2, "      SHORTCUT KEY:   (none)    "},
      {0, 0x101, "      SHORTCUT KEY:   (none)        RUN:   Normal"},  // only byte 60 is read
  };
  for (const Case& c : cases) {
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

// The second entry's times are unreadable: zero values, not the first's.
TEST_F(AuditOneShortcut, EntriesFollowEachOtherDirectly) {
  AddLink("C:\\L\\a.lnk", LocalLink("C:\\A.EXE"));
  AddLink("C:\\L\\b.lnk", LocalLink("C:\\B.EXE")).times.reset();
  const std::string first = Audit("C:\\L\\a.lnk");
  EXPECT_TRUE(first.starts_with("SHORTCUT NAME:   a\r\nLOCATION:   C:\\L\\a.lnk\r\n"));
  EXPECT_TRUE(first.ends_with("   \r\n\r\n"));
  const std::string both = AuditPaths({"C:\\L\\a.lnk", "C:\\L\\b.lnk"});
  EXPECT_EQ(both.substr(0, first.size()), first);
  EXPECT_TRUE(both.substr(first.size()).starts_with("SHORTCUT NAME:   b\r\n"));
  const std::vector<std::string> lines = LinesOf(both);
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(
      lines[16],
      "CREATED:   00  0   00:00:00     MODIFIED:   00  0   00:00:00     ACCESSED:   00  0   ");
  EXPECT_EQ(count, 2u);
}

TEST_F(AuditOneShortcut, ControlCharactersInThePathShowAsQuestionMarks) {
  const std::string path = "C:\\L\\evil\r\nTARGET:   x\x01.lnk";
  AddLink(path, LocalLink("C:\\A.EXE"));
  const std::vector<std::string> lines = LinesOf(Audit(path));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "SHORTCUT NAME:   evil??TARGET:   x?");
  EXPECT_EQ(lines[1], "LOCATION:   C:\\L\\evil??TARGET:   x?.lnk");
  EXPECT_EQ(lines[2], "TARGET:   C:\\A.EXE");
}

constexpr auto kAll = audit::TargetFilter::kAll;
constexpr auto kExe = audit::TargetFilter::kExe;
constexpr auto kNonExe = audit::TargetFilter::kNonExe;

TEST_F(AuditOneShortcut, TargetFilterReportsOrLeavesNoTrace) {
  const struct {
    audit::TargetFilter filter;
    const char* target;
    const char* arguments;  // nullptr: none
    bool reported;
  } cases[] = {
      {kAll, "C:\\DOCS\\LETTER.TXT", nullptr, true},
      {kExe, "C:\\WINDOWS\\NOTEPAD.EXE", nullptr, true},
      {kExe, "c:\\windows\\notepad.exe", nullptr, true},
      {kExe, "C:\\DOCS\\LETTER.TXT", "C:\\X.EXE", false},  // arguments do not count
      {kExe, "C:\\TOOLS.EXE\\NOTES.TXT", nullptr, true},   // ".EXE" in a folder counts
      {kNonExe, "C:\\TOOLS.EXE\\NOTES.TXT", nullptr, false},
      {kNonExe, "C:\\A.EXEC", nullptr, false},
      {kNonExe, "C:\\DOCS\\LETTER.TXT", "/p.exe", true},
      {kExe, "", nullptr, false},
  };
  options.warn_duplicate_targets = options.warn_duplicate_arguments = true;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.target << " with filter " << static_cast<int>(c.filter));
    options.target_filter = c.filter;
    ShellLink link = LocalLink(c.target);
    if (c.arguments) link.arguments = c.arguments;
    AddLink("C:\\L\\s.lnk", link);
    Audit("C:\\L\\s.lnk");
    const std::string shown =
        std::string("TARGET:   ") + c.target + (c.arguments ? std::string(" ") + c.arguments : "");
    EXPECT_EQ(LineStartingWith(Report(), "TARGET:"), c.reported ? shown : "<none>");
    EXPECT_EQ(count, c.reported ? 1u : 0u);
    EXPECT_EQ(Report().empty(), !c.reported);
  }
}

TEST_F(AuditOneShortcut, AnExcludedShortcutTakesNoPartInTheDuplicateChecks) {
  options.target_filter = kNonExe;
  options.warn_duplicate_targets = true;
  AddLink("C:\\L\\tool.lnk", LocalLink("C:\\TOOLS.EXE\\NOTES.TXT"));  // left out
  AddLink("C:\\L\\later.lnk", LocalLink("C:\\TOOLS"));                // would begin its TARGET line
  AuditPaths({"C:\\L\\tool.lnk", "C:\\L\\later.lnk"});
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(Report().starts_with("SHORTCUT NAME:   later\r\n"));
  EXPECT_EQ(count, 1u);
}

// A shortcut kept inside another file: its bytes and location come from the
// source, and no file is read for it.
TEST_F(AuditOneShortcut, AShortcutFromAnotherSourceIsAuditedWithoutAFile) {
  class InMemory : public audit::ShortcutSource {
   public:
    explicit InMemory(test_support::Bytes bytes) : bytes_(std::move(bytes)) {}
    const std::string& Location() const override { return location_; }
    platform::FileFacts Facts() const override { return {location_, "7", 0, 0, {}, {}, {}, {}}; }
    std::span<const std::uint8_t> Bytes() override { return bytes_; }

   private:
    std::string location_ = "C:\\J\\1f.automaticDestinations-ms#7";
    test_support::Bytes bytes_;
  } source(BuildLink(LocalLink("C:\\A.EXE")));
  const auto entry = audit::ShortcutAuditor(files).Audit(source, kAll, lnk::Detail::kRecord);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->info.target, "C:\\A.EXE");
  EXPECT_EQ(entry->facts.path, source.Location());
  EXPECT_EQ(entry->sha256, platform::Sha256(source.Bytes()));
  EXPECT_TRUE(files.read_limits.empty());
}

TEST_F(AuditOneShortcut, ReadsAtMost16MiBAndShowsTheRealSize) {
  ShellLink link = LocalLink("C:\\BIG.EXE");
  link.working_dir = "C:\\";
  link.trailing = Filled(lnk::kMaxShortcutBytes, 'j');
  const Bytes bytes = BuildLink(link);
  AddFile("C:\\big.lnk", bytes);
  const std::string report = Audit("C:\\big.lnk");
  EXPECT_TRUE(LineStartingWith(report, "LENGTH:")
                  .starts_with("LENGTH:   " + std::to_string(bytes.size()) + " bytes    "));
  EXPECT_EQ(LineStartingWith(report, "TARGET:"), "TARGET:   C:\\BIG.EXE");
  EXPECT_EQ(LineStartingWith(report, "START IN:"), "START IN:   C:\\");
  ASSERT_FALSE(files.read_limits.empty());
  for (std::size_t limit : files.read_limits) EXPECT_LE(limit, lnk::kMaxShortcutBytes);
  // Its hash is of every byte, not only of those decoded.
  const auto entry = audit::ShortcutAuditor(files).Audit("C:\\big.lnk", kAll, lnk::Detail::kRecord);
  ASSERT_TRUE(entry && entry->sha256);
  EXPECT_EQ(*entry->sha256, platform::Sha256(bytes));

  // A size beyond 32 bits is shown as it is.
  AddLink("C:\\huge.lnk", LocalLink("C:\\H.EXE")).size = 5'000'000'000u;
  EXPECT_TRUE(LineStartingWith(Audit("C:\\huge.lnk"), "LENGTH:   5000000000 bytes    ")
                  .starts_with("LENGTH:   5000000000 bytes    "));
}

}  // namespace
}  // namespace varnlink::test_support
