#pragma once

#include "window/message_dialog.h"

namespace varnlink::app::win32 {

// MessageBoxW with the information icon and one OK button, titled "Varnlink",
// owned by the thread's active window so it is modal to the main window.
class Win32MessageDialog final : public window::MessageDialog {
 public:
  void Show(const std::string& text) override;
};

}  // namespace varnlink::app::win32
