#include "window/main_window_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/audit_fixture.h"
#include "tests/support/compound_file_writer.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/fake_folder_listing.h"
#include "tests/support/link_writer.h"

#ifndef _WIN32
#include "audit/quarantine.h"
#include "platform/linux/linux_file_services.h"
#include "platform/linux/linux_folder_listing.h"
#include "report/report_format.h"
#include "tests/support/scratch_folder.h"
#endif

namespace varnlink::window {
namespace {

using test_support::FakeFileServices;
using test_support::FakeFolderListing;
using Paths = std::vector<std::string>;

// The printer, the clipboard and the message boxes: what each was handed, in
// order, and the mouse pointer the user sees while a message box shows.
class RecordingDesk : public window::Printer,
                      public window::Clipboard,
                      public window::MessageDialog {
 public:
  int PrintText(const std::string& text) override {
    handed.push_back("print:" + text);
    return static_cast<int>(handed.size());
  }
  void Clear() override { handed.push_back("clear"); }
  void SetText(const std::string& text) override { handed.push_back("set:" + text); }
  void Show(const std::string& text) override {
    shown.push_back(text);
    pointers.push_back(model->pointer);
  }
  const MainWindowModel* model = nullptr;
  std::vector<std::string> handed;
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
    desk.model = &model;
  }

  // The paths of the shortcuts in the report, in its order.
  [[nodiscard]] Paths Audited() const {
    Paths paths;
    for (const std::string& line : test_support::LinesOf(model.report)) {
      if (line.starts_with("LOCATION:   ")) paths.push_back(line.substr(12));
    }
    return paths;
  }

  // Adds a shortcut to `target` as `folder` + `name`.
  void AddShortcut(const std::string& folder, const std::string& name,
                   const std::string& target = "C:\\WINDOWS\\NOTEPAD.EXE") {
    folders.AddFile(folder, name);
    files.Add(folder + name, test_support::BuildLink(test_support::LocalLink(target))).times =
        test_support::TimesAt({2001, 2, 3, 4, 5, 6});
  }

  // Sets the shortcut list's selected flags of `rows` as a click would.
  void Select(std::initializer_list<std::size_t> rows, bool selected = true) {
    for (std::size_t row : rows) model.shortcut_list.SetSelected(row, selected);
    model.SelectionChanged();
  }

  // Loads the window with `folder` chosen, ready for the options and Audit.
  void LoadWithChosen(const std::string& folder) {
    model.Load();
    model.chosen_folder = folder;
  }

