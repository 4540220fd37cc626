// Shortcuts saved by the system's own shell (IShellLinkW + IPersistFile),
// an independent producer of real links, audited end to end on real files.

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "auditor/report_format.h"
#include "auditor/shortcut_auditor.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_services.h"
#include "tests/support/scratch_folder.h"

namespace varnlink::platform {
namespace {

using test_support::ScratchFolder;

struct LinkCase {
  const char* name;  // of the shortcut file, without ".lnk"
  std::wstring target;
  std::wstring arguments;
  std::wstring start_in;
  WORD hot_key;  // low byte the key, high byte HOTKEYF_* modifiers
  int show;      // SW_*
  std::wstring icon;
  // The report lines 3 to 6 (line 6 from its SHORTCUT KEY part on).
  std::string target_line;
  std::string start_in_line;
  std::string icon_line;
  std::string key_and_run;
};

// Creates a shell link object, lets `set` fill it in and saves it at `path`.
template <typename Set>
void SaveShellLink(const std::string& path, const Set& set) {
  IShellLinkW* link = nullptr;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IShellLinkW, reinterpret_cast<void**>(&link)));
  set(*link);
  IPersistFile* file = nullptr;
  EXPECT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
  if (file != nullptr) {
    EXPECT_HRESULT_SUCCEEDED(file->Save(Utf8ToWide(path).c_str(), TRUE));
    file->Release();
  }
  link->Release();
}

// Saves one shortcut through the shell; empty fields are left unset.
void SaveLink(const LinkCase& c, const std::string& path) {
  SaveShellLink(path, [&c](IShellLinkW& link) {
    EXPECT_HRESULT_SUCCEEDED(link.SetPath(c.target.c_str()));
    if (!c.arguments.empty()) {
      EXPECT_HRESULT_SUCCEEDED(link.SetArguments(c.arguments.c_str()));
    }
    if (!c.start_in.empty()) {
      EXPECT_HRESULT_SUCCEEDED(link.SetWorkingDirectory(c.start_in.c_str()));
    }
    if (c.hot_key != 0) {
      EXPECT_HRESULT_SUCCEEDED(link.SetHotkey(c.hot_key));
    }
    EXPECT_HRESULT_SUCCEEDED(link.SetShowCmd(c.show));
    if (!c.icon.empty()) {
      EXPECT_HRESULT_SUCCEEDED(link.SetIconLocation(c.icon.c_str(), 0));
    }
  });
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// A parameterised test inside a COM apartment, where the shell's objects live.
template <typename Case>
class InComApartment : public testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  }
  void TearDown() override { CoUninitialize(); }
};

// The shortcut at `path` audited: its entry and the entry's report lines.
struct Audited {
  auditor::ReportEntry entry;
  std::vector<std::string> lines;
};

Audited AuditOf(const std::string& path) {
  const Win32FileServices files;
  Audited audited{auditor::ShortcutAuditor(files).Audit(path, auditor::TargetFilter::kAll).value(),
                  {}};
  std::string report;
  auditor::AppendEntry(report, audited.entry);
  audited.lines = LinesOf(report);
  return audited;
}

class ShellSavedLink : public InComApartment<LinkCase> {};

TEST_P(ShellSavedLink, IsAuditedWithItsTargetArgumentsFolderKeyAndRunMode) {
  const LinkCase& c = GetParam();
  const ScratchFolder folder;
  const std::string path = folder.PathOf(std::string(c.name) + ".lnk");
  SaveLink(c, path);
  if (HasFatalFailure()) return;

  const auto [entry, lines] = AuditOf(path);
  // The shell writes genuine links: read by their structure, the target from the link info.
  EXPECT_TRUE(entry.info.genuine);
  EXPECT_EQ(entry.info.target_source, auditor::TargetSource::kLinkInfo);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "SHORTCUT NAME:   " + std::string(c.name));
  EXPECT_EQ(lines[1], "LOCATION:   " + path);
  EXPECT_EQ(lines[2], c.target_line);
  EXPECT_EQ(lines[3], c.start_in_line);
  EXPECT_EQ(lines[4], c.icon_line);
  const std::string length =
      "LENGTH:   " + std::to_string(Win32FileServices().StatusOf(path).size) + " bytes    ";
  EXPECT_EQ(lines[5], length + "  " + c.key_and_run);
  EXPECT_EQ(lines[6].rfind("READ ONLY:   False ", 0), 0u) << lines[6];
  EXPECT_EQ(lines[7].rfind("CREATED:   ", 0), 0u) << lines[7];
  EXPECT_EQ(lines[8], "");
}

