#include "window/form1.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/fake_file_services.h"
#include "tests/support/link_writer.h"
#include "tests/window/fake_folder_listing.h"

namespace varnlink::window {
namespace {

using test_support::FakeFileServices;
using test_support::FakeFolderListing;
using Paths = std::vector<std::string>;

class RecordingPrinter : public platform::Printer {
 public:
  void PrintText(const std::string& text) override { jobs.push_back(text); }
  std::vector<std::string> jobs;
};

class RecordingClipboard : public platform::Clipboard {
 public:
  void Clear() override { calls.push_back("clear"); }
  void SetText(const std::string& text) override { calls.push_back("set:" + text); }
  std::vector<std::string> calls;
};

// A message box that also notes the mouse pointer the user sees meanwhile.
class PointerNotingDialog : public platform::MessageDialog {
 public:
  void Show(const std::string& text) override {
    shown.push_back(text);
    if (form != nullptr) pointers.push_back(form->ScreenMousePointer);
  }
  const Form1* form = nullptr;
  std::vector<std::string> shown;
  std::vector<MousePointer> pointers;
};

FakeFileServices FilesWith(char separator) {
  FakeFileServices files;
  files.SetSeparator(separator);
  return files;
}

// The window over an in-memory folder tree whose files are genuine links.
struct Window {
  explicit Window(char separator = '\\') : files(FilesWith(separator)), folders(separator) {
    messages.form = &form;
  }

  // Adds a shortcut to `target` (with `arguments` when not empty) as `folder` + `name`.
  std::string AddShortcut(const std::string& folder, const std::string& name,
                          const std::string& target = "C:\\WINDOWS\\NOTEPAD.EXE",
                          const std::string& arguments = "") {
    test_support::ShellLink link = test_support::LocalLink(target);
    if (!arguments.empty()) link.arguments = arguments;
    folders.AddFile(folder, name);
    files.Add(folder + name, test_support::BuildLink(link)).times =
        platform::FileTimes{{2001, 2, 3, 4, 5, 6}, {2001, 2, 3, 4, 5, 6}, {2001, 2, 3, 4, 5, 6}};
    return folder + name;
  }

