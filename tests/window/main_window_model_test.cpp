#include "window/main_window_model.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/fake_file_services.h"
#include "tests/support/link_writer.h"
#include "tests/support/audit_fixture.h"
#include "tests/support/fake_folder_listing.h"

namespace varnlink::window {
namespace {

using test_support::FakeFileServices;
using test_support::FakeFolderListing;
using Paths = std::vector<std::string>;

class RecordingPrinter : public platform::Printer {
 public:
  int PrintText(const std::string& text) override {
    jobs.push_back(text);
    return static_cast<int>(jobs.size());
  }
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
    if (model != nullptr) pointers.push_back(model->pointer);
  }
  const MainWindowModel* model = nullptr;
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
    messages.model = &model;
  }

  // The paths of the shortcuts in the report, in its order.
  [[nodiscard]] Paths Audited() const {
    Paths paths;
    for (const std::string& line : test_support::LinesOf(model.report)) {
      if (line.starts_with("LOCATION:   ")) paths.push_back(line.substr(12));
    }
    return paths;
  }

  // Adds a shortcut to `target` (with `arguments` when not empty) as `folder` + `name`.
  std::string AddShortcut(const std::string& folder, const std::string& name,
                          const std::string& target = "C:\\WINDOWS\\NOTEPAD.EXE",
                          const std::string& arguments = "") {
    test_support::ShellLink link = test_support::LocalLink(target);
    if (!arguments.empty()) link.arguments = arguments;
    folders.AddFile(folder, name);
    files.Add(folder + name, test_support::BuildLink(link)).times =
        test_support::TimesAt({2001, 2, 3, 4, 5, 6});
    return folder + name;
  }

  FakeFileServices files;
  FakeFolderListing folders;
  PointerNotingDialog messages;
  RecordingPrinter printer;
  RecordingClipboard clipboard;
  MainWindowModel model{Platform{files, folders, messages, printer, clipboard}};
};

TEST(MainWindowModel, LoadsWithTheStartingStateOnTheCurrentFolder) {
  Window w;
  w.folders.drives = {"c:", "d:"};
  w.folders.current_folder = "C:\\WINDOWS\\Desktop";
  w.AddShortcut("C:\\WINDOWS\\Desktop\\", "b.lnk");
  w.AddShortcut("C:\\WINDOWS\\Desktop\\", "A.LNK");
  w.folders.AddFile("C:\\WINDOWS\\Desktop\\", "readme.txt");
  w.model.Load();

  EXPECT_TRUE(w.model.maximized && w.model.search_subfolders.enabled);
  EXPECT_EQ(w.model.target_filter, auditor::TargetFilter::kAll);
  EXPECT_TRUE(w.model.search_subfolders.ticked);
  EXPECT_EQ(w.model.chosen_folder, "") << "the chosen folder waits for the user's first folder action";
  EXPECT_EQ(w.model.drive_list.drive, "c:");
  EXPECT_EQ(w.model.folder_list.path, "C:\\WINDOWS\\Desktop");
  EXPECT_EQ(w.model.shortcut_list.Names(), (Paths{"A.LNK", "b.lnk"}));
}

TEST(MainWindowModel, SearchSubDirectoriesIsOffWhileShortcutsAreSelected) {
  Window w;
  w.folders.current_folder = "C:\\A";
  for (const char* name : {"a.lnk", "b.lnk"}) w.AddShortcut("C:\\A\\", name);
  w.model.Load();
  w.model.shortcut_list.SetSelected(0, true);
  w.model.SelectionChanged();
  EXPECT_FALSE(w.model.search_subfolders.ticked || w.model.search_subfolders.enabled);
  w.model.shortcut_list.SetSelected(1, true);
  w.model.SelectionChanged();
  EXPECT_FALSE(w.model.search_subfolders.ticked || w.model.search_subfolders.enabled);
  // An emptied selection enables the box again but does not tick it.
  w.model.shortcut_list.ClearSelection();
  w.model.SelectionChanged();
  EXPECT_TRUE(w.model.search_subfolders.enabled);
  EXPECT_FALSE(w.model.search_subfolders.ticked);
  // Without a selection the user's choice stands.
  w.model.search_subfolders.ticked = true;
  w.model.HighlightFolder("C:\\A");
  EXPECT_TRUE(w.model.search_subfolders.ticked && w.model.search_subfolders.enabled);
}

struct JoinCase {
  char separator;
  std::string chosen_folder;
  Paths selected;
  Paths audited;
};

void PrintTo(const JoinCase& c, std::ostream* out) { *out << c.chosen_folder; }

