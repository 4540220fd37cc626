// The missing-target check as the audit run uses it: a target's text, its
// source and the shortcut's place in, an outcome with its reason and the
// path looked at out, over a small in-memory disk.

#include "checks/target_check.h"

#include <gtest/gtest.h>

#include "tests/support/audit_fixture.h"
#include "tests/support/fake_target_files.h"

namespace varnlink::checks {
namespace {
using lnk::TargetSource;
using Reason = std::optional<NotCheckedReason>;
using test_support::FakeTargetFiles;

constexpr auto kFound = TargetOutcome::kFound;
constexpr auto kMissing = TargetOutcome::kMissing;
constexpr auto kNotChecked = TargetOutcome::kNotChecked;
constexpr const char* kDesktop = "/disk/Users/ann/Desktop/a.lnk";

// A Windows disk mounted at /disk (C:), and an old one at /old.
void AddMountedDisks(FakeTargetFiles& disk) {
  disk.AddFile("/disk/Windows/notepad.exe");
  disk.AddFile("/disk/Program Files/App/app.exe");
  disk.AddFolder("/disk/Docs");
  disk.AddFolder("/disk/Users/ann/Desktop");
  disk.AddFile("/disk/Users/ann/AppData/Roaming/notes.txt");
  disk.AddFile("/disk/Documents and Settings/bob/Application Data/old.txt");
  disk.AddLink("/disk/Link", "Program Files");   // stays on the disk
  disk.AddLink("/disk/Out", "../outside");       // leaves it
  disk.AddLink("/disk/Abs", "/outside/secret");  // leaves it
  disk.AddLink("/disk/AbsIn", "/disk/Windows");  // stays on it
  disk.AddLink("/disk/Loop", "Loop");
  disk.AddLink("/disk/Docs/Pad", "../Windows/notepad.exe");
  disk.AddFile("/outside/secret");
  disk.AddFile("/old/WINNT/system32/x.exe");
  disk.AddUnsearchable("/disk/Locked");
  disk.windows_volume = "/disk";
}

// The running Windows system: drives, environment and files.
void AddLiveSystem(FakeTargetFiles& system) {
  system.AddFile("C:\\Windows\\notepad.exe");
  system.AddFile("C:\\Users\\other\\AppData\\Roaming\\x.txt");
  system.AddFile("C:\\Users\\me\\Roaming\\mine.txt");
  system.drives = {{'C', platform::DriveKind::kLocal},
                   {'N', platform::DriveKind::kNetwork},
                   {'R', platform::DriveKind::kNoMedium}};
  system.variables = {{"windir", "C:\\Windows"},
                      {"USERPROFILE", "C:\\Users\\me"},
                      {"APPDATA", "C:\\Users\\me\\Roaming"}};
}

struct CheckCase {
  const char* name;
  std::string target;
  TargetSource source;
  TargetOutcome outcome;
  Reason reason;
  std::optional<std::string> checked;
  std::string location = kDesktop;
  bool live = false;
  // C: maps to this folder; empty: C: is found as the volume holding the location.
  std::string drive_c = "/disk";
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class TargetCheckTable : public ::testing::TestWithParam<CheckCase> {};

TEST_P(TargetCheckTable, GivesTheOutcomeTheReasonAndThePathLookedAt) {
  const CheckCase& c = GetParam();
  FakeTargetFiles files(c.live);
  if (c.live)
    AddLiveSystem(files);
  else
    AddMountedDisks(files);
  TargetCheckSettings settings;
  if (!c.live && !c.drive_c.empty()) settings.drives.emplace_back('C', c.drive_c);
  settings.variables.emplace_back("approot", "C:\\Program Files\\App");
  TargetCheck check(files, settings, c.location.substr(0, c.location.rfind('/')));
  lnk::ShortcutInfo info;
  info.target = c.target;
  info.target_source = c.source;
  const TargetStatus status = check.Check(info, c.location);
  EXPECT_EQ(OutcomeName(status.outcome), OutcomeName(c.outcome));
  EXPECT_EQ(status.reason, c.reason) << (status.reason ? ReasonName(*status.reason) : "");
  EXPECT_EQ(status.checked_path, c.checked);
  // Only a missing target the system said is not there may be moved aside:
  // not a name no file can have, a link out of the disk, nor a folder that
  // may not be searched.
  const std::string name = c.name;
  const bool said_absent = c.outcome == kMissing && name != "NulCannotCutTheNameShort" &&
                           name.find("OutOfTheDisk") == std::string::npos && name != "LinkLoop" &&
                           name != "UnsearchableFolder";
  EXPECT_EQ(status.absent, said_absent);
}

constexpr auto kLink = TargetSource::kLinkInfo;
constexpr auto kEnv = TargetSource::kEnvironment;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Targets, TargetCheckTable, ::testing::Values(
    CheckCase{"CaseDiffers", "C:\\WINDOWS\\NOTEPAD.EXE", kLink, kFound, {}, "/disk/Windows/notepad.exe"},
    CheckCase{"RemovedProgram", "C:\\Program Files\\Gone\\gone.exe", kLink, kMissing, {},
              "/disk/Program Files/Gone/gone.exe"},
    CheckCase{"Folder", "C:\\Docs\\", kLink, kFound, {}, "/disk/Docs"},
    CheckCase{"FileInThePathsMiddle", "C:\\Windows\\notepad.exe\\x", kLink, kMissing, {},
              "/disk/Windows/notepad.exe/x"},
    CheckCase{"DotDotNeverAboveTheRoot", "C:\\..\\Docs\\..\\..\\Windows\\.\\notepad.exe", kLink, kFound,
              {}, "/disk/Windows/notepad.exe"},
    CheckCase{"TrailingDotsAndBlanks", "C:\\Windows. \\notepad.exe.", kLink, kFound, {},
              "/disk/Windows/notepad.exe"},
    CheckCase{"NulCannotCutTheNameShort", std::string("C:\\Windows\\notepad.exe\0x", 24), kLink, kMissing, {},
              std::string("/disk/Windows/notepad.exe\0x", 27)},
    CheckCase{"ShortName", "C:\\PROGRA~1\\App\\app.exe", kLink, kNotChecked, NotCheckedReason::kShortName,
              "/disk/PROGRA~1/App/app.exe"},
    CheckCase{"LinkInsideTheDisk", "C:\\LINK\\app\\APP.EXE", kLink, kFound, {}, "/disk/Link/App/app.exe"},
    CheckCase{"LinkToAFileByItsOwnName", "C:\\docs\\PAD", kLink, kFound, {}, "/disk/Docs/Pad"},
    CheckCase{"AbsoluteLinkInsideTheDisk", "C:\\AbsIn\\notepad.exe", kLink, kFound, {},
              "/disk/AbsIn/notepad.exe"},
    CheckCase{"LinkOutOfTheDisk", "C:\\Out\\secret", kLink, kMissing, {}, "/disk/Out/secret"},
    CheckCase{"AbsoluteLinkOutOfTheDisk", "C:\\Abs", kLink, kMissing, {}, "/disk/Abs"},
    CheckCase{"LinkLoop", "C:\\Loop\\x", kLink, kMissing, {}, "/disk/Loop/x"},
    CheckCase{"UnsearchableFolder", "C:\\Locked\\x.exe", kLink, kMissing, {}, "/disk/Locked/x.exe"},
    CheckCase{"Windir", "%windir%\\Notepad.exe", kEnv, kFound, {}, "/disk/Windows/notepad.exe"},
    CheckCase{"WinntWhereOnlyThatExists", "%SystemRoot%\\system32\\x.exe", kEnv, kFound, {},
              "/old/WINNT/system32/x.exe", kDesktop, false, "/old"},
    CheckCase{"ProfileFromTheLocation", "%USERPROFILE%\\AppData\\Roaming\\notes.txt", kEnv, kFound, {},
              "/disk/Users/ann/AppData/Roaming/notes.txt"},
    CheckCase{"XpProfile", "%APPDATA%\\old.txt", kEnv, kFound, {},
              "/disk/Documents and Settings/bob/Application Data/old.txt",
              "/disk/Documents and Settings/bob/Desktop/a.lnk"},
    CheckCase{"NoProfile", "%USERPROFILE%\\x", kEnv, kNotChecked, NotCheckedReason::kUnknownVariable, {},
              "/disk/Docs/a.lnk"},
    CheckCase{"UnknownVariable", "%NOSUCH%\\x", kEnv, kNotChecked, NotCheckedReason::kUnknownVariable, {}},
    CheckCase{"GivenVariableWins", "%APPROOT%\\app.exe", kEnv, kFound, {}, "/disk/Program Files/App/app.exe"},
    CheckCase{"PercentOutsideTheEnvironmentBlock", "C:\\Docs\\100%\\a%b%", kLink, kMissing, {},
              "/disk/Docs/100%/a%b%"},
    CheckCase{"AutomaticC", "C:\\Windows\\notepad.exe", kLink, kFound, {}, "/disk/Windows/notepad.exe",
              kDesktop, false, ""},
    CheckCase{"AutomaticCOffTheVolume", "C:\\Windows\\notepad.exe", kLink, kNotChecked,
              NotCheckedReason::kUnmappedDrive, {}, "/home/a.lnk", false, ""},
    CheckCase{"OtherDrive", "D:\\Games\\x.exe", kLink, kNotChecked, NotCheckedReason::kUnmappedDrive, {}},
    CheckCase{"NetworkPath", "\\\\server\\share\\x.doc", kLink, kNotChecked, NotCheckedReason::kNetworkPath, {}},
    CheckCase{"RawNetworkPath", "\\\\?\\UNC\\server\\share", kLink, kNotChecked, NotCheckedReason::kNetworkPath, {}},
    CheckCase{"Device", "\\\\.\\PhysicalDrive0", kLink, kNotChecked, NotCheckedReason::kUnmappedDrive, {}},
    CheckCase{"ShellFolder", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", TargetSource::kIdList, kNotChecked,
              NotCheckedReason::kShellNamespace, {}},
    CheckCase{"AppsFolder", "shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App",
              TargetSource::kIdList, kNotChecked, NotCheckedReason::kPackagedApp, {}},
    CheckCase{"AppId", "Microsoft.WindowsCalculator_8wekyb3d8bbwe!App", TargetSource::kAppId, kNotChecked,
              NotCheckedReason::kPackagedApp, {}},
    CheckCase{"Address", "https://example.com/a:b", TargetSource::kIdList, kNotChecked,
              NotCheckedReason::kAddress, {}},
    CheckCase{"Relative", "notepad.exe", kLink, kNotChecked, NotCheckedReason::kRelativePath, {}},
    CheckCase{"DriveRelative", "C:notepad.exe", kLink, kNotChecked, NotCheckedReason::kRelativePath, {}},
    CheckCase{"Empty", "", TargetSource::kNone, kNotChecked, NotCheckedReason::kEmpty, {}},
    CheckCase{"LiveFound", "%windir%\\notepad.exe", kEnv, kFound, {}, "C:\\Windows\\notepad.exe",
              "C:\\Users\\me\\Desktop\\a.lnk", true},
    CheckCase{"LiveMissing", "C:\\Windows\\gone.exe", kLink, kMissing, {}, "C:\\Windows\\gone.exe",
              "C:\\Users\\me\\Desktop\\a.lnk", true},
    CheckCase{"LiveOwnProfile", "%APPDATA%\\mine.txt", kEnv, kFound, {}, "C:\\Users\\me\\Roaming\\mine.txt",
              "C:\\Users\\me\\Desktop\\a.lnk", true},
    CheckCase{"LiveOtherUsersProfile", "%APPDATA%\\x.txt", kEnv, kFound, {},
              "C:\\Users\\other\\AppData\\Roaming\\x.txt", "C:\\Users\\other\\Desktop\\a.lnk", true},
    CheckCase{"LiveNetworkDrive", "N:\\x.doc", kLink, kNotChecked, NotCheckedReason::kNetworkPath, {},
              "C:\\a.lnk", true},
    CheckCase{"LiveNoMedium", "R:\\setup.exe", kLink, kNotChecked, NotCheckedReason::kNoMedium, {},
              "C:\\a.lnk", true},
    CheckCase{"LiveNoSuchDrive", "Q:\\x.exe", kLink, kNotChecked, NotCheckedReason::kUnmappedDrive, {},
              "C:\\a.lnk", true}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST(TargetCheck, LooksAtEachDistinctPathOnceAndListsEachFolderOnce) {
  FakeTargetFiles files;
  AddMountedDisks(files);
  TargetCheck check(files, {{{'C', "/disk"}}, {}}, "/disk");
  lnk::ShortcutInfo info;
  info.target_source = TargetSource::kLinkInfo;
  for (const char* target :
       {"C:\\Windows\\notepad.exe", "C:\\Windows\\notepad.exe", "C:\\windows\\a.exe",
        "C:\\windows\\b.exe", "C:\\WINDOWS\\NOTEPAD.EXE", "C:\\Windows\\notepad.exe"}) {
    info.target = target;
    (void)check.Check(info, kDesktop);
  }
  for (const auto& [path, times] : files.looks) EXPECT_EQ(times, 1) << path;
  EXPECT_EQ(files.looks.count("/disk/Windows/notepad.exe"), 1u);
  EXPECT_EQ(files.listings["/disk"], 1) << "\"windows\" is looked up in the listing of /disk once";
  EXPECT_EQ(files.listings["/disk/Windows"], 1);
  EXPECT_EQ(check.Summary(), "Targets not found: 2; not checked: 0");
}

// Through the audit run: markers after the duplicate's, masked, and the
// count as the run's last message.
using TargetCheckRun = test_support::AuditTest;

TEST_F(TargetCheckRun, MarksAMissingTargetBelowTheDuplicateMarkersAndCountsAtTheEnd) {
  AddLink("C:\\L\\a.lnk", test_support::LocalLink("C:\\Gone\\a\tb.exe"));
  AddLink("C:\\L\\b.lnk", test_support::LocalLink("C:\\Gone\\a\tb.exe"));
  AddLink("C:\\L\\c.lnk", test_support::LocalLink("\\\\server\\share\\x.doc"));
  FakeTargetFiles disk;
  AddMountedDisks(disk);
  audit::AuditRequest request;
  request.folder = "C:\\L\\";
  request.selected_names = {"a.lnk", "b.lnk", "c.lnk"};
  request.options.warn_duplicate_targets = true;
  request.options.check_targets = true;
  request.target_check.drives.emplace_back('C', "/disk");
  for (const std::string& message :
       audit::AuditRun(files, folders, disk).Run(request, sink).closing_messages) {
    messages.Show(message);
  }

  const std::vector<std::string> lines = test_support::LinesOf(Report());
  ASSERT_GE(lines.size(), 22u);
  EXPECT_EQ(lines[0], "*** MISSING TARGET IN SHORTCUT BELOW***");
  EXPECT_EQ(lines[1], "(looked for /disk/Gone/a?b.exe)");
  EXPECT_EQ(lines[11], "*** DUPLICATE TARGET IN SHORTCUT BELOW***");
  EXPECT_EQ(lines[13], "*** MISSING TARGET IN SHORTCUT BELOW***");
  EXPECT_EQ(lines[14], "(looked for /disk/Gone/a?b.exe)");
  EXPECT_EQ(lines[15], "SHORTCUT NAME:   b");
  ASSERT_FALSE(messages.shown.empty());
  EXPECT_EQ(messages.shown.back(), "Targets not found: 2; not checked: 1");
}

}  // namespace
}  // namespace varnlink::checks
