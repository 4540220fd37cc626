#pragma once

#include <string>

namespace varnlink::window {

// A modal question: the text, the question icon, OK and Cancel buttons,
// titled with the product's name, Cancel the default. Ask returns true only
// when the user pressed OK; closing the box is Cancel.
class QuestionDialog {
 public:
  virtual ~QuestionDialog() = default;
  [[nodiscard]] virtual bool Ask(const std::string& text) = 0;
};

}  // namespace varnlink::window