  FakeFileServices files;
  FakeFolderListing folders;
  RecordingDesk desk;
  MainWindowModel model{Platform{files, folders, desk, desk, desk}};
};

TEST(MainWindowModel, LoadsWithTheStartingStateOnTheCurrentFolder) {
  Window w;
  w.folders.drives = {"c:", "d:"};
  w.folders.current_folder = "C:\\WINDOWS\\Desktop";
  w.AddShortcut("C:\\WINDOWS\\Desktop\\", "b.lnk");
  w.AddShortcut("C:\\WINDOWS\\Desktop\\", "A.LNK");
  w.folders.AddFile("C:\\WINDOWS\\Desktop\\", "readme.txt");
  w.model.Load();

  EXPECT_TRUE(w.model.maximized);
  EXPECT_EQ(w.model.target_filter, audit::TargetFilter::kAll);
  EXPECT_TRUE(w.model.search_subfolders.ticked && w.model.search_subfolders.enabled);
  EXPECT_EQ(w.model.chosen_folder, "")
      << "the chosen folder waits for the user's first folder action";
  EXPECT_EQ(w.model.drive_list.drive, "c:");
  EXPECT_EQ(w.model.folder_list.path, "C:\\WINDOWS\\Desktop");
  EXPECT_EQ(w.model.shortcut_list.Names(), (Paths{"A.LNK", "b.lnk"}));
}

struct JoinCase {
  char separator;
  std::string chosen_folder;
  Paths selected;
  Paths audited;
};

// Test names without backslashes, which ctest reads as escapes.
void PrintTo(const JoinCase& c, std::ostream* out) {
  std::string folder = c.chosen_folder.empty() ? "no folder" : c.chosen_folder;
  std::ranges::replace(folder, '\\', '/');
  *out << folder << (c.separator == '\\' ? " on Windows" : " on Linux");
}

class MainWindowModelJoin : public ::testing::TestWithParam<JoinCase> {};

// A selection is audited without walking, each name joined to the chosen
// folder with one separator; with neither a folder nor a selection the walk
// starts at the root.
TEST_P(MainWindowModelJoin, JoinsTheFolderAndEachSelectedNameWithOneSeparator) {
  const JoinCase& c = GetParam();
  Window w(c.separator);
  for (const std::string& path : c.audited) {
    const auto cut = path.rfind(c.separator) + 1;
    w.AddShortcut(path.substr(0, cut), path.substr(cut));
  }
  w.LoadWithChosen(c.chosen_folder);
  w.model.selected_names = c.selected;
  w.folders.listed.clear();
  w.model.Audit();
  EXPECT_EQ(w.Audited(), c.audited);
  if (c.selected.empty()) {
    ASSERT_FALSE(w.folders.listed.empty());
    EXPECT_EQ(w.folders.listed.front(), std::string(1, c.separator));
  } else {
    EXPECT_TRUE(w.folders.listed.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, MainWindowModelJoin,
    ::testing::Values(JoinCase{'\\', "C:\\WINDOWS", {"Notepad.lnk"}, {"C:\\WINDOWS\\Notepad.lnk"}},
                      JoinCase{
                          '\\', "C:\\WINDOWS\\", {"Notepad.lnk"}, {"C:\\WINDOWS\\Notepad.lnk"}},
                      JoinCase{'\\', "C:\\", {"Notepad.lnk"}, {"C:\\Notepad.lnk"}},
                      JoinCase{'/', "/", {"b.lnk", "a.lnk"}, {"/b.lnk", "/a.lnk"}},
                      JoinCase{'/',
                               "/home/u",
                               {"z.lnk", "m.lnk", "a.lnk"},
                               {"/home/u/z.lnk", "/home/u/m.lnk", "/home/u/a.lnk"}},
                      JoinCase{'\\', "", {}, {"\\top.lnk"}}, JoinCase{'/', "", {}, {"/top.lnk"}}));

// A walk of C:\R holding `notepads` shortcuts to an .EXE, and Sub\letter.lnk to a document.
TEST(MainWindowModel, TheWalkFollowsTheFilterAndSubfolderChoiceAndCountsWhatItReports) {
  using enum audit::TargetFilter;
  const std::string letter = "C:\\R\\Sub\\letter.lnk";
  const struct {
    int notepads;
    audit::TargetFilter filter;
    bool subfolders;
    Paths audited;
    std::string result;
  } kCases[] = {
      {0, kAll, false, {}, "0 Shortcuts Found"},
      {1, kAll, false, {"C:\\R\\0.lnk"}, "1 Shortcut Found"},
      {2, kAll, false, {"C:\\R\\0.lnk", "C:\\R\\1.lnk"}, "2 Shortcuts Found"},
      {1, kAll, true, {"C:\\R\\0.lnk", letter}, "2 Shortcuts Found"},
      {1, kExe, true, {"C:\\R\\0.lnk"}, "1 Shortcut Found"},
      {1, kNonExe, true, {letter}, "1 Shortcut Found"},
  };
  for (const auto& c : kCases) {
    Window w;
    for (int i = 0; i < c.notepads; ++i) w.AddShortcut("C:\\R\\", std::to_string(i) + ".lnk");
    w.folders.AddFolder("C:\\R\\", "Sub");
    w.AddShortcut("C:\\R\\Sub\\", "letter.lnk", "C:\\My Documents\\letter.doc");
    w.LoadWithChosen("C:\\R");
    w.model.target_filter = c.filter;
    w.model.search_subfolders.ticked = c.subfolders;
    w.model.Audit();
    EXPECT_EQ(w.Audited(), c.audited) << c.result;
    EXPECT_EQ(w.model.result_text, c.result);
    EXPECT_EQ(w.model.report.empty(), c.audited.empty()) << c.result;
  }
}

// Each run starts a fresh report and warns anew: of the duplicate as it is
// found, of the folders it passed over once at its end. The hourglass shows
// while a warning waits and goes when the run ends.
TEST(MainWindowModel, EachRunReplacesTheReportAndWarnsAnewUnderTheHourglass) {
  Window w;
  w.AddShortcut("C:\\R\\", "a.lnk");
  w.folders.AddFolder("C:\\R\\", "Locked");
  w.folders.Fail("C:\\R\\Locked\\", EACCES);
  w.folders.AddFolder("C:\\R\\", "Open");
  w.AddShortcut("C:\\R\\Open\\", "b.lnk");
  w.LoadWithChosen("C:\\R");
  w.model.warn_duplicate_targets.ticked = true;
  w.model.Audit();
  w.model.AnnounceOutcome();
  const std::string first = w.model.report;
  EXPECT_EQ(w.model.result_text, "2 Shortcuts Found");
  w.model.Audit();
  w.model.AnnounceOutcome();
  EXPECT_EQ(w.model.report, first);
  const Paths run = {"Duplicate Target in Shortcut b at C:\\R\\Open\\b.lnk",
                     "1 folder could not be searched and was passed over: C:\\R\\Locked\\ (" +
                         std::generic_category().message(EACCES) + ")"};
  EXPECT_EQ(w.desk.shown, (Paths{run[0], run[1], run[0], run[1]}));
  // A duplicate holds the run under the hourglass; the closing message
  // comes once the run is over.
  EXPECT_EQ(w.desk.pointers, (std::vector{MousePointer::kHourglass, MousePointer::kDefault,
                                          MousePointer::kHourglass, MousePointer::kDefault}));
  EXPECT_EQ(w.model.pointer, MousePointer::kDefault);
}

TEST(MainWindowModel, AFailingShortcutEndsTheRunKeepingTheReportSoFar) {
  Window w;
  w.AddShortcut("C:\\D\\", "a.lnk");
  w.LoadWithChosen("C:\\D");
  w.model.selected_names = {"a.lnk", "missing.lnk", "a.lnk"};
  try {
    w.model.Audit();
    FAIL() << "expected the missing shortcut to end the run";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("C:\\D\\missing.lnk"), std::string::npos) << e.what();
  }
  EXPECT_EQ(w.Audited(), Paths{"C:\\D\\a.lnk"}) << "only the first entry";
  EXPECT_EQ(w.model.result_text, "");
  EXPECT_EQ(w.model.pointer, MousePointer::kDefault);
}

// A folder of more shortcuts than the list holds lists the first of them in
// listing order; the result line says so until an audit or another folder
// replaces it, and a walk of the whole folder is refused before any is read.
TEST(MainWindowModel, ABigFolderListsItsFirst32767ShortcutsAndRefusesAWalk) {
  Window w;
  w.AddShortcut("C:\\Small\\", "one.lnk");
  for (std::size_t i = audit::kMaxShortcutsPerRun + 1; i > 0; --i)  // "9999.lnk" is listed last
    w.folders.AddFile("C:\\Big\\", std::to_string(i) + ".lnk");
  w.model.Load();
  w.model.OpenFolder("C:\\Big");
  EXPECT_EQ(w.model.shortcut_list.Names().front(), "1.lnk");
  EXPECT_EQ(w.model.shortcut_list.Names().back(), "9998.lnk");
  EXPECT_EQ(w.model.result_text, "Showing 32767 of 32768 shortcuts");
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

  w.model.result_text = "1 Shortcut Found";
  w.model.OpenFolder("C:\\Small");
  EXPECT_EQ(w.model.result_text, "1 Shortcut Found") << "an audit's line stays";
  w.model.OpenFolder("C:\\Big");
  w.model.OpenFolder("C:\\Small");
  EXPECT_EQ(w.model.result_text, "") << "the big folder's line goes with it";
}

// The check boxes, ticked as the front ends tick them, each add their count
// at the end of the run in a message of its own.
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
    w.LoadWithChosen("C:\\R");
    w.model.CheckBoxOf(ControlId::kWarnMissingTargets)->ticked = c.missing;
    w.model.CheckBoxOf(ControlId::kWarnSuspiciousShortcuts)->ticked = c.suspicious;
    w.model.Audit();
    EXPECT_EQ(w.desk.shown, Paths{}) << "the report is ready before any message";
    w.model.AnnounceOutcome();
    w.model.AnnounceOutcome();
    EXPECT_EQ(w.desk.shown, c.shown);
    EXPECT_EQ(
        w.model.report.find("*** SUSPICIOUS SHORTCUT BELOW***\r\n(noncanonical_target; "
                            "Windows runs b.exe)\r\nSHORTCUT NAME:   b\r\n") != std::string::npos,
        c.suspicious)
        << w.model.report;
  }
}

