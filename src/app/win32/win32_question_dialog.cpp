#include "app/win32/win32_question_dialog.h"

#include <windows.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"

namespace varnlink::app::win32 {

bool Win32QuestionDialog::Ask(const std::string& text) {
  const int answer = MessageBoxW(GetActiveWindow(), platform::Utf8ToWide(text).c_str(),
                                 L"Varnlink", MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
  if (answer == 0) {
    throw platform::WindowsError(GetLastError(), "message box", "cannot ask the question");
  }
  return answer == IDOK;
}

}  // namespace varnlink::app::win32
