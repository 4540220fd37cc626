#pragma once

// Named MessageDialog, not MessageBox: <windows.h> defines MessageBox as a macro.

#include <string>

namespace varnlink::window {

// A modal message box: the text, the information icon, one OK button, titled
// with the product's name. Show returns when the user has pressed OK.
class MessageDialog {
 public:
  virtual ~MessageDialog() = default;
  virtual void Show(const std::string& text) = 0;
};

}  // namespace varnlink::window
