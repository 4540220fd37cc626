// Shortcuts saved by the system's own shell (IShellLinkW + IPersistFile),
// an independent producer of real links, audited end to end on real files.

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "audit/shortcut_auditor.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_services.h"
#include "report/report_format.h"
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
  int virtual_folder = 0;  // CSIDL_*, saved as its ID list in place of a target
};

// Saves `c` through the shell at `path`; empty fields are left unset.
void SaveLink(const LinkCase& c, const std::string& path) {
  IShellLinkW* link = nullptr;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IShellLinkW, reinterpret_cast<void**>(&link)));
  if (c.virtual_folder != 0) {
    PIDLIST_ABSOLUTE items = nullptr;
    EXPECT_HRESULT_SUCCEEDED(SHGetSpecialFolderLocation(nullptr, c.virtual_folder, &items));
    EXPECT_HRESULT_SUCCEEDED(link->SetIDList(items));
    CoTaskMemFree(items);
  }
  EXPECT_HRESULT_SUCCEEDED(c.target.empty() ? S_OK : link->SetPath(c.target.c_str()));
  EXPECT_HRESULT_SUCCEEDED(c.arguments.empty() ? S_OK : link->SetArguments(c.arguments.c_str()));
  EXPECT_HRESULT_SUCCEEDED(c.start_in.empty() ? S_OK
                                              : link->SetWorkingDirectory(c.start_in.c_str()));
  EXPECT_HRESULT_SUCCEEDED(c.hot_key == 0 ? S_OK : link->SetHotkey(c.hot_key));
  EXPECT_HRESULT_SUCCEEDED(link->SetShowCmd(c.show));
  EXPECT_HRESULT_SUCCEEDED(c.icon.empty() ? S_OK : link->SetIconLocation(c.icon.c_str(), 0));
  IPersistFile* file = nullptr;
  EXPECT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
  if (file != nullptr) {
    EXPECT_HRESULT_SUCCEEDED(file->Save(Utf8ToWide(path).c_str(), TRUE));
    file->Release();
  }
  link->Release();
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// Shortcuts saved inside a COM apartment, where the shell's objects live.
class ShellSavedLink : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  }
  void TearDown() override { CoUninitialize(); }
  const ScratchFolder folder;
};

constexpr WORD Key(char key, BYTE modifiers) {
  return static_cast<WORD>(static_cast<BYTE>(key) | (modifiers << 8));
}

TEST_F(ShellSavedLink, IsAuditedWithItsTargetArgumentsFolderKeyAndRunMode) {
  // A virtual folder, saved as its ID list alone: the shell adds no link info
  // for a folder without a path, so the target is the parsing name of the ID
  // list's shell items.
  const auto virtual_folder = [](const char* name, int csidl, const std::string& target) {
    return LinkCase(name, L"", L"", L"", 0, SW_SHOWNORMAL, L"", "TARGET:   " + target,
                    "START IN:    ", "ICON SOURCE:   " + target,
                    "    SHORTCUT KEY:   (none)        RUN:   Normal", csidl);
  };
  const std::string computer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
  for (const LinkCase& c :
       {LinkCase{"Notepad", L"C:\\windows\\notepad.exe", L"/p readme.txt", L"C:\\windows",
                 Key('N', HOTKEYF_CONTROL | HOTKEYF_ALT), SW_SHOWNORMAL, L"",
                 "TARGET:   C:\\windows\\notepad.exe /p readme.txt", "START IN:   C:\\windows",
                 "ICON SOURCE:   C:\\windows\\notepad.exe",
                 "    SHORTCUT KEY:   Ctrl + Alt + N      RUN:   Normal"},
        LinkCase{"Registry", L"C:\\windows\\regedit.exe", L"", L"", 0, SW_SHOWMINNOACTIVE, L"",
                 "TARGET:   C:\\windows\\regedit.exe",
                 "START IN:    ", "ICON SOURCE:   C:\\windows\\regedit.exe",
                 "    SHORTCUT KEY:   (none)        RUN:   Minimised"},
        LinkCase{"Big Notes", L"C:\\windows\\notepad.exe", L"C:\\a file.txt", L"C:\\users",
                 Key('7', HOTKEYF_CONTROL | HOTKEYF_ALT), SW_SHOWMAXIMIZED,
                 L"C:\\windows\\system32\\shell32.dll",
                 "TARGET:   C:\\windows\\notepad.exe C:\\a file.txt", "START IN:   C:\\users",
                 "ICON SOURCE:    C:\\windows\\system32\\shell32.dll",
                 "    SHORTCUT KEY:   Ctrl + Alt + 7      RUN:   Maximised"},
        virtual_folder("Computer", CSIDL_DRIVES, computer),
        virtual_folder("RecycleBin", CSIDL_BITBUCKET, "::{645FF040-5081-101B-9F08-00AA002F954E}"),
        virtual_folder("ControlPanel", CSIDL_CONTROLS,
                       computer + "\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}")}) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.PathOf(std::string(c.name) + ".lnk");
    SaveLink(c, path);
    if (HasFatalFailure()) return;

    const Win32FileServices files;
    const report::ReportEntry entry =
        audit::ShortcutAuditor(files).Audit(path, audit::TargetFilter::kAll).value();
    std::string report;
    report::AppendEntry(report, entry);
    const std::vector<std::string> lines = LinesOf(report);
    // The shell writes genuine links: read by their structure, the target
    // from the link info, or the ID list when there is none.
    EXPECT_TRUE(entry.info.genuine);
    EXPECT_EQ(entry.info.target_source, c.virtual_folder != 0 ? lnk::TargetSource::kIdList
                                                              : lnk::TargetSource::kLinkInfo);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "SHORTCUT NAME:   " + std::string(c.name));
    EXPECT_EQ(lines[1], "LOCATION:   " + path);
    EXPECT_EQ(lines[2], c.target_line);
    EXPECT_EQ(lines[3], c.start_in_line);
    EXPECT_EQ(lines[4], c.icon_line);
    EXPECT_EQ(lines[5], "LENGTH:   " + std::to_string(files.StatusOf(path).size) + " bytes      " +
                            c.key_and_run);
    EXPECT_EQ(lines[6].rfind("READ ONLY:   False ", 0), 0u) << lines[6];
    EXPECT_EQ(lines[7].rfind("CREATED:   ", 0), 0u) << lines[7];
    EXPECT_EQ(lines[8], "");
  }
}

}  // namespace
}  // namespace varnlink::platform
