// Smoke test of varnlink.exe: starts it in the current folder and checks what
// the user sees. Every control of the layout table stands at its place for
// the window's size and DPI with its caption, maximised and resized to
// 1600 x 1000 (scaled by the DPI), and Tab visits them in the table's order;
// the shortcut list shows the folder's names as the report shows them; a
// click on the open folder in the folder list chooses it, "Audit" (pressed by
// window message) fills the report and the result line, "Copy" puts the
// report on the clipboard; once the maximised window is drawn, a screenshot
// of it is saved.
//   varnlink_smoke_test VARNLINK_EXE [SCREENSHOT.bmp]
// Exit 0 when all of that holds.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "app/win32/win32_dpi.h"
#include "platform/win32/wide_text.h"
#include "tests/win32/clipboard_text.h"
#include "text/report_text.h"
#include "window/layout.h"

namespace {

using varnlink::app::win32::ControlNumber;
using varnlink::platform::Utf8ToWide;
using varnlink::platform::WideToUtf8;
using varnlink::window::ControlId;

int Fail(const std::string& why) {
  std::fprintf(stderr, "smoke test: %s\n", why.c_str());
  return 1;
}

std::wstring TextOf(HWND control) {
  // Sent across processes, WM_GETTEXT is copied by the system.
  const auto length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return std::wstring(text.data());
}

std::size_t Count(const std::wstring& text, const std::wstring& needle) {
  std::size_t n = 0;
  for (auto at = text.find(needle); at != std::wstring::npos; at = text.find(needle, at + 1)) ++n;
  return n;
}

std::wstring WithoutCarriageReturns(std::wstring text) {
  std::erase(text, L'\r');
  return text;
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// The layout table's name of the control with this id.
std::string NameOf(int id) {
  for (const varnlink::window::Control& control : varnlink::window::Controls()) {
    if (ControlNumber(control.id) == id) return std::string(control.name);
  }
  return "control " + std::to_string(id);
}

varnlink::window::PixelSize ClientSize(HWND window) {
  RECT area{};
  GetClientRect(window, &area);
  return {area.right - area.left, area.bottom - area.top};
}

// Each control of the layout table at its place in the client area for its
// size and the window's DPI, with its caption; "" when all are, else what is
// wrong.
std::string LayoutFault(HWND window) {
  const varnlink::window::PixelSize client = ClientSize(window);
  const int dpi = varnlink::app::win32::WindowDpi(window);
  for (const varnlink::window::Control& control : varnlink::window::Controls()) {
    const std::string name(control.name);
    const HWND item = GetDlgItem(window, ControlNumber(control.id));
    if (item == nullptr) return "no control " + name;
    RECT shown{};
    GetWindowRect(item, &shown);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&shown), 2);
    const varnlink::window::PixelRect want = varnlink::window::PlaceInWindow(control, client, dpi);
    RECT expected{want.left, want.top, want.left + want.width, want.top + want.height};
    // A closed drop-down list is as tall as its font makes it.
    if (control.kind == varnlink::window::ControlKind::kDropDownList)
      expected.bottom = shown.bottom;
    if (!EqualRect(&shown, &expected)) {
      return name + " is at " + Describe(shown) + ", the layout says " + Describe(expected);
    }
    if (!control.caption.empty() && TextOf(item) != Utf8ToWide(control.caption)) {
      return name + " says \"" + WideToUtf8(TextOf(item)) + "\", the layout \"" +
             std::string(control.caption) + "\"";
    }
  }
  return "";
}