class MainWindowModelJoin : public ::testing::TestWithParam<JoinCase> {};

TEST_P(MainWindowModelJoin, JoinsTheFolderAndEachSelectedNameWithOneSeparator) {
  Window w(GetParam().separator);
  for (const std::string& path : GetParam().audited) {
    const auto cut = path.rfind(GetParam().separator) + 1;
    w.AddShortcut(path.substr(0, cut), path.substr(cut));
  }
  w.model.Load();
  w.model.chosen_folder = GetParam().chosen_folder;
  w.model.selected_names = GetParam().selected;
  w.model.Audit();
  EXPECT_EQ(w.Audited(), GetParam().audited);
  EXPECT_TRUE(w.folders.listed.empty()) << "a selection is audited without walking";
}

INSTANTIATE_TEST_SUITE_P(
    Folders, MainWindowModelJoin,
    ::testing::Values(
        JoinCase{'\\', "C:\\WINDOWS", {"Notepad.lnk"}, {"C:\\WINDOWS\\Notepad.lnk"}},
        JoinCase{'\\', "C:\\WINDOWS\\", {"Notepad.lnk"}, {"C:\\WINDOWS\\Notepad.lnk"}},
        JoinCase{'\\', "C:\\", {"Notepad.lnk"}, {"C:\\Notepad.lnk"}},
        JoinCase{'/', "/", {"b.lnk", "a.lnk"}, {"/b.lnk", "/a.lnk"}},
        JoinCase{'/', "/home/u", {"z.lnk", "m.lnk", "a.lnk"},
                 {"/home/u/z.lnk", "/home/u/m.lnk", "/home/u/a.lnk"}}));

class MainWindowModelNoFolder : public ::testing::TestWithParam<char> {};

TEST_P(MainWindowModelNoFolder, WalksTheRootWhenNoFolderWasChosen) {
  const char separator = GetParam();
  const std::string root(1, separator);
  Window w(separator);
  w.AddShortcut(root, "top.lnk");
  w.model.Load();
  w.folders.listed.clear();
  w.model.Audit();
  ASSERT_FALSE(w.folders.listed.empty());
  EXPECT_EQ(w.folders.listed.front(), root);
  EXPECT_EQ(w.Audited(), (Paths{root + "top.lnk"}));
}

INSTANTIATE_TEST_SUITE_P(Separators, MainWindowModelNoFolder, ::testing::Values('\\', '/'));

class MainWindowModelResultLine : public ::testing::TestWithParam<std::pair<int, std::string>> {};

