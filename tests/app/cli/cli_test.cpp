// varnlink-cli end to end: the built program on real folders, its stdout
// compared byte for byte with what "Copy" hands over for the same run.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>

#include "platform/linux/linux_file_services.h"
#include "tests/app/cli/cli_runner.h"
#include "platform/linux/linux_folder_listing.h"
#include "report/record_fields.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/link_writer.h"
#include "tests/support/scratch_folder.h"
#include "window/main_window_model.h"


namespace varnlink::app::cli {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Lines LinesOf(const std::string& text) {
  Lines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

// A clipboard that keeps what Copy hands over, and a printer that takes nothing.
class CopyingClipboard : public window::Clipboard, public window::Printer {
 public:
  void Clear() override { text.clear(); }
  void SetText(const std::string& t) override { text = t; }
  int PrintText(const std::string&) override { return 0; }
  std::string text;
};

// What the window's Copy puts on the clipboard after auditing `names` (or
// walking) in `folder` with the choices the command line's `options` make.
std::string CopiedReport(const std::string& folder, const Lines& names, const Lines& options) {
  platform::LinuxFileServices files;
  platform::LinuxFolderListing folders;
  test_support::RecordingMessageDialog messages;
  CopyingClipboard clipboard;
  window::MainWindowModel model(window::Platform{files, folders, messages, clipboard, clipboard});
  model.Load();
  model.OpenFolder(folder);
  model.selected_names = names;  // in the order given, which need not be the list's
  for (const std::string& option : options) {
    if (option == "--no-subfolders") model.search_subfolders.ticked = false;
    if (option == "--warn-duplicates") model.warn_duplicate_targets.ticked = true;
    if (option == "--warn-duplicate-arguments") model.warn_duplicate_arguments.ticked = true;
    if (option == "--exe") model.target_filter = audit::TargetFilter::kExe;
    if (option == "--non-exe") model.target_filter = audit::TargetFilter::kNonExe;
  }
  try {
    model.Audit();
    model.AnnounceOutcome();
  } catch (const std::exception&) {
  }
  model.Copy();
  return clipboard.text;
}

class CliOnDisk : public ::testing::Test {
 protected:
  CliOnDisk() : dir(scratch.Path().string()) {
    for (const char* name : {"a.lnk", "b.lnk"}) Link(name, "C:\\WINDOWS\\NOTEPAD.EXE");
    fs::create_directory(scratch.Path() / "Sub");
    Link("Sub/c.lnk", "C:\\My Documents\\letter.doc");
    scratch.Write("notes.lnk.txt", test_support::BytesOf("not a shortcut"));
  }
  void Link(const std::string& name, const std::string& target) {
    scratch.Write(name, test_support::BuildLink(test_support::LocalLink(target)));
  }

