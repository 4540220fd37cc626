#pragma once

#include <string>
#include <string_view>

// The decoder reaches Utf16LeToUtf8 through this header.
#include "text/utf16.h"

namespace varnlink::text {

// Text as the report shows it: valid UTF-8 in which every control character
// (below U+0020, U+007F, U+0080 to U+009F), line and paragraph separator and
// bidirectional embedding, override or isolate is "?" and every invalid byte
// sequence is U+FFFD. A shortcut's own text can therefore never start a report
// line or forge another entry's lines.
[[nodiscard]] std::string ShownText(std::string_view utf8);

// Appends ShownText(utf8) to `out`.
void AppendShownText(std::string& out, std::string_view utf8);

// ASCII letters upper-cased (lower-cased), every other byte kept.
[[nodiscard]] std::string AsciiUpper(std::string_view text);
[[nodiscard]] std::string AsciiLower(std::string_view text);

}  // namespace varnlink::text
