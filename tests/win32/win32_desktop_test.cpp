// The clipboard, the message box and the printer on the real desktop (under
// Wine with a virtual X display in CI).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/error.h"
#include "app/win32/win32_clipboard.h"
#include "app/win32/win32_message_dialog.h"
#include "app/win32/win32_printer.h"
#include "platform/win32/wide_text.h"
#include "tests/support/scratch_folder.h"
#include "tests/win32/clipboard_text.h"
#include "tests/win32/win32_test_files.h"

namespace varnlink::platform {
namespace {

using win32_test::ClipboardText;
using app::win32::Win32Clipboard;
using app::win32::Win32MessageDialog;
using app::win32::Win32Printer;

bool PutPrivateFormat() {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 4);
  const bool ok = SetClipboardData(CF_PRIVATEFIRST + 7, memory) != nullptr;
  CloseClipboard();
  return ok;
}

TEST(Win32Clipboard, ClearsEveryFormatThenHoldsTheReportEvenEmptyAsUnicodeText) {
  ASSERT_TRUE(PutPrivateFormat());
  Win32Clipboard clipboard;
  clipboard.Clear();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_PRIVATEFIRST + 7));
  const std::string report = "SHORTCUT NAME:   caf\xC3\xA9\r\nLOCATION:   C:\\x.lnk\r\n\r\n";
  clipboard.SetText(report);
  EXPECT_EQ(ClipboardText(), L"SHORTCUT NAME:   caf\u00E9\r\nLOCATION:   C:\\x.lnk\r\n\r\n");
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_PRIVATEFIRST + 7));
  // An empty report is empty text, not no text.
  clipboard.Clear();
  clipboard.SetText("");
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_EQ(ClipboardText(), L"");
}

// Presses OK on the first "Varnlink" box that appears, after noting what it
// shows.
struct BoxWatcher {
  std::atomic<bool> seen{false};
  std::wstring text;
  bool information_icon = false;
  int buttons = 0;
  std::thread thread;

  BoxWatcher() {
    thread = std::thread([this] {
      for (int i = 0; i < 500 && !seen; ++i) {
        HWND box = FindWindowW(L"#32770", L"Varnlink");
        if (box == nullptr) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
          continue;
        }
        EnumChildWindows(box, &BoxWatcher::Visit, reinterpret_cast<LPARAM>(this));
        seen = true;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
    });
  }
  ~BoxWatcher() {
    if (thread.joinable()) thread.join();
  }

  static BOOL CALLBACK Visit(HWND child, LPARAM self_param) {
    auto* self = reinterpret_cast<BoxWatcher*>(self_param);
    wchar_t kind[32] = {};
    GetClassNameW(child, kind, 32);
    wchar_t caption[256] = {};
    GetWindowTextW(child, caption, 256);
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if (lstrcmpiW(kind, L"Button") == 0 && IsWindowVisible(child)) ++self->buttons;
    if (lstrcmpiW(kind, L"Static") == 0) {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        const auto icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        self->information_icon = icon == LoadIconW(nullptr, IDI_INFORMATION);
      } else if (caption[0] != L'\0') {
        self->text = caption;
      }
    }
    return TRUE;
  }
};

TEST(Win32MessageDialog, ShowsTheTextWithTheInformationIconAndOneButton) {
  BoxWatcher watcher;
  Win32MessageDialog().Show("Duplicate target: caf\xC3\xA9");
  watcher.thread.join();
  EXPECT_TRUE(watcher.seen);
  EXPECT_EQ(watcher.text, L"Duplicate target: caf\u00E9");
  EXPECT_TRUE(watcher.information_icon);
  EXPECT_EQ(watcher.buttons, 1);
}

TEST(Win32Printer, FailsNamingThePrinterAndTheCauseWithoutAPrinter) {
  DWORD needed = 0;
  GetDefaultPrinterW(nullptr, &needed);
  if (needed != 0) GTEST_SKIP() << "this system has a default printer";
  try {
    Win32Printer().PrintText("report\r\n");
    ADD_FAILURE() << "printing without a printer did not fail";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "printer: cannot print: there is no default printer");
  }
}

std::string ReadAll(const std::string& path) {
  std::string content;
  const HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return content;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  CloseHandle(file);
  return content;
}

std::size_t CountOf(const std::string& text, const std::string& needle) {
  std::size_t count = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
    ++count;
  }
  return count;
}

TEST(Win32Printer, PrintsOneDocumentWithAPageForEveryPageful) {
  DWORD needed = 0;
  GetDefaultPrinterW(nullptr, &needed);
  if (needed == 0) GTEST_SKIP() << "this system has no default printer";
  const test_support::ScratchFolder folder;
  std::string report;
  for (int i = 0; i < 200; ++i) report += "LINE " + std::to_string(i) + "\r\n";  // over 2 pages
  const std::string one_page = folder.PathOf("one.out");
  const std::string long_report = folder.PathOf("long.out");
  const int first_job = Win32Printer(one_page).PrintText("SHORT REPORT\r\n");
  const int second_job = Win32Printer(long_report).PrintText(report);
  EXPECT_GT(first_job, 0) << "the spooler's job id";
  EXPECT_NE(second_job, first_job);
  const std::string first = ReadAll(one_page);
  const std::string second = ReadAll(long_report);
  ASSERT_FALSE(first.empty()) << "the driver wrote nothing to " << one_page;
  if (first.rfind("%!PS", 0) != 0) GTEST_SKIP() << "the driver does not write PostScript";
  EXPECT_EQ(CountOf(first, "%%Page: "), 1u);
  EXPECT_GE(CountOf(second, "%%Page: "), 3u);
  EXPECT_EQ(CountOf(second, "%%EOF"), 1u);
}

}  // namespace
}  // namespace varnlink::platform