  test_support::ScratchFolder scratch;
  std::string dir;
};

struct CliCase {
  const char* why;
  Lines arguments;                 // "{dir}" stands for the folder
  std::optional<Lines> selection;  // the window's report of these names; none: no report
  Lines err;                       // "{dir}" likewise
  int exit_code = 0;
};

void PrintTo(const CliCase& c, std::ostream* out) { *out << c.why; }

class CliRuns : public CliOnDisk, public ::testing::WithParamInterface<CliCase> {
 protected:
  Lines Expand(Lines texts) const {
    for (std::string& text : texts) {
      for (std::size_t at; (at = text.find("{dir}")) != std::string::npos;) {
        text.replace(at, 5, dir);
      }
    }
    return texts;
  }
};

// stdout is what Copy hands over for the same choices; a failure ends the run
// with the report so far and exit code 1.
TEST_P(CliRuns, MatchTheWindowForTheSameChoices) {
  const CliCase& c = GetParam();
  const Outcome run = RunCli(Expand(c.arguments));
  EXPECT_EQ(run.exit_code, c.exit_code) << run.err;
  EXPECT_EQ(run.out, c.selection ? CopiedReport(dir, *c.selection, c.arguments) : "");
  EXPECT_EQ(LinesOf(run.err), Expand(c.err));
  for (std::size_t at = run.out.find('\n'); at != std::string::npos;
       at = run.out.find('\n', at + 1)) {
    ASSERT_TRUE(at > 0 && run.out[at - 1] == '\r') << "a line ends without CR at byte " << at;
  }
}

const CliCase kRuns[] = {
    {"the whole tree", {"{dir}"}, Lines{}, {"3 Shortcuts Found"}},
    {"folder only, no sub-folders", {"--no-subfolders", "{dir}"}, Lines{}, {"2 Shortcuts Found"}},
    {"a trailing separator changes nothing",
     {"{dir}/", "b.lnk"},
     Lines{"b.lnk"},
     {"1 Shortcut Found"}},
    {"the selection, in its order, with a duplicate warning",
     {"--warn-duplicates", "{dir}", "b.lnk", "a.lnk", "--no-subfolders"},
     Lines{"b.lnk", "a.lnk"},
     {"Duplicate Target in Shortcut a at {dir}/a.lnk", "2 Shortcuts Found"}},
    {"without arguments only the target repeats",
     {"--warn-duplicates", "--warn-duplicate-arguments", "{dir}", "a.lnk", "b.lnk"},
     Lines{"a.lnk", "b.lnk"},
     {"Duplicate Target in Shortcut b at {dir}/b.lnk", "2 Shortcuts Found"}},
    {".EXE targets only", {"--exe", "{dir}"}, Lines{}, {"2 Shortcuts Found"}},
    {"other targets only", {"{dir}", "--non-exe"}, Lines{}, {"1 Shortcut Found"}},
    {"a shortcut that is not there",
     {"{dir}", "a.lnk", "missing.lnk", "b.lnk"},
     Lines{"a.lnk"},
     {"varnlink-cli: {dir}/missing.lnk: cannot open the shortcut: it does not exist"},
     1},
    {"a shortcut file alone", {"{dir}/b.lnk"}, Lines{"b.lnk"}, {"1 Shortcut Found"}},
    {"a folder and its files as a shell glob names them: each shortcut once",
     {"{dir}", "{dir}/a.lnk", "{dir}/b.lnk"},
     Lines{},
     {"3 Shortcuts Found"}},
    {"files first, one spelt another way, then the folder holding them",
     {"{dir}/Sub/c.lnk", "{dir}/Sub/../a.lnk", "{dir}/"},
     Lines{"Sub/c.lnk", "Sub/../a.lnk", "b.lnk"},
     {"3 Shortcuts Found"}},
    {"a path that is not there ends the run",
     {"{dir}/a.lnk", "{dir}/nowhere", "{dir}/b.lnk"},
     Lines{"a.lnk"},
     {"varnlink-cli: {dir}/nowhere: cannot open the shortcut: it does not exist"},
     1},
};

INSTANTIATE_TEST_SUITE_P(Choices, CliRuns, ::testing::ValuesIn(kRuns));

// Names are audited as given, without listing the folder, so a folder of
// more shortcuts than one run may audit still yields the ones named. Walked,
// the text report refuses it before auditing any and says how to audit it;
// records have no limit.
TEST_F(CliOnDisk, AFolderBeyondTheLimitIsRefusedInTextAndStreamedAsRecords) {
  constexpr int kEmptyFiles = 32800;
  for (int i = 0; i < kEmptyFiles; ++i) {
    const std::string path = scratch.PathOf("many" + std::to_string(i) + ".lnk");
    ::close(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
  }
  const Outcome named = RunCli({dir, "b.lnk"});
  EXPECT_EQ(named.exit_code, 0) << named.err;
  EXPECT_EQ(LinesOf(named.err), Lines{"1 Shortcut Found"});

  const Outcome text = RunCli({dir});
  EXPECT_EQ(text.exit_code, 1);
  EXPECT_EQ(text.out, "");
  EXPECT_EQ(LinesOf(text.err),
            Lines{"varnlink-cli: " + dir +
                  "/: more than 32767 shortcuts found, more than one run "
                  "can audit; nothing was audited. Choose a smaller folder or select the shortcuts "
                  "to audit, or use --format jsonl or --format csv."});

  const Outcome records = RunCli({"--format", "jsonl", dir});
  EXPECT_EQ(records.exit_code, 3) << "the empty files are no shortcuts";
  const std::size_t count = kEmptyFiles + 3;
  EXPECT_EQ(LinesOf(records.out).size(), count);
  EXPECT_EQ(LinesOf(records.err), Lines{std::to_string(count) + " Shortcuts Found"});
}

// The run a fleet or a script relies on: a shortcut that cannot be audited
// is a record saying why, the rest are audited, and the status tells.
// A custom jump list of the user's tasks holding `links`, then `after`.
test_support::Bytes CustomJumpList(const std::vector<test_support::Bytes>& links,
                                   const test_support::Bytes& after) {
  using test_support::AppendBytes;
  using test_support::AppendU32;
  test_support::Bytes list;
  for (const std::uint32_t value : {2u, 1u, 0u, 2u}) AppendU32(list, value);  // tasks
  AppendU32(list, static_cast<std::uint32_t>(links.size()));
  for (const test_support::Bytes& link : links) {
    AppendBytes(list, test_support::GuidBytes("{00021401-0000-0000-C000-000000000046}"));
    AppendBytes(list, link);
  }
  AppendU32(list, 0xBABFFBAB);
  AppendBytes(list, after);
  return list;
}

// A jump list that does not hold together gives its shortcuts, and the rest
// is passed over (the report: named at the end, exit 3) or an error record
// that keeps the jump list's fields (records, exit 3).
TEST(CliJumpLists, WhatADamagedListCannotGiveIsPassedOverOrAnErrorRecord) {
  test_support::ScratchFolder scratch;
  const std::string list = scratch.Write(
      "5f7b5f1e01b83767.customDestinations-ms",
      CustomJumpList({test_support::BuildLink(test_support::LocalLink("C:\\A.EXE"))},
                     test_support::BytesOf("not a link, only trailing junk")));
  scratch.Write("b.lnk", test_support::BuildLink(test_support::LocalLink("C:\\B.EXE")));

  const Outcome text = RunCli({"--jump-lists", scratch.Path().string()});
  EXPECT_EQ(text.exit_code, 3) << text.err;
  EXPECT_NE(text.out.find("SHORTCUT NAME:   Windows Explorer Quick Access #0\r\nLOCATION:   " + list + "#0"),
            std::string::npos) << text.out;
  EXPECT_NE(text.out.find("C:\\B.EXE"), std::string::npos) << "the run goes on";
  EXPECT_NE(text.err.find("1 part of a jump list could not be read and was passed over: " + list +
                          " (the jump list does not hold together: "),
            std::string::npos) << text.err;

  const Outcome jsonl = RunCli({"--format", "jsonl", list});
  EXPECT_EQ(jsonl.exit_code, 3);
  const Lines lines = LinesOf(jsonl.out);
  ASSERT_EQ(lines.size(), 2u) << jsonl.out;
  const nlohmann::json kept = nlohmann::json::parse(lines[0]);
  const nlohmann::json failed = nlohmann::json::parse(lines[1]);
  EXPECT_EQ(kept["target"], "C:\\A.EXE");
  EXPECT_EQ(kept["category"], "Tasks");
  EXPECT_EQ(failed["path"], list);
  EXPECT_EQ(failed["container"], list);
  EXPECT_EQ(failed["app_name"], "Windows Explorer Quick Access");
  EXPECT_TRUE(failed["error"].get<std::string>().starts_with("the jump list does not hold together"));
}

TEST(CliRecords, AShortcutThatCannotBeAuditedIsARecordWithItsErrorAndTheRunGoesOn) {
  test_support::ScratchFolder scratch;
  const std::string dir = scratch.Path().string();
  scratch.Write("a.lnk", test_support::BuildLink(test_support::LocalLink("C:\\A.EXE")));
  scratch.Write("b.lnk", test_support::Bytes(10, 'x'));
  scratch.Write("c.lnk", test_support::BuildLink(test_support::LocalLink("C:\\C.EXE")));
  const std::string cause = "not a shortcut: the file is only 10 bytes long";

  const Outcome jsonl = RunCli({"--format", "jsonl", dir});
  EXPECT_EQ(jsonl.exit_code, 3);
  EXPECT_EQ(LinesOf(jsonl.err), Lines{"3 Shortcuts Found"});
  const Lines lines = LinesOf(jsonl.out);
  ASSERT_EQ(lines.size(), 3u) << jsonl.out;
  std::vector<nlohmann::json> parsed;
  for (const std::string& line : lines) parsed.push_back(nlohmann::json::parse(line));
  EXPECT_EQ(parsed[0]["target"], "C:\\A.EXE");
  EXPECT_EQ(parsed[1]["path"], dir + "/b.lnk");
  EXPECT_EQ(parsed[1]["name"], "b");
  EXPECT_EQ(parsed[1]["error"], cause);
  for (const report::RecordField& field : report::RecordFields()) {
    const std::string name(field.name);
    if (name != "path" && name != "name" && name != "error") {
      EXPECT_TRUE(parsed[1].at(name).is_null()) << name << " of a shortcut that failed";
    }
  }
  EXPECT_EQ(parsed[2]["target"], "C:\\C.EXE");
  EXPECT_TRUE(parsed[2]["error"].is_null());

  const Outcome csv = RunCli({"--format=csv", dir});
  EXPECT_EQ(csv.exit_code, 3);
  const Lines rows = LinesOf(csv.out);
  ASSERT_EQ(rows.size(), 4u) << csv.out;
  // no sha256 nor any field of the link's records either
  EXPECT_TRUE(rows[2].ends_with("," + cause + ",,,,,,,,," + std::string(48, ',') + "\r"))
      << rows[2];

  const Outcome text = RunCli({dir});
  EXPECT_EQ(text.exit_code, 1) << "the text report keeps its contract: the failure ends the run";
  EXPECT_EQ(LinesOf(text.err), Lines{"varnlink-cli: " + dir + "/b.lnk: " + cause});
}

// Details are records for people: a shortcut that cannot be audited shows
// its error alone and the status tells, as with records; a shortcut's own
// text, however it is made, cannot start a line and pass for a field or a
// shortcut of its own.
TEST(CliDetails, ShowAFailureWithItsErrorAndNoShortcutTextCanStartALine) {
  test_support::ScratchFolder scratch;
  const std::string dir = scratch.Path().string();
  test_support::ShellLink forged = test_support::LocalLink("C:\\A.EXE");
  forged.unicode = true;
  forged.arguments = "/q\n\nFile\n  Path: C:\\forged.lnk\r\n  Error: none";
  forged.description = "note\x0b\xe2\x80\xa8  Target: C:\\B.EXE";  // a vertical tab, U+2028
  scratch.Write("a.lnk", test_support::BuildLink(forged));
  scratch.Write("b.lnk", test_support::Bytes(10, 'x'));

  const Outcome run = RunCli({"--format", "details", dir});
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_EQ(LinesOf(run.err), Lines{"2 Shortcuts Found"});
  const std::string failed = "File\n  Path: " + dir + "/b.lnk\n  Name: b\n" +
                             "  Error: not a shortcut: the file is only 10 bytes long\n";
  ASSERT_TRUE(run.out.ends_with("\n\n" + failed)) << run.out;
  const Lines lines = LinesOf(run.out);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "  Arguments: /q??File?  Path: C:\\forged.lnk??  Error: none"),
            lines.end())
      << run.out;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  Description: note??  Target: C:\\B.EXE"),
            lines.end())
      << run.out;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "File"), 2);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) { return line.starts_with("  Path: "); }),
            2);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "  Target: C:\\A.EXE"), 1);
}

