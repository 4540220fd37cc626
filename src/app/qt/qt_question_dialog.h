#pragma once

#include <QPointer>
#include <QWidget>

#include "window/question_dialog.h"

namespace varnlink::app::qt {

// OK/Cancel questions as Qt shows them: modal over the main window, question
// icon, Cancel the default, titled "Varnlink", the text plain and shown as
// the report shows text. It does not decide what to ask.
class QtQuestionDialog : public window::QuestionDialog {
 public:
  void SetParent(QWidget* parent) { parent_ = parent; }
  bool Ask(const std::string& text) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace varnlink::app::qt
