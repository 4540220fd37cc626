#pragma once

#include "window/clipboard.h"

namespace varnlink::app::win32 {

// The Windows clipboard. It owns a hidden message-only window, because the
// clipboard only takes data from a window that owns it. SetText offers
// CF_UNICODETEXT alone; the system derives the older text formats from it on
// request.
class Win32Clipboard final : public window::Clipboard {
 public:
  Win32Clipboard();
  ~Win32Clipboard() override;
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;

  void Clear() override;
  void SetText(const std::string& text) override;

 private:
  void* owner_ = nullptr;  // HWND
};

}  // namespace varnlink::app::win32
