#pragma once

// Page layout of the printed report: the printer's text output breaks lines
// that do not fit the page width and starts a new page when the page is full.

#include <string>
#include <string_view>
#include <vector>

namespace varnlink::app::win32 {

using PrintedPage = std::vector<std::wstring>;

// Splits `text` at its line ends (CR LF, or a lone CR or LF), wraps each line
// at `columns` characters and fills pages of `rows` lines. A text ending in a
// line end yields an empty last line, as the printer moves down once more.
// Always yields at least one page. `columns` and `rows` below 1 count as 1.
[[nodiscard]] std::vector<PrintedPage> LayOutPages(std::wstring_view text, int columns, int rows);

}  // namespace varnlink::app::win32