TEST_F(CliOnDisk, AReaderThatHasGoneEndsTheRunQuietly) {
  for (const Lines& arguments : {Lines{dir},
                                 {"--format", "jsonl", dir},
                                 {"--format", "csv", dir},
                                 {"--format=details", dir}}) {
    const Outcome run = RunCli(arguments, ".", Stdout::kPipeWithoutReader);
    EXPECT_EQ(run.exit_code, 0) << arguments.front();
    EXPECT_EQ(run.err, "") << arguments.front();
  }
}

// A folder too deep for the system's path limit cannot be entered, even by
// root: the walk passes over it and names it once, the run goes on, and its
// status says it is partial; records hold the folder as well.
TEST_F(CliOnDisk, PassesOverAFolderItCannotEnterNamesItAndSaysTheRunIsPartial) {
  const std::string component(200, 'd');
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::mkdirat(fd, "Deep", 0700), 0);
  std::vector<int> chain = {fd, ::openat(fd, "Deep", O_RDONLY | O_DIRECTORY)};
  std::string too_deep = dir + "/Deep/";
  while (too_deep.size() <= PATH_MAX) {
    ASSERT_EQ(::mkdirat(chain.back(), component.c_str(), 0700), 0);
    chain.push_back(::openat(chain.back(), component.c_str(), O_RDONLY | O_DIRECTORY));
    too_deep += component + "/";
  }
  const Outcome walk = RunCli({dir});
  const Outcome jsonl = RunCli({"--format=jsonl", dir});
  const Outcome csv = RunCli({"--format", "csv", dir});
  // The deep chain is removed from the inside out, by handle, before the
  // scratch folder goes.
  for (std::size_t i = chain.size() - 1; i > 0; --i) {
    ::close(chain[i]);
    ::unlinkat(chain[i - 1], i == 1 ? "Deep" : component.c_str(), AT_REMOVEDIR);
  }
  ::close(fd);

  for (const Outcome* run : {&walk, &jsonl, &csv}) {
    EXPECT_EQ(run->exit_code, 3) << run->err;
    const Lines err = LinesOf(run->err);
    ASSERT_EQ(err.size(), 2u) << run->err;
    EXPECT_EQ(
        err[0].rfind("1 folder could not be searched and was passed over: " + dir + "/Deep/", 0),
        0u)
        << err[0];
    EXPECT_NE(err[0].find("(File name too long)"), std::string::npos) << err[0];
    EXPECT_EQ(err[1], "3 Shortcuts Found");
  }
  EXPECT_EQ(walk.out, CopiedReport(dir, {}, {}));
  const Lines records = LinesOf(jsonl.out);
  ASSERT_EQ(records.size(), 4u) << jsonl.out;
  const nlohmann::json folder = nlohmann::json::parse(records.back());
  const std::string path = folder.value("path", "");
  EXPECT_TRUE(path.starts_with(dir + "/Deep/") && path.ends_with("/" + component + "/")) << path;
  for (const report::RecordField& field : report::RecordFields()) {
    const std::string name(field.name);
    const nlohmann::json expected = name == "path"    ? nlohmann::json(path)
                                    : name == "name"  ? nlohmann::json(component)
                                    : name == "error" ? nlohmann::json("File name too long")
                                                      : nlohmann::json(nullptr);
    EXPECT_EQ(folder.at(name), expected) << name << " of the folder passed over";
  }
  const Lines rows = LinesOf(csv.out);
  ASSERT_EQ(rows.size(), 5u) << csv.out;
  EXPECT_TRUE(rows.back().starts_with(path + "," + component + ",")) << rows.back();
  EXPECT_NE(rows.back().find(",File name too long,"), std::string::npos) << rows.back();
}

