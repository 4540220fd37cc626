#pragma once

#include <string>

namespace varnlink::window {

// The system clipboard: Clear removes every format; SetText offers `text` as
// plain text only.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void Clear() = 0;
  virtual void SetText(const std::string& text) = 0;
};

}  // namespace varnlink::window
