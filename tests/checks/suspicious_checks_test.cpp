// The suspicious-shortcut checks on links made to show each deception (and
// on their honest neighbours), with what Windows runs for each; and the
// patterns of a script host's arguments.

#include "checks/suspicious_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checks/suspicious_arguments.h"
#include "lnk/shortcut_decoder.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/link_writer.h"

namespace varnlink::test_support {
namespace {

using lnk::TargetSource;

struct Row {
  std::string name;
  ShellLink link;
  std::string ids;   // the checks that fire, joined by ","
  std::string runs;  // what Windows runs
  TargetSource source = TargetSource::kLinkInfo;
  std::string file_name = "t.lnk";
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

class FlagsDeceivingShortcuts : public ::testing::TestWithParam<Row> {};

TEST_P(FlagsDeceivingShortcuts, WithTheChecksThatFireAndWhatWindowsRuns) {
  const Row& row = GetParam();
  FakeFileServices files;
  const lnk::ShortcutInfo info = lnk::Decode(BuildLink(row.link), files.AnsiDecoder());
  std::string ids;
  for (const auto& found : checks::FindSuspicions(info, row.file_name)) {
    EXPECT_FALSE(found.reason.empty()) << found.check;
    ids += (ids.empty() ? "" : ",") + std::string(found.check);
  }
  EXPECT_EQ(ids, row.ids);
  EXPECT_EQ(info.effective_target, row.runs);
  EXPECT_EQ(info.effective_target_source, row.source);
}

// A local link with these arguments, icon and environment halves.
ShellLink Local(std::string target, std::optional<Text> arguments = std::nullopt,
                std::optional<Text> icon = std::nullopt) {
  ShellLink link = LocalLink(std::move(target));
  link.arguments = std::move(arguments);
  link.icon_location = std::move(icon);
  return link;
}
ShellLink WithEnvironment(ShellLink link, Text ansi, Text unicode) {
  link.environment = EnvironmentBlock{std::move(ansi), std::move(unicode)};
  return link;
}
// An ID list of the computer, drive C: and these file entries.
ShellLink WithIdList(ShellLink link, std::vector<FileEntry> entries) {
  link.id_list = {RootItem(kComputerClsid), VolumeItem("C:\\")};
  for (const FileEntry& entry : entries) link.id_list->push_back(FileEntryItem(entry));
  return link;
}
ShellLink Unicode(ShellLink link) {
  link.unicode = true;
  return link;
}
std::string Repeated(std::string_view text, std::size_t count) {
  std::string repeated;
  for (std::size_t i = 0; i < count; ++i) repeated += text;
  return repeated;
}
ShellLink WithRun(ShellLink link, std::uint32_t show_command) {
  link.show_command = show_command;
  return link;
}
ShellLink ItemsOnly(std::vector<Bytes> items) {
  ShellLink link;
  link.id_list = std::move(items);
  return link;
}
ShellLink Network(std::string share, std::uint32_t provider) {
  ShellLink link;
  link.link_info = LinkInfo{};
  link.link_info->network = NetworkLink{std::move(share)};
  link.link_info->network->provider_type = provider;
  return link;
}
// A description of `length` characters, the last a NUL: where Windows stops
// reading a longer one, the extra data that follows starts with its zeros.
ShellLink WithDescription(ShellLink link, std::size_t length) {
  link.description = std::string(length - 1, 'd') + '\0';
  return link;
}

const std::string kCmd = "C:\\Windows\\System32\\cmd.exe";
const std::string kPs = "C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe";
const std::string kReadme = "C:\\Users\\Public\\Documents\\README.pdf";
const std::vector<FileEntry> kCmdEntries = {{"Windows"}, {"System32"}, {"cmd.exe", {}, false}};
constexpr std::string_view kControlPanelCategoriesClsid = "{26EE0668-A00A-44D7-9371-BEB064C98683}";
const std::vector<Bytes> kControlPanel = {RootItem(kComputerClsid),
                                          RegisteredFolderItem(kControlPanelClsid)};
std::vector<Bytes> Applet(std::string path) {
  std::vector<Bytes> items = kControlPanel;
  items.push_back(CplFileItem(path, false));
  return items;
}
// An applet saved from the category view: a category between Control Panel
// (the computer's folder, or the categories' root) and the applet.
std::vector<Bytes> CategoryApplet(std::string path, bool under_computer) {
  std::vector<Bytes> items =
      under_computer ? kControlPanel : std::vector<Bytes>{RootItem(kControlPanelCategoriesClsid)};
  items.push_back(CategoryItem(3));
  items.push_back(CplFileItem(path, true));
  return items;
}

std::vector<Row> Rows() {
  const auto env = TargetSource::kEnvironment;
  const auto id_list = TargetSource::kIdList;
  const std::string calc = "C:\\Windows\\System32\\calc.exe";
  const std::string forfiles = "C:\\Windows\\System32\\forfiles.exe";
  const std::string conhost = "C:\\Windows\\System32\\conhost.exe";
  const std::string notepad = "C:\\Windows\\System32\\notepad.exe";
  const std::string tool = "C:\\Program Files\\My Tool\\my tool.exe";
  const std::vector<FileEntry> tool_entries = {
      {"PROGRA~1", "Program Files"}, {"MYTOOL~1", "My Tool"}, {"MYTOOL~1.EXE", {}, false}};
  const std::string prompt = "/k \"\"C:\\VS\\vcvarsall.bat\"\" amd64";
  const std::string hta = "res://%SystemRoot%\\system32\\mys.dll/mys.hta";
  const std::string blanks(16, ' ');
  const std::string imageres = "%SystemRoot%\\System32\\imageres.dll";
  return {
      // Honest shortcuts.
      {"RecordsAgreeByShortNames",
       WithEnvironment(WithIdList(Local(tool), tool_entries),
                       "%ProgramFiles%\\My Tool\\my tool.exe",
                       "%ProgramFiles%\\My Tool\\my tool.exe"),
       "", "%ProgramFiles%\\My Tool\\my tool.exe", env},
      {"DeveloperPromptRunsABatchFile",
       WithEnvironment(Local(kCmd, prompt), "%comspec%", "%comspec%"), "", "%comspec%", env},
      {"HelpPageFromAResource", Local("C:\\Windows\\System32\\mshta.exe", hta), "",
       "C:\\Windows\\System32\\mshta.exe"},
      {"WebLink",
       ItemsOnly({RootItem("{871C5380-42A0-1069-A2EA-08002B30309D}"),
                  UriItem("http://go.microsoft.com/fwlink/?LinkId=63049")}),
       "", "http://go.microsoft.com/fwlink/?LinkId=63049", id_list},
      {"SystemApplet", ItemsOnly(Applet("%SystemRoot%\\System32\\x.cpl")), "",
       "%SystemRoot%\\System32\\x.cpl", id_list},
      {"CodePageNameIsNotCompared", WithIdList(Local("C:\\é.exe"), {{"è.exe", {}, false}}), "",
       "C:\\è.exe", id_list},
      {"FifteenBlanks", Local("C:\\a.exe", "x" + blanks.substr(1) + "y"), "", "C:\\a.exe"},
      {"ArgumentsOf255", Local("C:\\a.exe", std::string(255, 'a')), "", "C:\\a.exe"},
      {"DescriptionOf260", WithDescription(Local("C:\\a.exe"), 260), "", "C:\\a.exe"},
      {"ParentFolder", Local("C:\\Apps\\.."), "", "C:\\Apps\\.."},
      {"ScriptHostUnderAnOrdinaryIcon", Local("C:\\Apps\\tool.exe", {}, imageres), "",
       "C:\\Apps\\tool.exe"},
      {"ViewerUnderItsOwnIcon", Local("C:\\Windows\\notepad.exe", {}, "%windir%\\NOTEPAD.EXE"), "",
       "C:\\Windows\\notepad.exe"},
      {"DocumentNamedLikeOne", Local(kReadme), "", kReadme, TargetSource::kLinkInfo,
       "README.pdf.lnk"},
      {"DocumentOnAShare", Local("\\\\server\\share\\doc.txt"), "", "\\\\server\\share\\doc.txt"},

      // What deceives.
      {"UnicodeHalfAlone", WithEnvironment(Local(kReadme), "", calc),
       "env_block_spoof,target_mismatch", calc, env},
      {"AnsiHalfAlone", WithEnvironment(Local(kReadme), calc, ""),
       "env_block_spoof,target_mismatch", calc, env},
      {"BothHalvesEmpty", WithEnvironment(WithIdList(Local(kReadme), kCmdEntries), "", ""),
       "env_block_spoof,target_mismatch", kCmd, id_list},
      {"UnicodeHalfNoPath", WithEnvironment(Local(kCmd), calc, "C:\\x|y.exe"), "env_block_spoof",
       kCmd},
      {"UnicodeHalfReversed",
       WithEnvironment(Local(calc), calc, "C:\\Windows\\System32\\\u202Eexe.clac"),
       "env_block_spoof,target_mismatch", "C:\\Windows\\System32\\\u202Eexe.clac", env},
      {"HalvesDiffer", WithEnvironment({}, "C:\\a\\b.exe", "C:\\a\\c.exe"), "env_block_spoof",
       "C:\\a\\c.exe", env},
      {"IdListRunsCmdBehindADocument",
       WithIdList(Local("C:\\Docs\\report.pdf", "/c calc.exe"), kCmdEntries),
       "target_mismatch,masquerade", kCmd, id_list, "report.pdf.lnk"},
      {"EnvironmentBlockRunsAnotherFolder",
       WithEnvironment(Local(notepad), "%TEMP%\\notepad.exe", "%TEMP%\\notepad.exe"),
       "target_mismatch", "%TEMP%\\notepad.exe", env},
      {"IdListRunsAnotherFolder",
       WithIdList(Local(notepad), {{"Users"}, {"Public"}, {"notepad.exe", {}, false}}),
       "target_mismatch", "C:\\Users\\Public\\notepad.exe", id_list},
      {"LineFeedHidesArguments", Local("C:\\a.exe", "file.pdf\n/c calc"), "hidden_arguments",
       "C:\\a.exe"},
      {"BlanksHideArguments", Local("C:\\a.exe", "x" + blanks + "y"), "hidden_arguments",
       "C:\\a.exe"},
      {"UnicodeBlanksHideArguments",
       Unicode(Local("C:\\a.exe", "x" + Repeated("\u3000", 8) + "\u200B" + blanks.substr(9) + "y")),
       "hidden_arguments", "C:\\a.exe"},
      {"ArgumentsOf256", Local("C:\\a.exe", std::string(256, 'a')), "hidden_arguments",
       "C:\\a.exe"},
      {"DescriptionOf261", WithDescription(Local("C:\\a.exe"), 261), "overlong_string",
       "C:\\a.exe"},
      {"TrailingDot", Local("C:\\Apps\\tool.exe."), "noncanonical_target", "C:\\Apps\\tool.exe."},
      {"TrailingBlank", Local("C:\\Apps\\tool.exe "), "noncanonical_target", "C:\\Apps\\tool.exe "},
      {"NoDrive", Local("Apps\\tool.exe"), "noncanonical_target", "Apps\\tool.exe"},
      {"BackslashInAName", WithIdList({}, {{"a\\b.txt", {}, false}}), "noncanonical_target",
       "C:\\a\\b.txt", id_list},
      {"HiddenEncodedPowerShell", Local(kPs, "-w hidden -enc SQBFAFgAIAAoAE4AZQB3AC0ATwBiAGoA"),
       "risky_host", kPs},
      {"CommandByProxy", Local(forfiles, "/p C:\\Windows /m notepad.exe /c \"cmd /c echo\""),
       "risky_host", forfiles},
      {"ConsoleRunsAnApplet", Local(conhost, "D:\\x.cpl"), "risky_host", conhost},
      {"MinimisedCommand", WithRun(Local(kCmd, "/c echo"), kShowMinNoActive), "risky_host", kCmd},
      {"CommandOf251",
       Local(
           kCmd, "/c echo " +
                     [] {
                       std::string s;
                       for (int i = 0; i < 81; ++i) s += "ab ";
                       return s;
                     }()),
       "risky_host", kCmd},
      {"AppletOutsideTheSystem", ItemsOnly(Applet("C:\\Users\\x\\evil.cpl")), "risky_host",
       "C:\\Users\\x\\evil.cpl", id_list},
      {"CategoryAppletFromAShare", ItemsOnly(CategoryApplet("\\\\srv\\s\\x.cpl", true)),
       "risky_host,remote_location", "\\\\srv\\s\\x.cpl", id_list},
      {"CategoryAppletOutsideTheSystem", ItemsOnly(CategoryApplet("D:\\x.cpl", false)),
       "risky_host", "D:\\x.cpl", id_list},
      {"AppletClimbingOut", Local("C:\\Windows\\System32\\..\\..\\Temp\\x.cpl"), "risky_host",
       "C:\\Windows\\System32\\..\\..\\Temp\\x.cpl"},
      {"AppletFromAShare", ItemsOnly(Applet("\\\\server\\share\\x.cpl")),
       "risky_host,remote_location", "\\\\server\\share\\x.cpl", id_list},
      {"CommandUnderADocumentIcon", Local(kCmd, {}, "C:\\Docs\\report.pdf"), "masquerade", kCmd},
      {"ProgramUnderAViewerIcon", Local("C:\\Temp\\x.exe", {}, "C:\\Adobe\\AcroRd32.exe"),
       "masquerade", "C:\\Temp\\x.exe"},
      {"CommandUnderASystemIcon", Local(kCmd, {}, imageres), "masquerade", kCmd},
      {"NameReversed", Local("C:\\Temp\\x.exe"), "masquerade", "C:\\Temp\\x.exe",
       TargetSource::kLinkInfo, "invoice\u202Efdp.exe.lnk"},
      {"WebDavShare", Network("\\\\host@SSL\\DavWWWRoot\\docs", 0x002E0000), "remote_location",
       "\\\\host@SSL\\DavWWWRoot\\docs"},
      {"IconOverWebDav", Local("C:\\a.exe", {}, "\\\\host@8080\\i\\a.ico"), "remote_location",
       "C:\\a.exe"},
      {"ProgramOnAShare", Local("\\\\server\\share\\tool.exe"), "remote_location",
       "\\\\server\\share\\tool.exe"},
      {"IconOnAShare", Local("C:\\a.exe", {}, "\\\\server\\icons\\a.ico"), "remote_location",
       "C:\\a.exe"},
  };
}

INSTANTIATE_TEST_SUITE_P(SuspiciousChecks, FlagsDeceivingShortcuts, ::testing::ValuesIn(Rows()),
                         [](const auto& row) { return row.param.name; });

// A description counting 274 holds 260 characters, the arguments Windows
// reads and its terminal block; a reader that trusts the count reads the decoy
// after them. The check names both readings of the arguments.
TEST(OverlongString, NamesBothReadingsOfTheArguments) {
  ShellLink link = Local(kCmd, "report.pdf");
  link.unicode = true;
  link.description = Text::Raw(
      Concat({ToUtf16Le(std::string(260, 'x')), {11, 0}, ToUtf16Le("/c calc.exe"), Bytes(4, 0)}),
      274);
  FakeFileServices files;
  const auto found =
      checks::FindSuspicions(lnk::Decode(BuildLink(link), files.AnsiDecoder()), "t.lnk");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].check, "overlong_string");
  EXPECT_EQ(found[0].reason,
            "the description counts 274 characters (Windows reads 260); Windows reads the "
            "arguments as \"/c calc.exe\", the counts declare \"report.pdf\"");
}

TEST(SuspiciousArguments, FindsWhatAttackersPassToScriptHosts) {
  const std::string base64_59(59, 'A');
  struct Case {
    std::string arguments;
    std::string piece;  // "" for none
  } cases[] = {
      {"/c start /B x", "start /B"},
      {"-NoP -c x", "-NoP"},
      {"-NoProfile -File a.bat", "-NoProfile"},
      {"\u2014noprofil -c x", "\u2014noprofil"},
      {"\u2013WindowStyle Hidden", "\u2013WindowStyle Hidden"},
      {"/enc \"SQBFAFgAIAAoAE4A\"", "/enc \"SQBFAFgAIAAoAE4A"},
      {"--headless cmd /c echo", "--headless"},
      {"-e SQBFAFgAIAAoAE4A", "-e SQBFAFgAIAAoAE4A"},
      {"-EncodedCommand SQBFAFgAIAAoAE4", ""},  // 15 characters
      {"-WindowStyle Hidden x", "-WindowStyle Hidden"},
      {"-win 1", "-win 1"},
      {"-ep bypass", "-ep bypass"},
      {"-c Set-ExecutionPolicy  Bypass", "ExecutionPolicy  Bypass"},
      {"-c \"iex(New-Object Net.WebClient).DownloadString('x')\"", "iex"},
      {"-c index.json; curly", ""},
      {"/c curl.exe -o a", "curl"},
      {"/c copy \\\\srv\\s\\a.exe .", "\\\\s"},
      {"/c copy C:\\\\x y", ""},
      {"/c %TEMP%\\a.exe", "%TEMP%"},
      {"/c \"C:\\Users\\Public\\a.exe\"", "\\Users\\Public\\"},
      {"//B C:\\x\\run.vbs", "C:\\x\\run.vbs"},
      {"javascript:alert(1)", "javascript:"},
      {"-c " + base64_59, ""},
      {"-c " + base64_59 + "A", base64_59 + "A"},
      {"res://ieframe.dll/a.hta http://x", "http://"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(checks::SuspiciousArgument(c.arguments).value_or(""), c.piece) << c.arguments;
  }
}

}  // namespace
}  // namespace varnlink::test_support
