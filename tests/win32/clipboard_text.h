#pragma once

// What the clipboard holds, read as any other program reads it, for the tests
// that check what Copy leaves there.

#include <windows.h>

#include <string>

namespace varnlink::win32_test {

// The clipboard's Unicode text; empty when it holds none.
inline std::wstring ClipboardText() {
  std::wstring text;
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

}  // namespace varnlink::win32_test
