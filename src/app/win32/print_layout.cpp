#include "app/win32/print_layout.h"

#include <algorithm>

namespace varnlink::app::win32 {

std::vector<PrintedPage> LayOutPages(std::wstring_view text, int columns, int rows) {
  const auto width = static_cast<std::size_t>(std::max(columns, 1));
  const auto height = static_cast<std::size_t>(std::max(rows, 1));

  std::vector<std::wstring> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find_first_of(L"\r\n", start);
    const std::wstring_view line =
        text.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start);
    if (line.empty()) lines.emplace_back();
    for (std::size_t at = 0; at < line.size(); at += width) {
      lines.emplace_back(line.substr(at, width));
    }
    if (end == std::wstring_view::npos) break;
    start = end + 1;
    if (text[end] == L'\r' && start < text.size() && text[start] == L'\n') ++start;
  }

  std::vector<PrintedPage> pages;
  for (std::size_t at = 0; at < lines.size(); at += height) {
    const auto last = std::min(lines.size(), at + height);
    pages.emplace_back(lines.begin() + static_cast<std::ptrdiff_t>(at),
                       lines.begin() + static_cast<std::ptrdiff_t>(last));
  }
  return pages;
}

}  // namespace varnlink::app::win32
