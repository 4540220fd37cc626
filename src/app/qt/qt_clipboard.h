#pragma once

#include "window/clipboard.h"

namespace varnlink::app::qt {

// The system clipboard through Qt. SetText offers text/plain and nothing
// else (no HTML or rich text), so a paste anywhere gets exactly the report.
class QtClipboard : public window::Clipboard {
 public:
  void Clear() override;
  void SetText(const std::string& text) override;
};

}  // namespace varnlink::app::qt