  FakeFileServices files;
  FakeFolderListing folders;
  PointerNotingDialog messages;
  RecordingPrinter printer;
  RecordingClipboard clipboard;
  Form1 form{Platform{files, folders, messages, printer, clipboard}};
};

TEST(Form1, LoadsWithTheStartingStateOnTheCurrentFolder) {
  Window w;
  w.folders.drives = {"c:", "d:"};
  w.folders.current_folder = "C:\\WINDOWS\\Desktop";
  w.AddShortcut("C:\\WINDOWS\\Desktop\\", "b.lnk");
  w.AddShortcut("C:\\WINDOWS\\Desktop\\", "A.LNK");
  w.folders.AddFile("C:\\WINDOWS\\Desktop\\", "readme.txt");
  w.form.Form_Load();

  EXPECT_TRUE(w.form.Maximized && w.form.Option1.Value && w.form.Check1.Enabled);
  EXPECT_EQ(w.form.Check1.Value, 1);
  EXPECT_EQ(w.form.Label2.Caption, "") << "Label2 waits for the user's first folder action";
  EXPECT_EQ(w.form.Drive1.Drive, "c:");
  EXPECT_EQ(w.form.Dir1.Path, "C:\\WINDOWS\\Desktop");
  EXPECT_EQ(w.form.File1.Names(), (Paths{"A.LNK", "b.lnk"}));
}

struct TimerCase {
  const char* why;
  int selected;  // names in List2
  CheckBox before;
  CheckBox after;
};

void PrintTo(const TimerCase& c, std::ostream* out) { *out << c.why; }

class Form1Timer : public ::testing::TestWithParam<TimerCase> {};

TEST_P(Form1Timer, KeepsSearchSubDirectoriesInStepWithTheSelection) {
  Window w;
  for (int i = 0; i < GetParam().selected; ++i) w.form.List2.AddItem("n" + std::to_string(i));
  w.form.Check1 = GetParam().before;
  const auto revision = w.form.Revision();
  w.form.Timer1_Timer();
  EXPECT_EQ(w.form.Check1.Value, GetParam().after.Value) << GetParam().why;
  EXPECT_EQ(w.form.Check1.Enabled, GetParam().after.Enabled) << GetParam().why;
  const bool changed = GetParam().before.Value != GetParam().after.Value ||
                       GetParam().before.Enabled != GetParam().after.Enabled;
  EXPECT_EQ(w.form.Revision() != revision, changed) << "a tick redraws only on a change";
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, Form1Timer,
    ::testing::Values(
        TimerCase{"a selection disables and unticks", 1, {1, true}, {0, false}},
        TimerCase{"a larger selection too", 3, {1, true}, {0, false}},
        TimerCase{"an emptied selection enables but does not tick", 0, {0, false}, {0, true}},
        TimerCase{"no selection leaves the user's tick", 0, {1, true}, {1, true}},
        TimerCase{"no selection leaves the user's untick", 0, {0, true}, {0, true}}));

struct JoinCase {
  char separator;
  std::string label2;
  Paths selected;
  Paths list1;
};

void PrintTo(const JoinCase& c, std::ostream* out) { *out << c.label2; }

class Form1Join : public ::testing::TestWithParam<JoinCase> {};

TEST_P(Form1Join, JoinsTheFolderAndEachSelectedNameWithOneSeparator) {
  Window w(GetParam().separator);
  for (const std::string& path : GetParam().list1) {
    const auto cut = path.rfind(GetParam().separator) + 1;
    w.AddShortcut(path.substr(0, cut), path.substr(cut));
  }
  w.form.Form_Load();
  w.form.Label2.Caption = GetParam().label2;
  for (const std::string& name : GetParam().selected) w.form.List2.AddItem(name);
  w.form.Command1_Click();
  EXPECT_EQ(w.form.List1.Items(), GetParam().list1);
  EXPECT_TRUE(w.folders.listed.empty()) << "a selection is audited without walking";
}

INSTANTIATE_TEST_SUITE_P(
    Folders, Form1Join,
    ::testing::Values(
        JoinCase{'\\', "C:\\WINDOWS", {"Notepad.lnk"}, {"C:\\WINDOWS\\Notepad.lnk"}},
        JoinCase{'\\', "C:\\WINDOWS\\", {"Notepad.lnk"}, {"C:\\WINDOWS\\Notepad.lnk"}},
        JoinCase{'\\', "C:\\", {"Notepad.lnk"}, {"C:\\Notepad.lnk"}},
        JoinCase{'/', "/", {"b.lnk", "a.lnk"}, {"/b.lnk", "/a.lnk"}},
        JoinCase{'/', "/home/u", {"z.lnk", "m.lnk", "a.lnk"},
                 {"/home/u/z.lnk", "/home/u/m.lnk", "/home/u/a.lnk"}}));

class Form1EmptyLabel : public ::testing::TestWithParam<char> {};

TEST_P(Form1EmptyLabel, WalksTheRootWhenNoFolderWasChosen) {
  const char separator = GetParam();
  const std::string root(1, separator);
  Window w(separator);
  w.AddShortcut(root, "top.lnk");
  w.form.Form_Load();
  w.folders.listed.clear();
  w.form.Command1_Click();
  ASSERT_FALSE(w.folders.listed.empty());
  EXPECT_EQ(w.folders.listed.front(), root);
  EXPECT_EQ(w.form.List1.Items(), (Paths{root + "top.lnk"}));
}

INSTANTIATE_TEST_SUITE_P(Separators, Form1EmptyLabel, ::testing::Values('\\', '/'));

class Form1ResultLine : public ::testing::TestWithParam<std::pair<int, std::string>> {};

TEST_P(Form1ResultLine, CountsTheShortcutsReported) {
  Window w;
  for (int i = 0; i < GetParam().first; ++i) w.AddShortcut("C:\\D\\", std::to_string(i) + ".lnk");
  w.folders.AddFolder("C:\\", "D");
  w.form.Form_Load();
  w.form.Label2.Caption = "C:\\D";
  w.form.Command1_Click();
  EXPECT_EQ(w.form.Label1.Caption, GetParam().second);
  if (GetParam().first == 0) {
    EXPECT_EQ(w.form.Text1.Text.Text(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, Form1ResultLine,
                         ::testing::Values(std::pair{0, "0 Shortcuts Found"},
                                           std::pair{1, "1 Shortcut Found"},
                                           std::pair{2, "2 Shortcuts Found"},
                                           std::pair{11, "11 Shortcuts Found"}));

TEST(Form1, CountsOnlyTheShortcutsTheTargetFilterLetsThrough) {
  Window w;
  w.AddShortcut("C:\\D\\", "editor.lnk", "C:\\WINDOWS\\NOTEPAD.EXE");
  w.AddShortcut("C:\\D\\", "letter.lnk", "C:\\My Documents\\letter.doc");
  w.form.Form_Load();
  w.form.Label2.Caption = "C:\\D";
  w.form.Option1.Value = false;
  w.form.Option2.Value = true;
  w.form.Command1_Click();
  EXPECT_EQ(w.form.List1.ListCount(), 2);
  EXPECT_EQ(w.form.Label1.Caption, "1 Shortcut Found");
}

TEST(Form1, AuditTwiceReplacesTheReportInsteadOfAppending) {
  Window w;
  w.AddShortcut("C:\\D\\", "a.lnk");
  w.AddShortcut("C:\\D\\", "b.lnk");
  w.form.Form_Load();
  w.form.Label2.Caption = "C:\\D";
  w.form.Check2.Value = 1;
  w.form.Command1_Click();
  const std::string first = w.form.Text1.Text.Text();
  w.form.Command1_Click();
  EXPECT_EQ(w.form.Text1.Text.Text(), first);
  EXPECT_EQ(w.form.List1.ListCount(), 2);
  EXPECT_EQ(w.messages.shown.size(), 2u) << "one duplicate warning per run";
}

TEST(Form1, AFailingShortcutEndsTheRunKeepingTheReportSoFar) {
  Window w;
  w.AddShortcut("C:\\D\\", "a.lnk");
  w.form.Form_Load();
  w.form.Label2.Caption = "C:\\D";
  w.form.List2.AddItem("a.lnk");
  w.form.List2.AddItem("missing.lnk");
  w.form.List2.AddItem("a.lnk");
  try {
    w.form.Command1_Click();
    FAIL() << "expected the missing shortcut to end the run";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("C:\\D\\missing.lnk"), std::string::npos) << e.what();
  }
  EXPECT_EQ(w.form.Text1.Text.Text().find("LOCATION:   C:\\D\\a.lnk"), 
            w.form.Text1.Text.Text().rfind("LOCATION:   C:\\D\\a.lnk")) << "only the first entry";
  EXPECT_NE(w.form.Text1.Text.Text(), "");
  EXPECT_EQ(w.form.Label1.Caption, "");
  EXPECT_EQ(w.form.ScreenMousePointer, MousePointer::kDefault);
}

TEST(Form1, ShowsTheHourglassWhileTheRunWaitsOnAWarning) {
  Window w;
  w.AddShortcut("C:\\D\\", "a.lnk");
  w.AddShortcut("C:\\D\\", "b.lnk");
  w.form.Form_Load();
  w.form.Label2.Caption = "C:\\D";
  w.form.Check2.Value = 1;
  w.form.Command1_Click();
  EXPECT_EQ(w.messages.pointers, std::vector<MousePointer>{MousePointer::kHourglass});
  EXPECT_EQ(w.form.ScreenMousePointer, MousePointer::kDefault);
}

TEST(Form1, PassesOverFoldersItCannotSearchAndNamesThemOnceAtTheEnd) {
  Window w;
  w.AddShortcut("C:\\R\\", "a.lnk");
  w.folders.AddFolder("C:\\R\\", "Locked");
  w.folders.Fail("C:\\R\\Locked\\", EACCES);
  w.folders.AddFolder("C:\\R\\", "Open");
  w.AddShortcut("C:\\R\\Open\\", "b.lnk", "C:\\OTHER.EXE");
  w.form.Form_Load();
  w.form.Label2.Caption = "C:\\R";
  w.form.Check2.Value = 1;
  w.form.Command1_Click();
  EXPECT_EQ(w.form.Label1.Caption, "2 Shortcuts Found");
  EXPECT_EQ(w.messages.shown,
            (Paths{"1 folder could not be searched and was passed over: C:\\R\\Locked\\ (" +
                   std::generic_category().message(EACCES) + ")"}));
  w.messages.shown.clear();
  w.form.List2.AddItem("a.lnk");
  w.form.Command1_Click();
  EXPECT_TRUE(w.messages.shown.empty()) << "the list of folders is per run";
}

TEST(Form1, RefusesAWalkOfMoreThan32767PathsBeforeAuditingAny) {
  Window w;
  for (int i = 0; i <= kMaxListCount; ++i) w.folders.AddFile("C:\\Big\\", std::to_string(i) + ".lnk");
  w.form.Form_Load();
  w.form.Label2.Caption = "C:\\Big";
  try {
    w.form.Command1_Click();
    FAIL() << "expected the run to be refused";
  } catch (const platform::Error& e) {
    const std::string what = e.what();
    EXPECT_EQ(what.rfind("C:\\Big\\: more than 32767 shortcuts", 0), 0u) << what;
    EXPECT_NE(what.find("select the shortcuts"), std::string::npos) << what;
  }
  EXPECT_EQ(w.form.List1.ListCount(), 0);
  EXPECT_TRUE(w.files.read_limits.empty()) << "nothing was audited";
  EXPECT_EQ(w.form.Label1.Caption, "");
}

class Form1Check1 : public ::testing::TestWithParam<std::pair<int, Paths>> {};

TEST_P(Form1Check1, DescendsWhileSearchSubDirectoriesIsNotZero) {
  Window w;
  w.AddShortcut("C:\\R\\", "a.lnk");
  w.folders.AddFolder("C:\\R\\", "Sub");
  w.AddShortcut("C:\\R\\Sub\\", "b.lnk");
  w.form.Form_Load();
  w.form.Label2.Caption = "C:\\R\\";
  w.form.Check1.Value = GetParam().first;
  w.form.Command1_Click();
  EXPECT_EQ(w.form.List1.Items(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Values, Form1Check1,
                         ::testing::Values(std::pair{0, Paths{"C:\\R\\a.lnk"}},
                                           std::pair{1, Paths{"C:\\R\\a.lnk", "C:\\R\\Sub\\b.lnk"}},
                                           std::pair{2, Paths{"C:\\R\\a.lnk", "C:\\R\\Sub\\b.lnk"}}));

// --- choosing drives, folders and shortcuts

TEST(Form1, ChoosingADriveShowsItsRootEverywhere) {
  Window w;
  w.folders.drives = {"c:", "d:"};
  w.folders.current_folder = "c:\\WINDOWS";
  w.folders.AddFolder("c:\\", "WINDOWS");
  w.AddShortcut("d:\\", "Notepad.lnk");
  w.form.Form_Load();
  w.form.Drive1.Drive = "d:";
  w.form.Drive1_Change();
  EXPECT_EQ(w.form.Dir1.Path, "d:\\");
  EXPECT_EQ(w.form.File1.Path(), "d:\\");
  EXPECT_EQ(w.form.Label2.Caption, "d:\\");
  w.form.File1.SetSelected(0, true);
  w.form.File1_Click();
  w.form.Command1_Click();
  EXPECT_EQ(w.form.List1.Items(), (Paths{"d:\\Notepad.lnk"}));
}

TEST(Form1, ADriveThatCannotBeReadKeepsThePreviousFolder) {
  Window w;
  w.folders.drives = {"c:", "a:"};
  w.folders.current_folder = "c:\\WINDOWS";
  w.AddShortcut("c:\\WINDOWS\\", "Notepad.lnk");
  w.folders.Fail("a:\\", ENXIO);
  w.form.Form_Load();
  w.form.Dir1_Click();
  w.form.Drive1.Drive = "a:";
  EXPECT_THROW(w.form.Drive1_Change(), std::system_error);
  EXPECT_EQ(w.form.Drive1.Drive, "a:");
  EXPECT_EQ(w.form.Dir1.Path, "c:\\WINDOWS");
  EXPECT_EQ(w.form.File1.Path(), "c:\\WINDOWS");
  EXPECT_EQ(w.form.File1.Names(), (Paths{"Notepad.lnk"}));
  EXPECT_EQ(w.form.Label2.Caption, "c:\\WINDOWS");
}

TEST(Form1, OpeningAFolderEmptiesTheSelectionAndShowsItsShortcuts) {
  Window w;
  w.folders.current_folder = "C:\\A";
  w.AddShortcut("C:\\A\\", "one.lnk");
  w.AddShortcut("C:\\B\\", "two.lnk");
  w.AddShortcut("C:\\B\\", "THREE.LNK");
  w.form.Form_Load();
  w.form.File1.SetSelected(0, true);
  w.form.File1_Click();
  ASSERT_EQ(w.form.List2.ListCount(), 1);
  // A double-click: the first click, then the folder opens.
  w.form.Dir1_Click();
  w.form.SetDir1Path("C:\\B\\");
  EXPECT_EQ(w.form.List2.ListCount(), 0);
  EXPECT_EQ(w.form.Dir1.Path, "C:\\B");
  EXPECT_EQ(w.form.Label2.Caption, "C:\\B");
  EXPECT_EQ(w.form.File1.Names(), (Paths{"THREE.LNK", "two.lnk"}));
  EXPECT_FALSE(w.form.File1.Selected(0) || w.form.File1.Selected(1));
}

TEST(Form1, TheSelectionFollowsTheFileListInItsOrder) {
  Window w;
  w.folders.current_folder = "C:\\A";
  for (const char* name : {"d.lnk", "c.lnk", "b.lnk", "a.lnk"}) w.AddShortcut("C:\\A\\", name);
  w.form.Form_Load();
  for (int i : {3, 0, 2}) w.form.File1.SetSelected(i, true);
  w.form.File1_Click();
  EXPECT_EQ(w.form.List2.Items(), (Paths{"a.lnk", "c.lnk", "d.lnk"}));
  w.form.File1.SetSelected(2, false);
  w.form.File1_Click();
  EXPECT_EQ(w.form.List2.Items(), (Paths{"a.lnk", "d.lnk"}));
  for (int i = 0; i < 4; ++i) w.form.File1.SetSelected(i, false);
  w.form.File1_Click();
  EXPECT_EQ(w.form.List2.ListCount(), 0);
  w.form.File1.SetSelected(1, true);
  w.form.File1_Click();
  w.form.Dir1_Click();
  EXPECT_EQ(w.form.List2.ListCount(), 0);
  EXPECT_FALSE(w.form.File1.Selected(1));
  EXPECT_EQ(w.form.Label2.Caption, "C:\\A");
}

// --- print and copy

TEST(Form1, PrintAndCopyHandOverTheWholeReportEvenWhenEmpty) {
  Window w;
  w.form.Form_Load();
  w.form.Command2_Click();
  w.form.Command3_Click();
  EXPECT_EQ(w.printer.jobs, (Paths{""}));
  EXPECT_EQ(w.clipboard.calls, (Paths{"clear", "set:"}));

  w.AddShortcut("C:\\D\\", "a.lnk");
  w.form.Label2.Caption = "C:\\D";
  w.form.Command1_Click();
  const std::string report = w.form.Text1.Text.Text();
  w.form.Command2_Click();
  w.form.Command2_Click();
  w.form.Command3_Click();
  EXPECT_EQ(w.printer.jobs, (Paths{"", report, report})) << "one job per press";
  EXPECT_EQ(w.clipboard.calls, (Paths{"clear", "set:", "clear", "set:" + report}));
  EXPECT_EQ(w.form.Text1.Text.Text(), report);
}

TEST(Form1, EveryHandlerThatMayChangeStateRaisesTheRevision) {
  Window w;
  w.folders.drives = {"c:"};
  w.folders.current_folder = "c:\\";
  w.AddShortcut("c:\\", "a.lnk");
  const std::vector<std::pair<const char*, std::function<void()>>> handlers = {
      {"Form_Load", [&] { w.form.Form_Load(); }},
      {"Drive1_Change", [&] { w.form.Drive1_Change(); }},
      {"Dir1_Change", [&] { w.form.Dir1_Change(); }},
      {"Dir1_Click", [&] { w.form.Dir1_Click(); }},
      {"File1_Click", [&] { w.form.File1_Click(); }},
      {"Command1_Click", [&] { w.form.Command1_Click(); }},
      {"Command2_Click", [&] { w.form.Command2_Click(); }},
      {"Command3_Click", [&] { w.form.Command3_Click(); }},
  };
  for (const auto& [name, handler] : handlers) {
    const auto before = w.form.Revision();
    handler();
    EXPECT_GT(w.form.Revision(), before) << name;
  }
}

}  // namespace
}  // namespace varnlink::window
