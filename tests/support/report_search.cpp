#include "tests/support/report_search.h"

#include <algorithm>

namespace varnlink::test_support {
namespace {

constexpr std::string_view kLocationLabel = "LOCATION:   ";

bool IsLineStart(std::string_view text, std::size_t position) {
  return position == 0 || text[position - 1] == '\n';
}

}  // namespace

std::optional<std::size_t> FindLineStartLiteral(std::string_view text, std::string_view needle) {
  for (std::size_t at = text.find(needle); at != std::string_view::npos;
       at = text.find(needle, at + 1)) {
    if (IsLineStart(text, at)) return at;
  }
  return std::nullopt;
}

std::optional<std::string> LocationBeforeLiteral(std::string_view text, std::size_t position) {
  position = std::min(position, text.size());
  for (std::size_t i = position + 1; i-- > 0;) {
    if (IsLineStart(text, i) && text.substr(i, kLocationLabel.size()) == kLocationLabel) {
      const std::size_t start = i + kLocationLabel.size();
      const std::size_t cr = text.find('\r', start);
      if (cr == std::string_view::npos) return std::nullopt;
      return std::string(text.substr(start, cr - start));
    }
  }
  return std::nullopt;
}

std::optional<std::string> EarlierTargetLiteral(std::string_view report,
                                                std::string_view target_text) {
  const auto at = FindLineStartLiteral(report, "TARGET:   " + std::string(target_text));
  if (!at) return std::nullopt;
  return LocationBeforeLiteral(report, *at);
}

}  // namespace varnlink::test_support
