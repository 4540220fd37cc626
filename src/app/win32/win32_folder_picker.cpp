#include "app/win32/win32_folder_picker.h"

#include <windows.h>
// These need windows.h before them.
#include <objbase.h>
#include <shobjidl.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"

namespace varnlink::app::win32 {
namespace {

// COM for this thread while the dialog is up; left alone when the thread
// already uses another apartment (then COM is there anyway).
class ComScope {
 public:
  ComScope()
      : initialized_(SUCCEEDED(
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComScope() {
    if (initialized_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialized_;
};

// Releases a COM object however the dialog ends.
template <typename Interface>
class Released {
 public:
  Released() = default;
  ~Released() {
    if (object != nullptr) object->Release();
  }
  Released(const Released&) = delete;
  Released& operator=(const Released&) = delete;
  Interface* object = nullptr;
};

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) {
    throw platform::WindowsError(static_cast<unsigned long>(result), "folder chooser", what);
  }
}

}  // namespace

std::optional<std::string> Win32FolderPicker::PickFolder(const std::string& title) {
  const ComScope com;
  Released<IFileOpenDialog> dialog;
  Check(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                         reinterpret_cast<void**>(&dialog.object)),
        "cannot open");
  FILEOPENDIALOGOPTIONS options = 0;
  Check(dialog.object->GetOptions(&options), "cannot open");
  Check(dialog.object->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM |
                                  FOS_PATHMUSTEXIST),
        "cannot open");
  const std::wstring wide_title = platform::Utf8ToWide(title);
  Check(dialog.object->SetTitle(wide_title.c_str()), "cannot open");
  const HRESULT shown = dialog.object->Show(GetActiveWindow());
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return std::nullopt;
  Check(shown, "cannot show the folders");
  Released<IShellItem> chosen;
  Check(dialog.object->GetResult(&chosen.object), "cannot tell the folder chosen");
  PWSTR path = nullptr;
  Check(chosen.object->GetDisplayName(SIGDN_FILESYSPATH, &path), "cannot tell the folder chosen");
  const std::string folder = platform::WideToUtf8(path);
  CoTaskMemFree(path);
  return folder;
}

}  // namespace varnlink::app::win32
