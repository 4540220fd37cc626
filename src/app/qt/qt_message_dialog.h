#pragma once

#include <QPointer>
#include <QWidget>

#include "window/message_dialog.h"

namespace varnlink::app::qt {

// Message boxes as Qt shows them: modal over the main window, information
// icon, one OK button, titled "Varnlink", the text plain and shown as the
// report shows text. It does not decide what to say.
class QtMessageDialog : public window::MessageDialog {
 public:
  // Boxes are centred on `parent` once it is set (nullptr: on the screen).
  void SetParent(QWidget* parent) { parent_ = parent; }
  void Show(const std::string& text) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace varnlink::app::qt