constexpr WORD Key(char key, BYTE modifiers) {
  return static_cast<WORD>(static_cast<BYTE>(key) | (modifiers << 8));
}

INSTANTIATE_TEST_SUITE_P(
    Links, ShellSavedLink,
    testing::Values(
        LinkCase{"Notepad", L"C:\\windows\\notepad.exe", L"/p readme.txt", L"C:\\windows",
                 Key('N', HOTKEYF_CONTROL | HOTKEYF_ALT), SW_SHOWNORMAL, L"",
                 "TARGET:   C:\\windows\\notepad.exe /p readme.txt",
                 "START IN:   C:\\windows",
                 "ICON SOURCE:   C:\\windows\\notepad.exe",
                 "    SHORTCUT KEY:   Ctrl + Alt + N      RUN:   Normal"},
        LinkCase{"Registry", L"C:\\windows\\regedit.exe", L"", L"", 0, SW_SHOWMINNOACTIVE, L"",
                 "TARGET:   C:\\windows\\regedit.exe", "START IN:    ",
                 "ICON SOURCE:   C:\\windows\\regedit.exe",
                 "    SHORTCUT KEY:   (none)        RUN:   Minimised"},
        LinkCase{"Big Notes", L"C:\\windows\\notepad.exe", L"C:\\a file.txt",
                 L"C:\\users", Key('7', HOTKEYF_CONTROL | HOTKEYF_ALT), SW_SHOWMAXIMIZED,
                 L"C:\\windows\\system32\\shell32.dll",
                 "TARGET:   C:\\windows\\notepad.exe C:\\a file.txt", "START IN:   C:\\users",
                 "ICON SOURCE:    C:\\windows\\system32\\shell32.dll",
                 "    SHORTCUT KEY:   Ctrl + Alt + 7      RUN:   Maximised"}),
    [](const auto& row) {
      std::string name = row.param.name;
      for (char& ch : name) {
        if (ch == ' ') ch = '_';
      }
      return name;
    });

// Shortcuts to virtual folders, saved with an ID list only: the shell adds
// no link info for a folder without a path, so the target is the parsing
// name of the ID list's shell items.
struct IdListCase {
  const char* name;
  int folder;  // CSIDL_*
  std::string target;
};

class ShellSavedIdList : public InComApartment<IdListCase> {};

TEST_P(ShellSavedIdList, IsAuditedWithTheFoldersParsingNameAsTarget) {
  const IdListCase& c = GetParam();
  const ScratchFolder folder;
  const std::string path = folder.PathOf(std::string(c.name) + ".lnk");
  PIDLIST_ABSOLUTE items = nullptr;
  ASSERT_HRESULT_SUCCEEDED(SHGetSpecialFolderLocation(nullptr, c.folder, &items));
  SaveShellLink(path,
                [items](IShellLinkW& link) { EXPECT_HRESULT_SUCCEEDED(link.SetIDList(items)); });
  CoTaskMemFree(items);
  if (HasFatalFailure()) return;

  const auto [entry, lines] = AuditOf(path);
  EXPECT_TRUE(entry.info.genuine);
  EXPECT_EQ(entry.info.target_source, auditor::TargetSource::kIdList);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[2], "TARGET:   " + c.target);
  EXPECT_EQ(lines[4], "ICON SOURCE:   " + c.target);
}

INSTANTIATE_TEST_SUITE_P(
    VirtualFolders, ShellSavedIdList,
    testing::Values(
        IdListCase{"Computer", CSIDL_DRIVES, "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"},
        IdListCase{"RecycleBin", CSIDL_BITBUCKET, "::{645FF040-5081-101B-9F08-00AA002F954E}"},
        IdListCase{
            "ControlPanel", CSIDL_CONTROLS,
            "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace varnlink::platform