TEST_P(MainWindowModelResultLine, CountsTheShortcutsReported) {
  Window w;
  for (int i = 0; i < GetParam().first; ++i) w.AddShortcut("C:\\D\\", std::to_string(i) + ".lnk");
  w.folders.AddFolder("C:\\", "D");
  w.model.Load();
  w.model.chosen_folder = "C:\\D";
  w.model.Audit();
  EXPECT_EQ(w.model.result_text, GetParam().second);
  if (GetParam().first == 0) {
    EXPECT_EQ(w.model.report, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, MainWindowModelResultLine,
                         ::testing::Values(std::pair{0, "0 Shortcuts Found"},
                                           std::pair{1, "1 Shortcut Found"},
                                           std::pair{2, "2 Shortcuts Found"},
                                           std::pair{11, "11 Shortcuts Found"}));

TEST(MainWindowModel, CountsOnlyTheShortcutsTheTargetFilterLetsThrough) {
  Window w;
  w.AddShortcut("C:\\D\\", "editor.lnk", "C:\\WINDOWS\\NOTEPAD.EXE");
  w.AddShortcut("C:\\D\\", "letter.lnk", "C:\\My Documents\\letter.doc");
  w.model.Load();
  w.model.chosen_folder = "C:\\D";
  w.model.target_filter = auditor::TargetFilter::kExe;
  w.model.Audit();
  EXPECT_EQ(w.model.result_text, "1 Shortcut Found");
  EXPECT_EQ(w.Audited(), Paths{"C:\\D\\editor.lnk"});
}

TEST(MainWindowModel, AuditTwiceReplacesTheReportInsteadOfAppending) {
  Window w;
  w.AddShortcut("C:\\D\\", "a.lnk");
  w.AddShortcut("C:\\D\\", "b.lnk");
  w.model.Load();
  w.model.chosen_folder = "C:\\D";
  w.model.warn_duplicate_targets.ticked = true;
  w.model.Audit();
  const std::string first = w.model.report;
  w.model.Audit();
  EXPECT_EQ(w.model.report, first);
  EXPECT_EQ(w.messages.shown.size(), 2u) << "one duplicate warning per run";
}

TEST(MainWindowModel, AFailingShortcutEndsTheRunKeepingTheReportSoFar) {
  Window w;
  w.AddShortcut("C:\\D\\", "a.lnk");
  w.model.Load();
  w.model.chosen_folder = "C:\\D";
  w.model.selected_names = {"a.lnk", "missing.lnk", "a.lnk"};
  try {
    w.model.Audit();
    FAIL() << "expected the missing shortcut to end the run";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("C:\\D\\missing.lnk"), std::string::npos) << e.what();
  }
  EXPECT_EQ(w.model.report.find("LOCATION:   C:\\D\\a.lnk"), 
            w.model.report.rfind("LOCATION:   C:\\D\\a.lnk")) << "only the first entry";
  EXPECT_NE(w.model.report, "");
  EXPECT_EQ(w.model.result_text, "");
  EXPECT_EQ(w.model.pointer, MousePointer::kDefault);
}

TEST(MainWindowModel, ShowsTheHourglassWhileTheRunWaitsOnAWarning) {
  Window w;
  w.AddShortcut("C:\\D\\", "a.lnk");
  w.AddShortcut("C:\\D\\", "b.lnk");
  w.model.Load();
  w.model.chosen_folder = "C:\\D";
  w.model.warn_duplicate_targets.ticked = true;
  w.model.Audit();
  EXPECT_EQ(w.messages.pointers, std::vector<MousePointer>{MousePointer::kHourglass});
  EXPECT_EQ(w.model.pointer, MousePointer::kDefault);
}

TEST(MainWindowModel, PassesOverFoldersItCannotSearchAndNamesThemOnceAtTheEnd) {
  Window w;
  w.AddShortcut("C:\\R\\", "a.lnk");
  w.folders.AddFolder("C:\\R\\", "Locked");
  w.folders.Fail("C:\\R\\Locked\\", EACCES);
  w.folders.AddFolder("C:\\R\\", "Open");
  w.AddShortcut("C:\\R\\Open\\", "b.lnk", "C:\\OTHER.EXE");
  w.model.Load();
  w.model.chosen_folder = "C:\\R";
  w.model.warn_duplicate_targets.ticked = true;
  w.model.Audit();
  EXPECT_EQ(w.model.result_text, "2 Shortcuts Found");
  EXPECT_EQ(w.messages.shown,
            (Paths{"1 folder could not be searched and was passed over: C:\\R\\Locked\\ (" +
                   std::generic_category().message(EACCES) + ")"}));
  w.messages.shown.clear();
  w.model.selected_names = {"a.lnk"};
  w.model.Audit();
  EXPECT_TRUE(w.messages.shown.empty()) << "the list of folders is per run";
}

TEST(MainWindowModel, RefusesAWalkOfMoreThan32767ShortcutsBeforeAuditingAny) {
  Window w;
  for (std::size_t i = 0; i <= kMaxListCount; ++i) w.folders.AddFile("C:\\Big\\", std::to_string(i) + ".lnk");
  w.model.Load();
  w.model.chosen_folder = "C:\\Big";
  try {
    w.model.Audit();
    FAIL() << "expected the run to be refused";
  } catch (const platform::Error& e) {
    const std::string what = e.what();
    EXPECT_EQ(what.rfind("C:\\Big\\: more than 32767 shortcuts", 0), 0u) << what;
    EXPECT_NE(what.find("select the shortcuts"), std::string::npos) << what;
  }
  EXPECT_TRUE(w.files.read_limits.empty()) << "nothing was audited";
  EXPECT_EQ(w.model.result_text, "");
}

// A folder of more shortcuts than the list holds lists the first of them in
// listing order; the result line says so until an audit or another folder
// replaces it, and a walk of the whole folder is still refused.
TEST(MainWindowModel, ABigFolderListsItsFirst32767ShortcutsAndSaysSo) {
  Window w;
  w.AddShortcut("C:\\Small\\", "one.lnk");
  for (std::size_t i = kMaxListCount + 1; i > 0; --i)  // "9999.lnk" is listed last
    w.folders.AddFile("C:\\Big\\", std::to_string(i) + ".lnk");
  w.model.Load();
  w.model.result_text = "1 Shortcut Found";
  w.model.OpenFolder("C:\\Big");
  EXPECT_EQ(w.model.shortcut_list.Names().front(), "1.lnk");
  EXPECT_EQ(w.model.shortcut_list.Names().back(), "9998.lnk");
  EXPECT_EQ(w.model.result_text, "Showing 32767 of 32768 shortcuts");
  EXPECT_THROW(w.model.Audit(), platform::Error);
  EXPECT_EQ(w.model.result_text, "");

  w.model.result_text = "1 Shortcut Found";
  w.model.OpenFolder("C:\\Small");
  EXPECT_EQ(w.model.result_text, "1 Shortcut Found") << "an audit's line stays";
  w.model.OpenFolder("C:\\Big");
  w.model.OpenFolder("C:\\Small");
  EXPECT_EQ(w.model.result_text, "") << "the big folder's line goes with it";
}

TEST(MainWindowModel, TheMissingAndSuspiciousCheckBoxesReachTheAuditOptions) {
  Window w;
  w.model.Load();
  EXPECT_FALSE(w.model.Options().check_targets || w.model.Options().warn_suspicious);
  w.model.CheckBoxOf(ControlId::kWarnMissingTargets)->ticked = true;
  EXPECT_TRUE(w.model.Options().check_targets && !w.model.Options().warn_suspicious);
  w.model.CheckBoxOf(ControlId::kWarnMissingTargets)->ticked = false;
  w.model.CheckBoxOf(ControlId::kWarnSuspiciousShortcuts)->ticked = true;
  EXPECT_TRUE(!w.model.Options().check_targets && w.model.Options().warn_suspicious);
}

TEST(MainWindowModel, TheMissingAndSuspiciousWarningsCountInOneMessageEachAtTheEnd) {
  const std::string missing = "Targets not found: 0; not checked: 2";
  const std::string suspicious = "Suspicious shortcuts: 1";  // b.exe: no drive
  const struct {
    bool missing, suspicious;
    Paths shown;
  } kCases[] = {{false, false, {}},
                {true, false, {missing}},
                {false, true, {suspicious}},
                {true, true, {missing, suspicious}}};
  for (const auto& c : kCases) {
    Window w;
    w.AddShortcut("C:\\R\\", "a.lnk", "\\\\server\\share\\a.doc");
    w.AddShortcut("C:\\R\\", "b.lnk", "b.exe");
    w.model.Load();
    w.model.chosen_folder = "C:\\R";
    w.model.warn_missing_targets.ticked = c.missing;
    w.model.warn_suspicious_shortcuts.ticked = c.suspicious;
    w.model.Audit();
    EXPECT_EQ(w.messages.shown, c.shown);
    EXPECT_EQ(
        w.model.report.find("*** SUSPICIOUS SHORTCUT BELOW***\r\n(noncanonical_target; "
                            "Windows runs b.exe)\r\nSHORTCUT NAME:   b\r\n") != std::string::npos,
        c.suspicious)
        << w.model.report;
  }
}

class MainWindowModelSubfolders : public ::testing::TestWithParam<std::pair<bool, Paths>> {};

TEST_P(MainWindowModelSubfolders, DescendsWhileSearchSubDirectoriesIsTicked) {
  Window w;
  w.AddShortcut("C:\\R\\", "a.lnk");
  w.folders.AddFolder("C:\\R\\", "Sub");
  w.AddShortcut("C:\\R\\Sub\\", "b.lnk");
  w.model.Load();
  w.model.chosen_folder = "C:\\R\\";
  w.model.search_subfolders.ticked = GetParam().first;
  w.model.Audit();
  EXPECT_EQ(w.Audited(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Values, MainWindowModelSubfolders,
                         ::testing::Values(std::pair{false, Paths{"C:\\R\\a.lnk"}},
                                           std::pair{true, Paths{"C:\\R\\a.lnk", "C:\\R\\Sub\\b.lnk"}}));

// --- choosing drives, folders and shortcuts

TEST(MainWindowModel, ChoosingADriveShowsItsRootEverywhere) {
  Window w;
  w.folders.drives = {"c:", "d:"};
  w.folders.current_folder = "c:\\WINDOWS";
  w.folders.AddFolder("c:\\", "WINDOWS");
  w.AddShortcut("d:\\", "Notepad.lnk");
  w.model.Load();
  w.model.ChangeDrive("d:");
  EXPECT_EQ(w.model.folder_list.path, "d:\\");
  EXPECT_EQ(w.model.shortcut_list.Path(), "d:\\");
  EXPECT_EQ(w.model.chosen_folder, "d:\\");
  w.model.shortcut_list.SetSelected(0, true);
  w.model.SelectionChanged();
  w.model.Audit();
  EXPECT_EQ(w.Audited(), (Paths{"d:\\Notepad.lnk"}));
}

TEST(MainWindowModel, ADriveThatCannotBeReadKeepsThePreviousFolder) {
  Window w;
  w.folders.drives = {"c:", "a:"};
  w.folders.current_folder = "c:\\WINDOWS";
  w.AddShortcut("c:\\WINDOWS\\", "Notepad.lnk");
  w.folders.Fail("a:\\", ENXIO);
  w.model.Load();
  w.model.HighlightFolder("c:\\WINDOWS");
  EXPECT_THROW(w.model.ChangeDrive("a:"), std::system_error);
  EXPECT_EQ(w.model.drive_list.drive, "a:");
  EXPECT_EQ(w.model.folder_list.path, "c:\\WINDOWS");
  EXPECT_EQ(w.model.shortcut_list.Path(), "c:\\WINDOWS");
  EXPECT_EQ(w.model.shortcut_list.Names(), (Paths{"Notepad.lnk"}));
  EXPECT_EQ(w.model.chosen_folder, "c:\\WINDOWS");
}

TEST(MainWindowModel, OpeningAFolderEmptiesTheSelectionAndShowsItsShortcuts) {
  Window w;
  w.folders.current_folder = "C:\\A";
  w.AddShortcut("C:\\A\\", "one.lnk");
  w.AddShortcut("C:\\B\\", "two.lnk");
  w.AddShortcut("C:\\B\\", "THREE.LNK");
  w.model.Load();
  w.model.shortcut_list.SetSelected(0, true);
  w.model.SelectionChanged();
  ASSERT_EQ(w.model.selected_names.size(), 1u);
  w.model.OpenFolder("C:\\B\\");
  EXPECT_TRUE(w.model.selected_names.empty());
  EXPECT_TRUE(w.model.search_subfolders.enabled);
  EXPECT_EQ(w.model.folder_list.path, "C:\\B");
  EXPECT_EQ(w.model.chosen_folder, "C:\\B");
  EXPECT_EQ(w.model.shortcut_list.Names(), (Paths{"THREE.LNK", "two.lnk"}));
  EXPECT_FALSE(w.model.shortcut_list.Selected(0) || w.model.shortcut_list.Selected(1));
}

TEST(MainWindowModel, TheSelectionFollowsTheFileListInItsOrder) {
  Window w;
  w.folders.current_folder = "C:\\A";
  for (const char* name : {"d.lnk", "c.lnk", "b.lnk", "a.lnk"}) w.AddShortcut("C:\\A\\", name);
  w.model.Load();
  for (std::size_t i : {3, 0, 2}) w.model.shortcut_list.SetSelected(i, true);
  w.model.SelectionChanged();
  EXPECT_EQ(w.model.selected_names, (Paths{"a.lnk", "c.lnk", "d.lnk"}));
  w.model.shortcut_list.SetSelected(2, false);
  w.model.SelectionChanged();
  EXPECT_EQ(w.model.selected_names, (Paths{"a.lnk", "d.lnk"}));
  w.model.shortcut_list.ClearSelection();
  w.model.SelectionChanged();
  EXPECT_TRUE(w.model.selected_names.empty());
  w.model.shortcut_list.SetSelected(1, true);
  w.model.SelectionChanged();
  w.model.HighlightFolder("C:\\A");
  EXPECT_TRUE(w.model.selected_names.empty());
  EXPECT_FALSE(w.model.shortcut_list.Selected(1));
  EXPECT_EQ(w.model.chosen_folder, "C:\\A");
}

// --- print and copy

TEST(MainWindowModel, PrintAndCopyHandOverTheWholeReportEvenWhenEmpty) {
  Window w;
  w.model.Load();
  w.model.Print();
  w.model.Copy();
  EXPECT_EQ(w.printer.jobs, (Paths{""}));
  EXPECT_EQ(w.clipboard.calls, (Paths{"clear", "set:"}));

  w.AddShortcut("C:\\D\\", "a.lnk");
  w.model.chosen_folder = "C:\\D";
  w.model.Audit();
  const std::string report = w.model.report;
  w.model.Print();
  w.model.Print();
  w.model.Copy();
  EXPECT_EQ(w.printer.jobs, (Paths{"", report, report})) << "one job per press";
  EXPECT_EQ(w.clipboard.calls, (Paths{"clear", "set:", "clear", "set:" + report}));
  EXPECT_EQ(w.model.report, report);
}

}  // namespace
}  // namespace varnlink::window
