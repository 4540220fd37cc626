#pragma once

#include <string>
#include <string_view>

#include "text/windows1252.h"

namespace varnlink::text {

// Turns a shortcut's ANSI bytes into UTF-8. ANSI text is in the code page of
// the machine that wrote the link, which the link does not record; a decoder
// reads it in one code page. It does not guess the page.
class TextDecoder {
 public:
  virtual ~TextDecoder() = default;

  // The Windows code page the bytes are read in (1252, 936, ...).
  [[nodiscard]] virtual unsigned CodePage() const = 0;

  // `bytes` in that code page as UTF-8; NUL bytes stay NULs.
  [[nodiscard]] virtual std::string AnsiToUtf8(std::string_view bytes) const = 0;
};

// Windows-1252, the ANSI code page of Western European Windows.
class Windows1252Decoder final : public TextDecoder {
 public:
  [[nodiscard]] unsigned CodePage() const override { return 1252; }
  [[nodiscard]] std::string AnsiToUtf8(std::string_view bytes) const override {
    return Windows1252ToUtf8(bytes);
  }
};

}  // namespace varnlink::text
