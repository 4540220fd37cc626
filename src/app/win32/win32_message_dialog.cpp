#include "app/win32/win32_message_dialog.h"

#include <windows.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"

namespace varnlink::app::win32 {

using platform::Utf8ToWide;
using platform::WindowsError;

void Win32MessageDialog::Show(const std::string& text) {
  // Style 64: the information icon with one OK button.
  if (MessageBoxW(GetActiveWindow(), Utf8ToWide(text).c_str(), L"Varnlink",
                  MB_OK | MB_ICONINFORMATION) == 0) {
    throw WindowsError(GetLastError(), "message box", "cannot show the message");
  }
}

}  // namespace varnlink::app::win32
