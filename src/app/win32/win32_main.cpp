// varnlink.exe: the Varnlink window on Windows. One optional argument, a
// folder, opens that folder as a double-click in the folder list would; a
// shortcut file opens its folder with it selected (the same as the Qt window).

#include <windows.h>
// These need windows.h before them.
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <string>

#include "app/win32/main_window.h"
#include "app/win32/win32_clipboard.h"
#include "app/win32/win32_dpi.h"
#include "app/win32/win32_folder_picker.h"
#include "app/win32/win32_message_dialog.h"
#include "app/win32/win32_printer.h"
#include "app/win32/win32_question_dialog.h"
#include "platform/file_mover.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_services.h"
#include "platform/win32/win32_folder_listing.h"
#include "text/report_text.h"
#include "window/main_window_model.h"

namespace {

// `path` made absolute against the current folder, as given when that fails.
std::wstring FullPath(const wchar_t* path) {
  const DWORD size = GetFullPathNameW(path, 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD written = size == 0 ? 0 : GetFullPathNameW(path, size, full.data(), nullptr);
  if (written == 0 || written >= size) return path;
  full.resize(written);
  return full;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  varnlink::app::win32::UsePerMonitorDpi();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    varnlink::platform::Win32FileServices files;
    varnlink::platform::Win32FolderListing folders;
    varnlink::app::win32::Win32MessageDialog messages;
    varnlink::app::win32::Win32Printer printer;
    varnlink::app::win32::Win32Clipboard clipboard;
    varnlink::app::win32::Win32FolderPicker folder_picker;
    varnlink::app::win32::Win32QuestionDialog question;
    varnlink::window::MainWindowModel model(
        varnlink::window::Platform{files, folders, messages, printer, clipboard},
        varnlink::window::CleanUpServices{folder_picker, question,
                                          varnlink::platform::SystemFileMover()});
    varnlink::app::win32::MainWindow window(model, folders);
    if (!window.Create(instance, show)) {
      MessageBoxW(nullptr, L"Varnlink: cannot create the main window", L"Varnlink",
                  MB_OK | MB_ICONERROR);
      return 1;
    }
    int argc = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
      if (argc > 1) window.OpenPath(varnlink::platform::WideToUtf8(FullPath(argv[1])));
      LocalFree(argv);
    }
    // IsDialogMessageW gives the controls Tab, Shift+Tab and arrow-key
    // navigation in tab order, as in a dialog.
    const auto main_window = static_cast<HWND>(window.Window());
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (IsDialogMessageW(main_window, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
  } catch (const std::exception& e) {
    MessageBoxW(nullptr,
                varnlink::platform::Utf8ToWide(varnlink::text::ShownText(e.what())).c_str(),
                L"Varnlink", MB_OK | MB_ICONERROR);
    return 1;
  }
}
