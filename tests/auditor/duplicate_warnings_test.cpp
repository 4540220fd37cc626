// Duplicate warnings: message boxes and marker lines, prefix matches at the
// start of an earlier TARGET line, the earlier path
// taken from the nearest LOCATION line, and empty targets left out.

#include "auditor/duplicate_warnings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/auditor/audit_fixture.h"

namespace varnlink::test_support {
namespace {

struct Shortcut {
  std::string path;
  std::string target;
  std::optional<std::string> arguments;
};

struct DuplicateCase {
  std::string name;
  int check2;
  int check3;
  std::vector<Shortcut> shortcuts;  // audited in this order
  std::vector<std::string> messages;
  // The report reduced to "entry <path>" for each entry and the marker lines as they are.
  std::vector<std::string> skeleton;
};

void PrintTo(const DuplicateCase& c, std::ostream* os) { *os << c.name; }

class DuplicateWarnings : public AuditTest, public ::testing::WithParamInterface<DuplicateCase> {
 protected:
  std::vector<std::string> Skeleton() {
    std::vector<std::string> out;
    for (const std::string& line : LinesOf(Report())) {
      if (line.starts_with("LOCATION:   ")) out.push_back("entry " + line.substr(12));
      if (line.starts_with("***") || line.starts_with("(duplicate")) out.push_back(line);
    }
    return out;
  }
};

TEST_P(DuplicateWarnings, WarnAndMarkTheLaterShortcut) {
  const DuplicateCase& c = GetParam();
  window.check2 = c.check2;
  window.check3 = c.check3;
  for (const Shortcut& s : c.shortcuts) {
    ShellLink link = LocalLink(s.target);
    if (s.arguments) link.arguments = *s.arguments;
    AddLink(s.path, link);
    Audit(s.path);
  }
  EXPECT_EQ(messages.shown, c.messages);
  EXPECT_EQ(Skeleton(), c.skeleton);
  EXPECT_EQ(module.ShortcutCount, static_cast<int>(c.shortcuts.size()));
}

const std::string kTarget = "*** DUPLICATE TARGET IN SHORTCUT BELOW***";
const std::string kTargetArgs = "*** DUPLICATE TARGET AND PARAMETER STRING IN SHORTCUT BELOW***";
std::string At(const std::string& path) { return "(duplicate located at " + path + ")"; }
std::string Entry(const std::string& path) { return "entry " + path; }

std::vector<DuplicateCase> Cases() {
  const std::string a = "C:\\L\\A.lnk", b = "C:\\L\\B.lnk", c = "C:\\L\\C.lnk";
  const std::string np = "C:\\WINDOWS\\NOTEPAD.EXE";
  const std::string box_b = "Duplicate Target in Shortcut B at " + b;
  const std::string box_b_args = "Duplicate Target and Parameter String in Shortcut B at " + b;
  const std::string la = "C:\\LOCATIONS\\A.lnk", lb = "C:\\L\\LOCATION.lnk",
                    lc = "C:\\L\\X\\LOCATION";
  const std::string ta = "C:\\TARGET:   C:\\X.EXE\\A.lnk";
  // clang-format off
  return {
      // name, Check2, Check3, shortcuts, message boxes, report skeleton
      {"SameTargetCheck2", 1, 0, {{a, np, {}}, {b, np, {}}},
       {box_b}, {Entry(a), kTarget, At(a), Entry(b)}},
      {"SameTargetAndArgumentsBothChecks", 1, 1, {{a, np, "x.txt"}, {b, np, "x.txt"}},
       {box_b, box_b_args}, {Entry(a), kTarget, At(a), kTargetArgs, At(a), Entry(b)}},
      {"SameTargetAndArgumentsCheck3Only", 0, 1, {{a, np, "x.txt"}, {b, np, "x.txt"}},
       {box_b_args}, {Entry(a), kTargetArgs, At(a), Entry(b)}},
      {"DifferentArgumentsOnlyTarget", 1, 1, {{a, np, "x.txt"}, {b, np, "y.txt"}},
       {box_b}, {Entry(a), kTarget, At(a), Entry(b)}},
      {"EarlierArgumentsBeginWithCurrentOnes", 1, 1, {{a, np, "x.txt more"}, {b, np, "x.txt"}},
       {box_b, box_b_args}, {Entry(a), kTarget, At(a), kTargetArgs, At(a), Entry(b)}},
      {"NoArgumentsNoSecondCheck", 0, 1, {{a, np, "x"}, {b, np, {}}},
       {}, {Entry(a), Entry(b)}},
      {"LetterCaseDiffers", 1, 1, {{a, np, {}}, {b, "C:\\Windows\\notepad.exe", {}}},
       {}, {Entry(a), Entry(b)}},
      {"LaterPrefixOfEarlierTargetMatches", 1, 0, {{a, "C:\\TOOLS\\EDIT.EXE", {}}, {b, "C:\\TOOLS\\EDIT", {}}},
       {box_b}, {Entry(a), kTarget, At(a), Entry(b)}},
      {"LaterLongerTargetDoesNotMatch", 1, 0, {{a, "C:\\TOOLS\\EDIT", {}}, {b, "C:\\TOOLS\\EDIT.EXE", {}}},
       {}, {Entry(a), Entry(b)}},
      {"ThreeSameTargetsNameTheFirst", 1, 0, {{a, np, {}}, {b, np, {}}, {c, np, {}}},
       {box_b, "Duplicate Target in Shortcut C at " + c},
       {Entry(a), kTarget, At(a), Entry(b), kTarget, At(a), Entry(c)}},
      {"CheckValuesOtherThanOneAreNotTicked", 2, -1, {{a, np, "x"}, {b, np, "x"}},
       {}, {Entry(a), Entry(b)}},
      // An empty target ("TARGET:   " alone would match every entry)
      // takes part in neither check.
      {"EmptyTargetTakesNoPart", 1, 1, {{a, np, {}}, {b, "", "x"}, {c, "", "x"}},
       {}, {Entry(a), Entry(b), Entry(c)}},
      // The earlier path comes from the line that begins "LOCATION:   ",
      // not from "LOCATION" inside a path.
      {"LocationInsideEarlierPath", 1, 1, {{la, np, "p"}, {b, np, "p"}},
       {box_b, box_b_args}, {Entry(la), kTarget, At(la), kTargetArgs, At(la), Entry(b)}},
      {"EarlierShortcutNamedLocation", 1, 0, {{lb, np, {}}, {lc, np, {}}},
       {"Duplicate Target in Shortcut LOCATION at " + lc}, {Entry(lb), kTarget, At(lb), Entry(lc)}},
      // Only a line that begins with the TARGET text is an earlier target: the
      // same text inside a path neither makes a duplicate nor redirects one.
      {"TargetTextInsideAPathIsNoEarlierTarget", 1, 0,
       {{ta, "C:\\Y.EXE", {}}, {b, "C:\\X.EXE", {}}, {c, "C:\\X.EXE", {}}},
       {"Duplicate Target in Shortcut C at " + c}, {Entry(ta), Entry(b), kTarget, At(b), Entry(c)}},
  };
  // clang-format on
}

INSTANTIATE_TEST_SUITE_P(AuditShortcut, DuplicateWarnings, ::testing::ValuesIn(Cases()),
                         [](const auto& row) { return row.param.name; });

TEST(DuplicateWarningsAlone, ReadTheChecksWhenTheyRun) {
  // WarnOfDuplicates on its own: the report already holds one entry.
  FakeAuditChoices window;
  RecordingMessageDialog messages;
  window.report.Append(
      "SHORTCUT NAME:   A\r\nLOCATION:   C:\\A.lnk\r\nTARGET:   C:\\X.EXE /a\r\n\r\n");
  auditor::ShortcutFields fields;
  fields.Target = "C:\\X.EXE";
  fields.TargetText = "TARGET:   C:\\X.EXE";
  fields.TargetArgsText = "TARGET:   C:\\X.EXE /a";
  fields.HasArguments = true;
  auditor::FileFacts facts;
  facts.Path = "C:\\B.lnk";
  facts.ShortcutName = "B";
  auditor::WarnOfDuplicates(fields, facts, window, messages);
  EXPECT_TRUE(messages.shown.empty());
  window.check3 = 1;
  auditor::WarnOfDuplicates(fields, facts, window, messages);
  EXPECT_EQ(
      messages.shown,
      std::vector<std::string>{"Duplicate Target and Parameter String in Shortcut B at C:\\B.lnk"});
  EXPECT_TRUE(window.report.Text().ends_with("\r\n\r\n" + kTargetArgs +
                                             "\r\n(duplicate located at C:\\A.lnk)\r\n"));
}

}  // namespace
}  // namespace varnlink::test_support