// Tab from Audit round to Audit visits the layout table's tab stops in its
// order, the option buttons once, at the chosen one (all_targets after
// loading), a disabled one (Quarantine… before an audit) passed over; ""
// when it does.
std::string TabOrderFault(HWND window) {
  std::vector<std::string> expected;
  for (const varnlink::window::Control& control : varnlink::window::Controls()) {
    const bool option = control.kind == varnlink::window::ControlKind::kOptionButton;
    if (varnlink::window::IsTabStop(control.kind) &&
        (!option || control.id == ControlId::kAllTargets) &&
        IsWindowEnabled(GetDlgItem(window, ControlNumber(control.id)))) {
      expected.emplace_back(control.name);
    }
  }
  std::vector<std::string> visited;
  const HWND audit = GetDlgItem(window, ControlNumber(ControlId::kAudit));
  HWND at = audit;
  do {
    visited.push_back(NameOf(GetDlgCtrlID(at)));
    at = GetNextDlgTabItem(window, at, FALSE);
  } while (at != nullptr && at != audit && visited.size() <= expected.size());
  if (visited == expected) return "";
  std::string order;
  for (const std::string& name : visited) order += " " + name;
  return "Tab visits" + order;
}

// The rows of the shortcut list against the ".lnk" files of the current
// folder, each name as the report shows it; "" when they match.
std::string ShortcutListFault(HWND list) {
  std::vector<std::wstring> expected;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW(L"*.lnk", &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)))
        expected.push_back(Utf8ToWide(varnlink::text::ShownText(WideToUtf8(found.cFileName))));
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  std::vector<std::wstring> rows;
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::vector<wchar_t> row(
        static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) + 1);
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(row.data()));
    rows.emplace_back(row.data());
  }
  std::sort(expected.begin(), expected.end());
  std::sort(rows.begin(), rows.end());
  if (rows == expected) return "";
  std::string shown;
  for (const std::wstring& row : rows) shown += " [" + WideToUtf8(row) + "]";
  return "the shortcut list shows" + shown;
}

// Sets the client area's size, the window restored from maximised.
void ResizeClient(HWND window, int width, int height) {
  SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  RECT frame{0, 0, width, height};
  varnlink::app::win32::AdjustWindowRectForDpi(&frame, WS_OVERLAPPEDWINDOW, 0,
                                             varnlink::app::win32::WindowDpi(window));
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// Waits until the window and every control in it have painted what they
// were asked to (no update region left); false after 30 seconds.
bool WaitUntilDrawn(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  for (int i = 0; i < 600; ++i) {
    bool pending = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr && !pending;
         child = GetWindow(child, GW_HWNDNEXT)) {
      pending = GetUpdateRect(child, nullptr, FALSE) != FALSE;
    }
    if (!pending) return true;
    Sleep(50);
  }
  return false;
}

bool SaveScreenshot(HWND window, const wchar_t* path) {
  RECT box{};
  GetWindowRect(window, &box);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  // A bottom-up 24-bit bitmap of the window's size, uncompressed.
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
  SelectObject(memory, old);
  const DWORD image = static_cast<DWORD>((width * 3 + 3) & ~3) * static_cast<DWORD>(height);
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  const BITMAPFILEHEADER header{0x4D42 /* "BM" */, offset + image, 0, 0, offset};
  FILE* file = _wfopen(path, L"wb");
  bool ok = file != nullptr && std::fwrite(&header, sizeof(header), 1, file) == 1 &&
            std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, file) == 1 &&
            std::fwrite(bits, image, 1, file) == 1;
  if (file != nullptr) ok = std::fclose(file) == 0 && ok;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