// --- choosing drives, folders and shortcuts

// A drive that cannot be read stays chosen while everything else keeps the
// previous folder; one that can shows its root everywhere.
TEST(MainWindowModel, ChoosingADriveShowsItsRootOrKeepsThePreviousFolder) {
  Window w;
  w.folders.drives = {"c:", "a:", "d:"};
  w.folders.current_folder = "c:\\WINDOWS";
  w.AddShortcut("c:\\WINDOWS\\", "Notepad.lnk");
  w.AddShortcut("d:\\", "Notepad.lnk");
  w.folders.Fail("a:\\", ENXIO);
  w.model.Load();
  w.model.HighlightFolder("c:\\WINDOWS");
  EXPECT_THROW(w.model.ChangeDrive("a:"), std::system_error);
  EXPECT_EQ(w.model.drive_list.drive, "a:");
  EXPECT_EQ(w.model.folder_list.path, "c:\\WINDOWS");
  EXPECT_EQ(w.model.shortcut_list.Path(), "c:\\WINDOWS");
  EXPECT_EQ(w.model.shortcut_list.Names(), (Paths{"Notepad.lnk"}));
  EXPECT_EQ(w.model.chosen_folder, "c:\\WINDOWS");

  w.model.ChangeDrive("d:");
  EXPECT_EQ(w.model.folder_list.path, "d:\\");
  EXPECT_EQ(w.model.shortcut_list.Path(), "d:\\");
  EXPECT_EQ(w.model.chosen_folder, "d:\\");
  w.Select({0});
  w.model.Audit();
  EXPECT_EQ(w.Audited(), (Paths{"d:\\Notepad.lnk"}));
}