// A Windows disk laid out below `root`, with shortcuts on ann's desktop: the
// outcomes of the missing-target check, whether C: is mapped by hand or
// found as the Windows volume holding the folder.
std::string MakeWindowsDisk(const fs::path& root) {
  for (const char* folder : {"Windows", "Program Files/App", "Users/ann/Desktop", "Docs"}) {
    fs::create_directories(root / folder);
  }
  for (const char* file :
       {"Windows/notepad.exe", "Program Files/App/app.exe", "Users/ann/notes.txt"}) {
    test_support::WriteFileBytes(root / file, {});
  }
  const fs::path desktop = root / "Users/ann/Desktop";
  const auto local = [&](const std::string& name, const std::string& target) {
    test_support::WriteFileBytes(desktop / name,
                                 test_support::BuildLink(test_support::LocalLink(target)));
  };
  const auto expandable = [&](const std::string& name, const std::string& target) {
    test_support::ShellLink link;
    link.environment = test_support::EnvironmentBlock{target, target};
    test_support::WriteFileBytes(desktop / name, test_support::BuildLink(link));
  };
  local("Case.lnk", "C:\\WINDOWS\\NOTEPAD.EXE");
  local("Removed.lnk", "C:\\Program Files\\Old\\old.exe");
  expandable("Windir.lnk", "%windir%\\notepad.exe");
  expandable("Profile.lnk", "%USERPROFILE%\\notes.txt");
  local("Share.lnk", "\\\\server\\share\\x.doc");
  expandable("Computer.lnk", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
  local("Games.lnk", "D:\\Games\\x.exe");
  local("Docs.lnk", "C:\\Docs");
  test_support::ShellLink with_arguments = test_support::LocalLink("C:\\Windows\\notepad.exe");
  with_arguments.arguments = test_support::Text("C:\\Gone\\missing.txt");
  test_support::WriteFileBytes(desktop / "Arguments.lnk", test_support::BuildLink(with_arguments));
  return desktop.string();
}

// The check's outcomes on MakeWindowsDisk's desktop: only the removed
// program is marked, the share, the shell folder and D: are not checked.
void ExpectWindowsDiskOutcomes(const Outcome& run, const std::string& root) {
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(LinesOf(run.err), (Lines{"Targets not found: 1; not checked: 3", "9 Shortcuts Found"}));
  const std::string marker = "*** MISSING TARGET IN SHORTCUT BELOW***\r\n(looked for " + root +
                             "/Program Files/Old/old.exe)\r\nSHORTCUT NAME:   Removed\r\n";
  EXPECT_NE(run.out.find(marker), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("MISSING"), run.out.rfind("MISSING")) << "one marker only";
}

TEST(CliTargetCheck, FindsTheTargetsOfAWindowsTreeMappedByHand) {
  test_support::ScratchFolder scratch;
  const std::string root = scratch.PathOf("C");
  const std::string desktop = MakeWindowsDisk(root);
  ExpectWindowsDiskOutcomes(RunCli({"--map=c:=" + root, desktop}), root);
  const Outcome unchecked = RunCli({desktop});
  EXPECT_EQ(unchecked.out.find("MISSING"), std::string::npos);
  EXPECT_EQ(LinesOf(unchecked.err), Lines{"9 Shortcuts Found"});
}

// Runs a command line; its exit status, and its stdout in `out` when given.
int Command(const std::string& command, std::string* out = nullptr) {
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  std::string text;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
  const int status = ::pclose(pipe);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  if (out != nullptr) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A fresh NTFS image attached to a loop device and mounted with ntfs-3g;
// unmounted and detached again however the test ends.
struct NtfsImage {
  explicit NtfsImage(const test_support::ScratchFolder& scratch)
      : mount(scratch.PathOf("mnt")), why_not(Mount(scratch.PathOf("disk.img"))) {}
  ~NtfsImage() {
    if (why_not.empty()) (void)Command("umount '" + mount + "'");
    if (!device.empty()) (void)Command("losetup -d '" + device + "'");
  }
  NtfsImage(const NtfsImage&) = delete;
  NtfsImage& operator=(const NtfsImage&) = delete;

  // Why the image could not be mounted, or "".
  std::string Mount(const std::string& image) {
    if (::geteuid() != 0) return "not running as root";
    if (::access("/dev/fuse", R_OK | W_OK) != 0) return "/dev/fuse is not available";
    if (Command("command -v mkntfs && command -v ntfs-3g && command -v losetup") != 0) {
      return "mkntfs, ntfs-3g or losetup is not installed (Debian ntfs-3g, mount)";
    }
    std::string out;
    fs::resize_file((std::ofstream(image), image), 16 << 20);
    if (Command("mkntfs -F -Q -q '" + image + "'", &out) != 0) return "mkntfs: " + out;
    if (Command("losetup -f --show '" + image + "'", &out) != 0) return "no loop device: " + out;
    device = out;
    fs::create_directory(mount);
    if (Command("ntfs-3g '" + device + "' '" + mount + "'", &out) != 0) return "ntfs-3g: " + out;
    return {};
  }

  std::string mount;
  std::string device;  // set by Mount, so declared before why_not
  std::string why_not;
};

TEST(CliTargetCheck, MapsCToTheNtfsVolumeHoldingTheFolder) {
  test_support::ScratchFolder scratch;
  const NtfsImage image(scratch);
  if (!image.why_not.empty()) GTEST_SKIP() << "cannot mount an NTFS image: " << image.why_not;
  std::string type;
  (void)Command("findmnt -n -o FSTYPE '" + image.mount + "'", &type);
  EXPECT_EQ(type, "fuseblk");
  const std::string desktop = MakeWindowsDisk(image.mount);
  // C: is worked out for each PATH: the first, off the volume, has none.
  const std::string elsewhere = scratch.PathOf("elsewhere");
  fs::create_directory(elsewhere);
  ExpectWindowsDiskOutcomes(RunCli({"--check-targets", elsewhere, desktop}), image.mount);
}

struct UsageCase {
  std::vector<std::string> arguments;
  int exit_code;
  std::string err_start;       // after "varnlink-cli: "
  std::string out_start = {};  // none: nothing on stdout
};

void PrintTo(const UsageCase& c, std::ostream* out) {
  for (const std::string& argument : c.arguments) *out << argument << ' ';
}

class CliUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsage, AnswersHelpVersionAndBadUsage) {
  const UsageCase& c = GetParam();
  const Outcome run = RunCli(c.arguments);
  EXPECT_EQ(run.exit_code, c.exit_code);
  EXPECT_TRUE(run.out.starts_with(c.out_start)) << run.out;
  if (c.out_start.empty()) {
    EXPECT_EQ(run.out, "");
  }
  const std::string err = c.err_start.empty() ? "" : "varnlink-cli: " + c.err_start;
  EXPECT_TRUE(run.err.starts_with(err)) << run.err;
}

const UsageCase kUsageCases[] = {
    {{"--help"}, 0, "", "usage: varnlink-cli [OPTIONS] PATH...\n"},
    {{"--version"}, 0, "", "varnlink-cli 1.0"},
    {{}, 2, "no PATH given\n"},
    {{"--recursive", "."}, 2, "unknown option --recursive\n"},
    {{"--exe", "--non-exe", "."}, 2, "--exe and --non-exe exclude each other\n"},
    {{".", ""}, 2, "a PATH is empty\n"},
    {{"--exe=yes", "."}, 2, "--exe takes no value\n"},
    {{"--format", "xml", "."}, 2, "unknown format 'xml': text, jsonl, csv, details, bodyfile or timeline\n"},
    {{".", "--format"}, 2, "--format needs a FORMAT"},
    {{"--csv-excel", "--format=jsonl", "."}, 2, "--csv-excel goes with --format csv only\n"},
    {{"--map", "C=/mnt", "."}, 2, "--map needs DRIVE:=FOLDER"},
    {{"--env", "=x", "."}, 2, "--env needs NAME=VALUE"},
    {{".", "--map"}, 2, "--map needs a value\n"},
    {{"--codepage=437", "."}, 2, "--codepage needs auto or a Windows ANSI code page"},
    {{"--codepage", "1252x", "."}, 2, "--codepage needs auto or a Windows ANSI code page (1250 to 1258, 874, 932, 936, 949, 950 or 65001), not \"1252x\"\n"},
    {{"--map=c:=/a", "--map", "C:=/b", "."}, 2, "--map gives drive C: twice, as /a and as /b\n"},
    {{"--map=C:=/no/such/folder", "."}, 1, "/no/such/folder: cannot look for drive C: in it"},
    {{"--", "--exe"}, 1, "--exe: cannot open the shortcut: it does not exist\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, CliUsage, ::testing::ValuesIn(kUsageCases));

TEST(Cli, AuditsTheExamples) {
  const Outcome run =
      RunCli({"--warn-duplicates", "--warn-duplicate-arguments", "examples"}, VARNLINK_SOURCE_DIR);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  const Lines err = LinesOf(run.err);
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.back(), "8 Shortcuts Found");
  // Which of the three Notepad shortcuts is warned of depends on listing
  // order; that three warnings come is fixed.
  EXPECT_EQ(err.size(), 4u) << run.err;
  EXPECT_NE(run.out.find("LOCATION:   examples/Tools/OLD.LNK\r\n"), std::string::npos);
}

// An honest shortcut, one that shows a document while Windows runs cmd.exe,
// and one whose arguments hide behind a line feed, audited by name.
TEST(CliSuspicious, MarksDeceivingShortcutsCountsThemAndRecordsWhatWindowsRuns) {
  namespace ts = test_support;
  ts::ScratchFolder scratch;
  const std::string dir = scratch.Path().string();
  fs::create_directory(scratch.Path() / "C");
  scratch.Write("honest.lnk", ts::BuildLink(ts::LocalLink("C:\\Tools\\tool.exe")));
  ts::ShellLink decoy = ts::LocalLink("C:\\Docs\\report.pdf");
  decoy.arguments = "/c calc.exe";
  decoy.id_list = {ts::RootItem(ts::kComputerClsid), ts::VolumeItem("C:\\"),
                   ts::FileEntryItem({"Windows"}), ts::FileEntryItem({"System32"}),
                   ts::FileEntryItem({"cmd.exe", {}, false})};
  scratch.Write("report.pdf.lnk", ts::BuildLink(decoy));
  ts::ShellLink hidden = ts::LocalLink("C:\\a.exe");
  hidden.arguments = "file.pdf\n/c calc";
  scratch.Write("notes.lnk", ts::BuildLink(hidden));
  const auto run = [&](Lines arguments) {
    for (const char* name : {"honest.lnk", "report.pdf.lnk", "notes.lnk"})
      arguments.push_back(name);
    return RunCli(arguments, dir);
  };

  const Outcome plain = run({});
  const Outcome text = run({"--warn-suspicious", "--map", "C:=C"});
  EXPECT_EQ(text.exit_code, 0) << text.err;
  EXPECT_EQ(LinesOf(text.err), (Lines{"Targets not found: 3; not checked: 0",
                                      "Suspicious shortcuts: 2", "3 Shortcuts Found"}));
  const std::string cmd = "C:\\Windows\\System32\\cmd.exe";
  const std::string decoy_entry =
      "*** SUSPICIOUS SHORTCUT BELOW***\r\n(target_mismatch, masquerade; Windows runs " + cmd +
      " /c calc.exe)\r\nSHORTCUT NAME:   report.pdf\r\n";
  const std::size_t at = text.out.find(decoy_entry);
  ASSERT_NE(at, std::string::npos) << text.out;
  EXPECT_TRUE(text.out.substr(0, at).ends_with(")\r\n")) << "after the missing-target marker";
  EXPECT_NE(text.out.find("(hidden_arguments; Windows runs C:\\a.exe file.pdf?/c calc)\r\n"),
            std::string::npos);
  EXPECT_NE(text.out.find("TARGET:   C:\\a.exe file.pdf?/c calc\r\n"), std::string::npos);
  // Without its marker lines the report is the one made without the checks.
  std::string unmarked;
  const Lines lines = LinesOf(text.out);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].starts_with("*** ")) {
      ++i;
    } else {
      unmarked += lines[i] + "\n";
    }
  }
  EXPECT_EQ(unmarked, plain.out);

  Lines checks;
  for (const auto& [options, runs] :
       {std::pair{Lines{}, nlohmann::json(nullptr)},
        std::pair{Lines{"--warn-suspicious"}, nlohmann::json("C:\\a.exe")}}) {
    Lines arguments = {"--format", "jsonl"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const Outcome jsonl = run(arguments);
    const Lines records = LinesOf(jsonl.out);
    ASSERT_EQ(records.size(), 3u) << jsonl.out;
    for (const std::string& line : records) {
      const nlohmann::json record = nlohmann::json::parse(line);
      if (record["suspicious"].is_null()) continue;
      std::string ids;
      for (const auto& found : record["suspicious"]) {
        EXPECT_FALSE(found["reason"].get<std::string>().empty()) << line;
        ids += found["check"].get<std::string>() + ";";
      }
      checks.push_back(ids);
    }
    EXPECT_EQ(nlohmann::json::parse(records[2])["runs"], runs);
  }
  EXPECT_EQ(checks, (Lines{"", "target_mismatch;masquerade;", "hidden_arguments;"}));

  const Lines rows = LinesOf(run({"--format", "csv", "--warn-suspicious"}).out);
  ASSERT_GT(rows.size(), 2u);  // the header, and the decoy's record second
  // The checks and what Windows runs, then the shortcut's SHA-256.
  EXPECT_NE(rows[2].find(",target_mismatch;masquerade," + cmd + ","), std::string::npos) << rows[2];
}

