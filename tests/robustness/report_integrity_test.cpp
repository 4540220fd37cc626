// A shortcut's own texts (its name, path, target and strings) may hold what
// looks like report lines. They must never create, hide or redirect a
// duplicate marker: markers follow only the real TARGET and LOCATION lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/robustness/robustness_support.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/link_writer.h"

namespace varnlink::test_support {
namespace {

constexpr char kTargetMarker[] = "*** DUPLICATE TARGET IN SHORTCUT BELOW***";
constexpr char kArgsMarker[] = "*** DUPLICATE TARGET AND PARAMETER STRING IN SHORTCUT BELOW***";

struct Shortcut {
  std::string path;
  ShellLink link;
};

ShellLink To(const std::string& target, const std::string& arguments = "") {
  ShellLink link = LocalLink(target);
  if (!arguments.empty()) link.arguments = Text::Raw(BytesOf(arguments));
  return link;
}

// A genuine link whose working folder, arguments and icon location all hold `text`.
ShellLink Carrying(const std::string& target, const std::string& text) {
  ShellLink link = To(target, text);
  link.working_dir = Text::Raw(BytesOf(text));
  link.icon_location = Text::Raw(BytesOf(text));
  return link;
}

struct Row {
  const char* name;
  std::vector<Shortcut> shortcuts;   // audited in order; the last one is checked
  std::vector<std::string> markers;  // the marker lines above the last entry
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

const std::string kForged = "\r\nLOCATION:   C:\\forged.lnk\r\nTARGET:   C:\\A.EXE";

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = {
      {"TargetTextInArgumentsCreatesNoMarker",
       {{"/l/e.lnk", To("C:\\B.EXE", "TARGET:   C:\\A.EXE")}, {"/l/f.lnk", To("C:\\A.EXE")}},
       {}},
      {"ForgedLinesInStringsCreateNoMarker",
       {{"/l/e.lnk", Carrying("C:\\B.EXE", kForged)}, {"/l/f.lnk", To("C:\\A.EXE")}},
       {}},
      {"ForgedLinesInATargetCreateNoMarker",
       {{"/l/e.lnk", To("C:\\B.EXE" + kForged)}, {"/l/f.lnk", To("C:\\A.EXE")}},
       {}},
      {"TargetTextInTheFirstNameHidesNoMarker",
       {{"/l/TARGET:   C:\\A.EXE.lnk", To("C:\\B.EXE")},
        {"/l/d.lnk", To("C:\\A.EXE")},
        {"/l/f.lnk", To("C:\\A.EXE")}},
       {kTargetMarker, "(duplicate located at /l/d.lnk)"}},
      {"ForgedLinesBeforeTheRealDuplicateRedirectNoMarker",
       {{"/l/e.lnk", Carrying("C:\\B.EXE", kForged)},
        {"/l/d.lnk", To("C:\\A.EXE", "/p")},
        {"/l/f.lnk", To("C:\\A.EXE", "/p")}},
       {kTargetMarker, "(duplicate located at /l/d.lnk)", kArgsMarker,
        "(duplicate located at /l/d.lnk)"}},
      {"ForgedLinesInThePathOfTheDuplicateRedirectNoMarker",
       {{"/l/d\r\nLOCATION:   /forged.lnk", To("C:\\A.EXE")}, {"/l/f.lnk", To("C:\\A.EXE")}},
       {kTargetMarker, "(duplicate located at /l/d?\?LOCATION:   /forged.lnk)"}},
      {"ParameterTextInAnotherEntryCreatesNoSecondMarker",
       {{"/l/e.lnk", To("C:\\A.EXE", "x TARGET:   C:\\A.EXE /p")},
        {"/l/f.lnk", To("C:\\A.EXE", "/p")}},
       {kTargetMarker, "(duplicate located at /l/e.lnk)"}},
  };
  return rows;
}

// The lines between the previous entry's empty line and the last entry.
std::vector<std::string> MarkersAboveLastEntry(const std::string& report) {
  const std::size_t entry = report.rfind("SHORTCUT NAME:   ");
  const std::size_t previous_end = report.rfind("\r\n\r\n", entry);
  std::size_t at = previous_end == std::string::npos ? 0 : previous_end + 4;
  std::vector<std::string> lines;
  while (at < entry) {
    const std::size_t end = report.find("\r\n", at);
    lines.push_back(report.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

class ReportIntegrity : public ::testing::TestWithParam<Row> {};

TEST_P(ReportIntegrity, MarkersFollowOnlyTheReportsOwnLines) {
  FakeFileServices files;
  files.SetSeparator('/');  // so a name can hold "C:\..."
  RecordingMessageDialog messages;
  std::vector<std::string> paths;
  for (const Shortcut& shortcut : GetParam().shortcuts) {
    files.Add(shortcut.path, BuildLink(shortcut.link));
    paths.push_back(shortcut.path);
  }
  const SelectionAudit audit = AuditSelection(files, messages, paths);
  ASSERT_EQ(audit.error, "");
  const std::vector<std::string> markers = MarkersAboveLastEntry(audit.report);
  EXPECT_EQ(markers, GetParam().markers) << audit.report;
  EXPECT_EQ(messages.shown.size(), GetParam().markers.size() / 2) << "one message per marker";
}

INSTANTIATE_TEST_SUITE_P(Rows, ReportIntegrity, ::testing::ValuesIn(Rows()),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace varnlink::test_support