// What the user sees, step by step (see the top of the file); "" when all of
// it holds, else what does not.
std::string WindowFault(HWND window, const wchar_t* screenshot) {
  const auto control = [&](ControlId id) { return GetDlgItem(window, ControlNumber(id)); };
  if (const std::wstring title = TextOf(window); title != L"Varnlink V1.0") {
    return "window title is " + WideToUtf8(title);
  }
  if (!IsZoomed(window)) return "the window did not open maximised";
  for (const std::string& fault : {LayoutFault(window), TabOrderFault(window)}) {
    if (!fault.empty()) return fault;
  }
  const int dpi = varnlink::app::win32::WindowDpi(window);
  const varnlink::window::PixelSize maximised = ClientSize(window);
  std::printf(
      "smoke test: every control at its place with its caption, in tab order (%dx%d at %d dpi)\n",
      maximised.width, maximised.height, dpi);
  if (std::string fault = ShortcutListFault(control(ControlId::kShortcutList)); !fault.empty()) {
    return fault;
  }

  // A click on the highlighted (open) folder makes it the chosen folder.
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(ControlNumber(ControlId::kFolderList), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(control(ControlId::kFolderList)));
  const std::wstring folder = TextOf(control(ControlId::kChosenFolder));
  if (folder.empty()) return "the folder click left the chosen folder empty";

  // BM_CLICK returns once the window has handled the click, run included.
  SendMessageW(control(ControlId::kAudit), BM_CLICK, 0, 0);
  const std::wstring result = TextOf(control(ControlId::kResultText));
  const std::wstring report = TextOf(control(ControlId::kReport));
  const std::size_t entries = Count(report, L"SHORTCUT NAME:   ");
  std::printf("smoke test: folder %s: %s; %zu report entries, %zu characters\n",
              WideToUtf8(folder).c_str(), WideToUtf8(result).c_str(), entries, report.size());
  if (entries == 0) return "the report is empty";
  if (result !=
      std::to_wstring(entries) + (entries == 1 ? L" Shortcut Found" : L" Shortcuts Found")) {
    return "the result line says " + WideToUtf8(result) + ", the report holds " +
           std::to_string(entries) + " entries";
  }

  // "Copy" puts exactly the report on the clipboard, as plain text only.
  SendMessageW(control(ControlId::kCopy), BM_CLICK, 0, 0);
  const std::wstring copied = varnlink::win32_test::ClipboardText();
  if (WithoutCarriageReturns(copied) != WithoutCarriageReturns(report)) {
    return "the clipboard does not hold the report (" + std::to_string(copied.size()) +
           " characters)";
  }
  if (copied.find(L"\r\n") == std::wstring::npos) return "the copied report has no CR LF line ends";
  if (IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Rich Text Format"))) {
    return "the clipboard offers rich text as well";
  }
  std::printf("smoke test: Copy put the %zu-character report on the clipboard as plain text\n",
              copied.size());

  // Resized to 1600 x 1000 (at 96 dpi; scaled with the DPI), every control
  // follows the layout (the report taking the room, as LayoutGrowth checks).
  ResizeClient(window, MulDiv(1600, dpi, 96), MulDiv(1000, dpi, 96));
  if (const std::string fault = LayoutFault(window); !fault.empty()) return "resized: " + fault;
  const varnlink::window::PixelSize client = ClientSize(window);
  std::printf("smoke test: resized to %dx%d, every control at its place\n", client.width,
              client.height);

  if (screenshot == nullptr) return "";
  SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  if (!WaitUntilDrawn(window)) return "the window was not drawn within 30 seconds";
  return SaveScreenshot(window, screenshot) ? "" : "cannot save " + WideToUtf8(screenshot);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Fail("usage: varnlink_smoke_test VARNLINK_EXE [SCREENSHOT.bmp]");
  varnlink::app::win32::UsePerMonitorDpi();  // to see the window's own pixels
  std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return Fail("cannot start " + WideToUtf8(argv[1]));
  }
  WaitForInputIdle(process.hProcess, 30000);
  // The window exists before it is shown maximised: wait until it is visible.
  HWND window = nullptr;
  for (int i = 0; i < 600 && (window == nullptr || !IsWindowVisible(window)); ++i) {
    window = FindWindowW(varnlink::app::win32::kWindowClass, nullptr);
    if (window == nullptr || !IsWindowVisible(window)) Sleep(50);
  }
  const std::string fault = window == nullptr ? "no Varnlink window appeared within 30 seconds"
                                              : WindowFault(window, argc > 2 ? argv[2] : nullptr);
  if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return fault.empty() ? 0 : Fail(fault);
}