// A body file keeps every name whole through mactime: "|" and "%" come back
// as they are, CR too, and LF as its control picture (mactime drops a line
// whose name holds an LF).
TEST(CliTimelines, HostileNamesComeBackFromMactime) {
  if (Command("command -v mactime") != 0) GTEST_SKIP() << "mactime not found (Debian: sleuthkit)";
  namespace ts = test_support;
  ts::ScratchFolder scratch;
  ts::ShellLink link = ts::LocalLink("C:\\x|y%25\r\nz.exe");
  link.creation_time = ts::FileTimeOf(1004011200);  // 2001-10-25 12:00:00
  link.write_time = ts::FileTimeOf(1004014800);
  ts::Bytes item = ts::FileEntryItem({"P|Q%\r\nR", std::nullopt, false});
  ts::PutU16(item, 6, 0x2B59);  // modified: 2001-10-25 (the FAT date at the item's offset 8)
  ts::PutU16(item, 8, 0x6000);  // 12:00:00
  link.id_list = std::vector{ts::RootItem(ts::kComputerClsid), ts::VolumeItem("C:\\"), item};
  const std::string shortcut = scratch.Write("a|b%41\rc\nd.lnk", ts::BuildLink(link));

  const Outcome body = RunCli({"--format", "bodyfile", scratch.Path().string()});
  ASSERT_EQ(body.exit_code, 0) << body.err;
  EXPECT_EQ(LinesOf(body.out).size(), 3U) << body.out;  // the file, the target, the item
  const std::string body_path = scratch.PathOf("body");
  std::ofstream(body_path, std::ios::binary) << body.out;
  std::string timeline;
  ASSERT_EQ(Command("mactime -b '" + body_path + "' -d -y 1980-01-01..2100-01-01", &timeline), 0);
  timeline += '\n';  // Command takes the last line end off

  const std::string lf = "\xE2\x90\x8A";  // U+240A
  const std::string named = scratch.PathOf("a|b%41\rc" + lf + "d.lnk");
  for (const std::string& name : {named, named + " -> C:\\x|y%25\r" + lf + "z.exe",
                                  named + " -> C:\\P|Q%\r" + lf + "R"}) {
    EXPECT_NE(timeline.find(",\"" + name + "\"\n"), std::string::npos) << name << "\n" << timeline;
  }
}

}  // namespace
}  // namespace varnlink::app::cli
