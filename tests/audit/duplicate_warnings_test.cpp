// Duplicate warnings: message boxes and marker lines, prefix matches at the
// start of an earlier TARGET line, the earlier path
// taken from the nearest LOCATION line, and empty targets left out.

#include "audit/duplicate_warnings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/audit_fixture.h"

namespace varnlink::test_support {
namespace {

struct Shortcut {
  std::string path;
  std::string target;
  std::optional<std::string> arguments;
};

struct DuplicateCase {
  std::string name;
  bool warn_targets;
  bool warn_arguments;
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
  options.warn_duplicate_targets = c.warn_targets;
  options.warn_duplicate_arguments = c.warn_arguments;
  std::vector<std::string> paths;
  for (const Shortcut& s : c.shortcuts) {
    ShellLink link = LocalLink(s.target);
    if (s.arguments) link.arguments = *s.arguments;
    AddLink(s.path, link);
    paths.push_back(s.path);
  }
  AuditPaths(paths);
  EXPECT_EQ(messages.shown, c.messages);
  EXPECT_EQ(Skeleton(), c.skeleton);
  EXPECT_EQ(count, c.shortcuts.size());
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
      // name, warn of targets, of arguments, shortcuts, message boxes, report skeleton
      {"SameTargetOnly", true, false, {{a, np, {}}, {b, np, {}}},
       {box_b}, {Entry(a), kTarget, At(a), Entry(b)}},
      {"SameTargetAndArgumentsBothChecks", true, true, {{a, np, "x.txt"}, {b, np, "x.txt"}},
       {box_b, box_b_args}, {Entry(a), kTarget, At(a), kTargetArgs, At(a), Entry(b)}},
      {"SameTargetAndArgumentsArgumentCheckOnly", false, true, {{a, np, "x.txt"}, {b, np, "x.txt"}},
       {box_b_args}, {Entry(a), kTargetArgs, At(a), Entry(b)}},
      {"DifferentArgumentsOnlyTarget", true, true, {{a, np, "x.txt"}, {b, np, "y.txt"}},
       {box_b}, {Entry(a), kTarget, At(a), Entry(b)}},
      {"EarlierArgumentsBeginWithCurrentOnes", true, true, {{a, np, "x.txt more"}, {b, np, "x.txt"}},
       {box_b, box_b_args}, {Entry(a), kTarget, At(a), kTargetArgs, At(a), Entry(b)}},
      {"NoArgumentsNoSecondCheck", false, true, {{a, np, "x"}, {b, np, {}}},
       {}, {Entry(a), Entry(b)}},
      {"LetterCaseDiffers", true, true, {{a, np, {}}, {b, "C:\\Windows\\notepad.exe", {}}},
       {}, {Entry(a), Entry(b)}},
      {"LaterPrefixOfEarlierTargetMatches", true, false, {{a, "C:\\TOOLS\\EDIT.EXE", {}}, {b, "C:\\TOOLS\\EDIT", {}}},
       {box_b}, {Entry(a), kTarget, At(a), Entry(b)}},
      {"LaterLongerTargetDoesNotMatch", true, false, {{a, "C:\\TOOLS\\EDIT", {}}, {b, "C:\\TOOLS\\EDIT.EXE", {}}},
       {}, {Entry(a), Entry(b)}},
      {"ThreeSameTargetsNameTheFirst", true, false, {{a, np, {}}, {b, np, {}}, {c, np, {}}},
       {box_b, "Duplicate Target in Shortcut C at " + c},
       {Entry(a), kTarget, At(a), Entry(b), kTarget, At(a), Entry(c)}},
      // An empty target ("TARGET:   " alone would match every entry)
      // takes part in neither check.
      {"EmptyTargetTakesNoPart", true, true, {{a, np, {}}, {b, "", "x"}, {c, "", "x"}},
       {}, {Entry(a), Entry(b), Entry(c)}},
      // The earlier path comes from the line that begins "LOCATION:   ",
      // not from "LOCATION" inside a path.
      {"LocationInsideEarlierPath", true, true, {{la, np, "p"}, {b, np, "p"}},
       {box_b, box_b_args}, {Entry(la), kTarget, At(la), kTargetArgs, At(la), Entry(b)}},
      {"EarlierShortcutNamedLocation", true, false, {{lb, np, {}}, {lc, np, {}}},
       {"Duplicate Target in Shortcut LOCATION at " + lc}, {Entry(lb), kTarget, At(lb), Entry(lc)}},
      // Only a line that begins with the TARGET text is an earlier target: the
      // same text inside a path neither makes a duplicate nor redirects one.
      {"TargetTextInsideAPathIsNoEarlierTarget", true, false,
       {{ta, "C:\\Y.EXE", {}}, {b, "C:\\X.EXE", {}}, {c, "C:\\X.EXE", {}}},
       {"Duplicate Target in Shortcut C at " + c}, {Entry(ta), Entry(b), kTarget, At(b), Entry(c)}},
  };
  // clang-format on
}

INSTANTIATE_TEST_SUITE_P(AuditRun, DuplicateWarnings, ::testing::ValuesIn(Cases()),
                         [](const auto& row) { return row.param.name; });

}  // namespace
}  // namespace varnlink::test_support
