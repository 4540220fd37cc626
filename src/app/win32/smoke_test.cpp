// Smoke test of varnlink.exe: starts it in the current folder, opens that
// folder with a click in the folder list, presses "Audit" by window message,
// reads the report and the result line back from the window's controls and
// saves a screenshot of the window; presses "Copy" and reads the clipboard. Usage: varnlink_smoke_test VARNLINK_EXE
// [SCREENSHOT.bmp]. Exit 0 when the report is whole and the count matches.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The controls' identifiers in main_window.h.
constexpr int kText1 = 101;
constexpr int kCommand1 = 102;
constexpr int kCommand3 = 104;
constexpr int kLabel1 = 105;
constexpr int kLabel2 = 106;
constexpr int kDir1 = 116;

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

std::string Narrow(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
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

// The clipboard's plain text, and whether it also offers rich text.
std::wstring ClipboardText(bool& offers_rich_text) {
  std::wstring text;
  offers_rich_text = IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Rich Text Format")) != 0;
  if (!OpenClipboard(nullptr)) return L"<the clipboard cannot be opened>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool SaveScreenshot(HWND window, const std::wstring& path) {
  RECT box{};
  GetWindowRect(window, &box);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
  SelectObject(memory, old);
  const DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
  const DWORD image = row * static_cast<DWORD>(height);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof(header) + sizeof(info.bmiHeader);
  header.bfSize = header.bfOffBits + image;
  bool ok = false;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ok = WriteFile(file, &header, sizeof(header), &written, nullptr) &&
         WriteFile(file, &info.bmiHeader, sizeof(info.bmiHeader), &written, nullptr) &&
         WriteFile(file, bits, image, &written, nullptr);
    CloseHandle(file);
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Fail("usage: varnlink_smoke_test VARNLINK_EXE [SCREENSHOT.bmp]");
  std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return Fail("cannot start " + Narrow(argv[1]));
  }
  WaitForInputIdle(process.hProcess, 30000);
  HWND window = nullptr;
  for (int i = 0; i < 600 && window == nullptr; ++i) {
    window = FindWindowW(L"VarnlinkForm1", nullptr);
    if (window == nullptr) Sleep(50);
  }
  const auto finish = [&](int status) {
    if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
  };
  if (window == nullptr) return finish(Fail("no Varnlink window appeared within 30 seconds"));

  wchar_t title[128] = {};
  GetWindowTextW(window, title, 128);
  if (std::wstring(title) != L"Varnlink V1.0") return finish(Fail("window title is " + Narrow(title)));
  if (!IsZoomed(window)) return finish(Fail("the window did not open maximised"));

  // A click on the highlighted (current) folder: Dir1_Click puts it in Label2.
  const HWND dir1 = GetDlgItem(window, kDir1);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(kDir1, LBN_SELCHANGE), reinterpret_cast<LPARAM>(dir1));
  const std::wstring folder = TextOf(GetDlgItem(window, kLabel2));
  if (folder.empty()) return finish(Fail("the folder click left Label2 empty"));

  // BM_CLICK returns once the window has handled the click, run included.
  SendMessageW(GetDlgItem(window, kCommand1), BM_CLICK, 0, 0);
  const std::wstring result = TextOf(GetDlgItem(window, kLabel1));
  const std::wstring report = TextOf(GetDlgItem(window, kText1));
  const std::size_t entries = Count(report, L"SHORTCUT NAME:   ");
  std::printf("smoke test: folder %s: %s; %zu report entries, %zu characters\n",
              Narrow(folder).c_str(), Narrow(result).c_str(), entries, report.size());
  if (entries == 0) return finish(Fail("the report is empty"));
  const std::wstring expected =
      std::to_wstring(entries) + (entries == 1 ? L" Shortcut Found" : L" Shortcuts Found");
  if (result != expected) return finish(Fail("Label1 says " + Narrow(result) + ", the report holds " +
                                             std::to_string(entries) + " entries"));
  for (const wchar_t* label : {L"LOCATION:   ", L"TARGET:   ", L"START IN:   ", L"ICON SOURCE:   ",
                               L"LENGTH:   ", L"READ ONLY:   ", L"CREATED:   "}) {
    if (Count(report, label) != entries) {
      return finish(Fail("the report has not one " + Narrow(label) + "line per entry"));
    }
  }

  // "Copy" puts exactly the report on the clipboard, as plain text only.
  SendMessageW(GetDlgItem(window, kCommand3), BM_CLICK, 0, 0);
  bool rich = false;
  const std::wstring copied = ClipboardText(rich);
  if (WithoutCarriageReturns(copied) != WithoutCarriageReturns(report)) {
    return finish(Fail("the clipboard does not hold the report (" + std::to_string(copied.size()) +
                       " characters)"));
  }
  if (copied.find(L"\r\n") == std::wstring::npos) {
    return finish(Fail("the copied report has no CR LF line ends"));
  }
  if (rich) return finish(Fail("the clipboard offers rich text as well"));
  std::printf("smoke test: Copy put the %zu-character report on the clipboard as plain text\n",
              copied.size());

  if (argc > 2) {
    Sleep(500);  // let the window finish painting
    if (!SaveScreenshot(window, argv[2])) return finish(Fail("cannot save " + Narrow(argv[2])));
  }
  return finish(0);
}