// The selection lists the names in the file list's order. "Search Sub
// Directories" is off while any is selected, enabled (not ticked) again when
// none is, and without a selection the user's choice stands. Highlighting or
// opening a folder empties the selection.
TEST(MainWindowModel, TheSelectionFollowsTheFileListAndTurnsOffSubfolderSearch) {
  Window w;
  w.folders.current_folder = "C:\\A";
  for (const char* name : {"d.lnk", "c.lnk", "b.lnk", "a.lnk"}) w.AddShortcut("C:\\A\\", name);
  for (const char* name : {"two.lnk", "THREE.LNK"}) w.AddShortcut("C:\\B\\", name);
  w.model.Load();
  CheckBox& search = w.model.search_subfolders;
  w.Select({3, 0, 2});
  EXPECT_EQ(w.model.selected_names, (Paths{"a.lnk", "c.lnk", "d.lnk"}));
  EXPECT_FALSE(search.ticked || search.enabled);
  w.Select({2}, false);
  EXPECT_EQ(w.model.selected_names, (Paths{"a.lnk", "d.lnk"}));
  EXPECT_FALSE(search.ticked || search.enabled);
  w.Select({0, 3}, false);
  EXPECT_TRUE(w.model.selected_names.empty());
  EXPECT_TRUE(search.enabled && !search.ticked);
  search.ticked = true;
  w.model.HighlightFolder("C:\\A");
  EXPECT_TRUE(search.ticked && search.enabled);

  w.Select({1});
  w.model.HighlightFolder("C:\\A");
  EXPECT_TRUE(w.model.selected_names.empty());
  EXPECT_FALSE(w.model.shortcut_list.Selected(1));
  EXPECT_EQ(w.model.chosen_folder, "C:\\A");

  w.Select({0});
  w.model.OpenFolder("C:\\B\\");
  EXPECT_TRUE(w.model.selected_names.empty());
  EXPECT_TRUE(search.enabled);
  EXPECT_EQ(w.model.folder_list.path, "C:\\B");
  EXPECT_EQ(w.model.chosen_folder, "C:\\B");
  EXPECT_EQ(w.model.shortcut_list.Names(), (Paths{"THREE.LNK", "two.lnk"}));
  EXPECT_FALSE(w.model.shortcut_list.Selected(0) || w.model.shortcut_list.Selected(1));
}

