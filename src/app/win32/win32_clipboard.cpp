#include "app/win32/win32_clipboard.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"

namespace varnlink::app::win32 {

using platform::Utf8ToWide;
using platform::WindowsError;
namespace {

constexpr const char* kSubject = "clipboard";

// Another program may hold the clipboard open for a moment; wait briefly.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) {
    for (int attempt = 0; attempt < 20; ++attempt) {
      if (OpenClipboard(owner)) return;
      Sleep(10);
    }
    throw WindowsError(GetLastError(), kSubject, "cannot open the clipboard");
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  ~OpenedClipboard() { CloseClipboard(); }
};

HWND AsWindow(void* handle) { return static_cast<HWND>(handle); }

}  // namespace

Win32Clipboard::Win32Clipboard() {
  owner_ = CreateWindowExW(0, L"STATIC", L"Varnlink clipboard", 0, 0, 0, 0, 0, HWND_MESSAGE,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  if (owner_ == nullptr) {
    throw WindowsError(GetLastError(), kSubject, "cannot make the clipboard's owner window");
  }
}

Win32Clipboard::~Win32Clipboard() { DestroyWindow(AsWindow(owner_)); }

void Win32Clipboard::Clear() {
  const OpenedClipboard open(AsWindow(owner_));
  if (!EmptyClipboard()) throw WindowsError(GetLastError(), kSubject, "cannot clear the clipboard");
}

void Win32Clipboard::SetText(const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) {
    throw WindowsError(GetLastError(), kSubject, "cannot hold the text for the clipboard");
  }
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    const DWORD code = GetLastError();
    GlobalFree(memory);
    throw WindowsError(code, kSubject, "cannot hold the text for the clipboard");
  }
  std::memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(memory);

  const OpenedClipboard open(AsWindow(owner_));
  // Data is accepted only from the clipboard's owner: take ownership when
  // someone else emptied it last (Clear normally just did, as this window).
  if (GetClipboardOwner() != AsWindow(owner_) && !EmptyClipboard()) {
    const DWORD code = GetLastError();
    GlobalFree(memory);
    throw WindowsError(code, kSubject, "cannot clear the clipboard");
  }
  if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
    const DWORD code = GetLastError();
    GlobalFree(memory);  // the system took no ownership
    throw WindowsError(code, kSubject, "cannot put the text on the clipboard");
  }
}

}  // namespace varnlink::app::win32
