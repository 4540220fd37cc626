#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "text/text_decoder.h"

namespace varnlink::text {

// Windows' ANSI code pages, in the order a link's code page is inferred in:
// Western first, then the other single-byte pages, then the double-byte ones,
// then UTF-8 (which Windows can use as its system code page).
inline constexpr std::array<unsigned, 15> kAnsiCodePages = {
    1252, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258, 874, 932, 936, 949, 950, 65001};

[[nodiscard]] bool IsAnsiCodePage(unsigned code_page);

// Why this system cannot read `code_page` (its converter is missing: on Linux
// glibc's gconv modules); nullopt when it can.
[[nodiscard]] std::optional<std::string> CodePageFault(unsigned code_page);

// ANSI text in one of Windows' ANSI code pages, read by the platform's
// converter (iconv on Linux, MultiByteToWideChar on Windows) so that both
// builds read every byte as Windows does: where glibc refuses a byte or reads
// it otherwise (bytes a page leaves undefined, CP932's 0x80, CP1258's
// combining marks, which glibc composes), the Linux build reads it as Windows
// does. A byte Windows cannot read becomes what Windows makes of it (its
// default character). The page must be one CodePageFault accepts.
class CodePageDecoder final : public TextDecoder {
 public:
  explicit CodePageDecoder(unsigned code_page) : code_page_(code_page) {}
  [[nodiscard]] unsigned CodePage() const override { return code_page_; }
  [[nodiscard]] std::string AnsiToUtf8(std::string_view bytes) const override;

 private:
  unsigned code_page_;
};

}  // namespace varnlink::text
