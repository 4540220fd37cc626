#include "platform/win32/win32_error.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace varnlink::platform {
namespace {

class WindowsErrorCategory final : public std::error_category {
 public:
  [[nodiscard]] const char* name() const noexcept override { return "windows"; }

  [[nodiscard]] std::string message(int code) const override {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) text.assign(buffer, length);
    if (buffer != nullptr) LocalFree(buffer);
    // The system's messages end with a full stop and a line end.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' ||
                             text.back() == L' ' || text.back() == L'.')) {
      text.pop_back();
    }
    if (text.empty()) return "Windows error " + std::to_string(static_cast<unsigned>(code));
    return WideToUtf8(text);
  }
};

}  // namespace

const std::error_category& WindowsCategory() {
  static const WindowsErrorCategory category;
  return category;
}

std::system_error WindowsError(unsigned long code, const std::string& subject,
                               const std::string& what) {
  return std::system_error(static_cast<int>(code), WindowsCategory(), subject + ": " + what);
}

}  // namespace varnlink::platform
