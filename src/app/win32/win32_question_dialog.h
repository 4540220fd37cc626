#pragma once

#include "window/question_dialog.h"

namespace varnlink::app::win32 {

// MessageBoxW with the question icon, OK and Cancel (Cancel the default),
// titled "Varnlink", owned by the thread's active window so it is modal to
// the main window.
class Win32QuestionDialog final : public window::QuestionDialog {
 public:
  bool Ask(const std::string& text) override;
};

}  // namespace varnlink::app::win32