// A folder named when the window starts opens as if double-clicked; a
// shortcut file opens its folder (the current one for a bare name) with that
// shortcut selected, ready for Audit; one that is not there is an error.
TEST(MainWindowModel, APathGivenAtTheStartOpensItsFolderWithTheShortcutSelected) {
  const struct {
    char separator;
    std::string given;
    std::string folder;
    Paths selected;
  } kCases[] = {
      {'\\', "C:\\A\\B.LNK", "C:\\A", {"b.lnk"}},  // Windows ignores case
      {'\\', "C:/A/a.lnk", "C:\\A", {"a.lnk"}},
      {'\\', "C:\\A\\", "C:\\A", {}},
      {'/', "/a.lnk", "/", {"a.lnk"}},
      {'/', "b.lnk", "/home/u", {"b.lnk"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.given);
    Window w(c.separator);
    const std::string within = c.folder.ends_with(c.separator) ? c.folder : c.folder + c.separator;
    w.folders.current_folder = c.separator == '/' ? "/home/u" : "C:\\";
    for (const char* name : {"a.lnk", "b.lnk"}) w.AddShortcut(within, name);
    w.model.Load();
    w.model.OpenPath(c.given);
    EXPECT_EQ(w.model.folder_list.path, c.folder);
    EXPECT_EQ(w.model.selected_names, c.selected);
    EXPECT_EQ(w.model.search_subfolders.enabled, c.selected.empty());
    w.model.Audit();
    const Paths audited = c.selected.empty() ? Paths{within + "a.lnk", within + "b.lnk"}
                                             : Paths{within + c.selected.front()};
    EXPECT_EQ(w.Audited(), audited);
  }
  Window w('/');
  w.AddShortcut("/home/u/", "a.lnk");
  w.folders.current_folder = "/";
  w.model.Load();
  EXPECT_THROW(w.model.OpenPath("/home/u/gone.lnk"), std::runtime_error);
  EXPECT_TRUE(w.model.selected_names.empty());
}

// A jump list named at the start is selected with "Include Jump Lists" ticked and audited as
// each shortcut it keeps; the box lists the folder again, keeping what stays selected.
TEST(MainWindowModel, IncludeJumpListsListsJumpListsAndAuditsEachShortcutTheyKeep) {
  Window w;
  const std::string name = "1b4dd67f29cb1962.automaticDestinations-ms", path = "C:\\R\\" + name;
  const test_support::Bytes link = test_support::BuildLink(test_support::LocalLink("C:\\a.txt"));
  w.folders.current_folder = "C:\\R";
  w.AddShortcut("C:\\R\\", "a.lnk");
  w.folders.AddFile("C:\\R\\", name);
  w.files.Add(path, test_support::WriteCompoundFile({{"1", link}, {"1f", link}}).bytes);
  w.model.Load();
  w.model.OpenPath(path);  // the folder open already
  w.model.Audit();
  EXPECT_EQ(w.Audited(), (Paths{path + "#1", path + "#1f"}));
  EXPECT_NE(w.model.report.find("NAME:   Windows Explorer Pinned and Recent #1f\r\n"),
            std::string::npos);
  w.Select({1});  // a.lnk as well
  for (const bool ticked : {false, true}) {
    w.model.CheckBoxClicked(ControlId::kIncludeJumpLists, ticked);
    EXPECT_EQ(w.model.shortcut_list.Names(), (ticked ? Paths{name, "a.lnk"} : Paths{"a.lnk"}));
    EXPECT_EQ(w.model.selected_names, Paths{"a.lnk"});
  }
  w.model.HighlightFolder("C:\\R");  // a walk, which reads jump lists while the box is ticked
  w.model.Audit();
  EXPECT_EQ(w.Audited(), (Paths{"C:\\R\\a.lnk", path + "#1", path + "#1f"}));
}

// --- print and copy

TEST(MainWindowModel, PrintAndCopyHandOverTheWholeReportEvenWhenEmpty) {
  Window w;
  w.model.Load();
  w.model.Print();
  w.model.Copy();
  w.AddShortcut("C:\\D\\", "a.lnk");
  w.model.chosen_folder = "C:\\D";
  w.model.Audit();
  const std::string report = w.model.report;
  w.model.Print();
  w.model.Print();  // one job per press
  w.model.Copy();
  EXPECT_EQ(w.desk.handed, (Paths{"print:", "clear", "set:", "print:" + report, "print:" + report,
                                  "clear", "set:" + report}));
  EXPECT_EQ(w.model.report, report);
}


#ifndef _WIN32
// Quarantine… and Restore… over real files: a folder of two shortcuts, one to
// a file on the mapped C: and one to a file that is not there.
class CleanUpDesk : public FolderPicker, public QuestionDialog, public MessageDialog {
 public:
  std::optional<std::string> PickFolder(const std::string& /*title*/) override {
    ++picked;
    return folder;
  }
  bool Ask(const std::string& text) override {
    asked.push_back(text);
    return ok;
  }
  void Show(const std::string& text) override { shown.push_back(text); }
  std::optional<std::string> folder;
  bool ok = true;
  int picked = 0;
  std::vector<std::string> asked;
  std::vector<std::string> shown;
};

struct CleanUpWindow {
  CleanUpWindow() {
    std::filesystem::create_directories(scratch.Path() / "disk" / "Windows");
    test_support::WriteFileBytes(scratch.Path() / "disk" / "Windows" / "notepad.exe", {'M', 'Z'});
    std::filesystem::create_directories(scratch.Path() / "links");
    found = scratch.Write("links/found.lnk",
                          test_support::BuildLink(test_support::LocalLink("C:\\Windows\\notepad.exe")));
    gone = scratch.Write("links/gone.lnk",
                         test_support::BuildLink(test_support::LocalLink("C:\\Windows\\gone.exe")));
    gone_bytes = ReadAll(gone);
    model.target_check.drives = {{'C', scratch.PathOf("disk")}};
    model.chosen_folder = scratch.PathOf("links");
    model.warn_missing_targets.ticked = true;
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  test_support::ScratchFolder scratch;
  std::string found;
  std::string gone;
  std::string gone_bytes;
  platform::LinuxFileServices files;
  platform::LinuxFolderListing folders;
  RecordingDesk desk;
  CleanUpDesk clean_up;
  MainWindowModel model{Platform{files, folders, clean_up, desk, desk},
                        CleanUpServices{clean_up, clean_up, platform::SystemFileMover()}};
};

struct QuarantineCase {
  const char* name;
  bool picked;  // the picker answers with a folder, else it is cancelled
  bool ok;      // the question's answer
  bool moves;
};

class QuarantineButton : public ::testing::TestWithParam<QuarantineCase> {};

TEST_P(QuarantineButton, MovesOnlyTheShortcutWhoseTargetIsNotThereAndOnlyOnOk) {
  const QuarantineCase c = GetParam();
  CleanUpWindow w;
  w.model.Audit();
  ASSERT_TRUE(w.model.quarantine_enabled);
  const std::string audited_report = w.model.report;
  const std::string place = w.scratch.PathOf("quarantine/1/gone.lnk");
  if (c.picked) w.clean_up.folder = w.scratch.PathOf("quarantine");
  w.clean_up.ok = c.ok;
  w.model.Quarantine();

  EXPECT_EQ(w.clean_up.asked.size(), c.picked ? 1U : 0U);
  if (c.picked) {
    EXPECT_NE(w.clean_up.asked[0].find("1 shortcut of "), std::string::npos);
  }
  EXPECT_TRUE(std::filesystem::exists(w.found));
  EXPECT_EQ(std::filesystem::exists(w.gone), !c.moves);
  EXPECT_EQ(std::filesystem::exists(place), c.moves);
  if (!c.moves) {
    EXPECT_EQ(w.model.report, audited_report);
    EXPECT_TRUE(w.clean_up.shown.empty());
    return;
  }
  EXPECT_EQ(CleanUpWindow::ReadAll(place), w.gone_bytes);
  const std::string marked = std::string(report::kQuarantinedMarker) + "\r\n";
  const std::size_t mark = w.model.report.find(marked);
  ASSERT_NE(mark, std::string::npos);
  EXPECT_EQ(w.model.report.find(marked, mark + 1), std::string::npos) << "one shortcut marked";
  EXPECT_NE(w.model.report.find("(moved to " + place + ")"), std::string::npos);
  EXPECT_EQ(w.clean_up.shown,
            (Paths{"Quarantined 1 shortcut to " + w.scratch.PathOf("quarantine") +
                   "; the report marks each."}));

  w.model.Restore();
  EXPECT_EQ(CleanUpWindow::ReadAll(w.gone), w.gone_bytes);
  EXPECT_FALSE(std::filesystem::exists(place));
  ASSERT_EQ(w.clean_up.shown.size(), 2U);
  EXPECT_NE(w.clean_up.shown[1].find(": 1 shortcut; left in quarantine: 0"), std::string::npos)
      << w.clean_up.shown[1];
}

INSTANTIATE_TEST_SUITE_P(Answers, QuarantineButton,
                         ::testing::Values(QuarantineCase{"Ok", true, true, true},
                                           QuarantineCase{"Cancel", true, false, false},
                                           QuarantineCase{"NoFolder", false, true, false}),
                         [](const auto& row) { return std::string(row.param.name); });

// Refused before anything moves: a quarantine inside the audited folder, and
// on Linux any quarantine without a drive C: given.
TEST(QuarantineButton, MovesNothingWhereItCannotTellOrMayNotPut) {
  {
    CleanUpWindow w;
    w.model.Audit();
    w.clean_up.folder = w.scratch.PathOf("links/quarantine");
    EXPECT_THROW(w.model.Quarantine(), audit::QuarantineRefused);
    EXPECT_TRUE(std::filesystem::exists(w.gone));
  }
  {
    CleanUpWindow w;
    w.model.target_check.drives.clear();
    w.model.Audit();
    w.clean_up.folder = w.scratch.PathOf("quarantine");
    w.model.Quarantine();
    EXPECT_EQ(w.clean_up.picked, 0);
    ASSERT_EQ(w.clean_up.shown.size(), 1U);
    EXPECT_NE(w.clean_up.shown[0].find("--map C:=FOLDER"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(w.gone));
  }
}
#endif

}  // namespace
}  // namespace varnlink::window
