#pragma once

#include "window/folder_picker.h"

namespace varnlink::app::win32 {

// The system's folder chooser (the common item dialog picking folders of the
// file system), owned by the thread's active window so it is modal to the
// main window.
class Win32FolderPicker final : public window::FolderPicker {
 public:
  std::optional<std::string> PickFolder(const std::string& title) override;
};

}  // namespace varnlink::app::win32
