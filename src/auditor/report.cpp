#include "auditor/report.h"

namespace varnlink::auditor {
namespace {

constexpr std::string_view kLocationLabel = "LOCATION:   ";

}  // namespace

void Report::SetText(std::string text) { text_ = std::move(text); }

void Report::Clear() { text_.clear(); }

void Report::Append(std::string_view lines) { text_.append(lines); }

std::optional<std::size_t> Report::FindFirst(std::string_view needle) const {
  const std::size_t at = text_.find(needle);
  if (at == std::string::npos) return std::nullopt;
  return at;
}

std::optional<std::string> Report::LocationBefore(std::size_t position) const {
  // The nearest line start at or before `position` that holds the label:
  // either the report's start or just after a LF.
  std::size_t line = std::string::npos;
  if (position > 0) {
    const std::size_t lf = text_.rfind(std::string("\n").append(kLocationLabel), position - 1);
    if (lf != std::string::npos) line = lf + 1;
  }
  if (line == std::string::npos) {
    if (text_.compare(0, kLocationLabel.size(), kLocationLabel) != 0) return std::nullopt;
    line = 0;
  }
  const std::size_t start = line + kLocationLabel.size();
  const std::size_t cr = text_.find('\r', start);
  if (cr == std::string::npos) return std::nullopt;
  return text_.substr(start, cr - start);
}

}  // namespace varnlink::auditor
