#include "auditor/report.h"

#include <algorithm>

namespace varnlink::auditor {
namespace {

constexpr std::string_view kLocationLabel = "LOCATION:   ";
constexpr std::string_view kTargetLabel = "TARGET:   ";
constexpr std::string_view kLineEnds = "\r\n";

bool IsLineStart(std::string_view text, std::size_t position) {
  return position == 0 || text[position - 1] == '\n';
}

bool StartsWithAt(std::string_view text, std::size_t position, std::string_view label) {
  return text.substr(position, label.size()) == label;
}

std::optional<std::string> PathOnLocationLine(std::string_view text, std::size_t line) {
  const std::size_t start = line + kLocationLabel.size();
  const std::size_t cr = text.find('\r', start);
  if (cr == std::string_view::npos) return std::nullopt;
  return std::string(text.substr(start, cr - start));
}

}  // namespace

std::optional<std::size_t> FindFirstLiteral(std::string_view text, std::string_view needle) {
  const std::size_t at = text.find(needle);
  if (at == std::string_view::npos) return std::nullopt;
  return at;
}

std::optional<std::string> LocationBeforeLiteral(std::string_view text, std::size_t position) {
  position = std::min(position, text.size());
  for (std::size_t i = position + 1; i-- > 0;) {
    if (IsLineStart(text, i) && StartsWithAt(text, i, kLocationLabel)) {
      return PathOnLocationLine(text, i);
    }
  }
  return std::nullopt;
}

void Report::SetText(std::string text) {
  Clear();
  text_ = std::move(text);
  IndexCompleteLines();
}

void Report::Clear() {
  text_.clear();
  complete_end_ = 0;
  targets_.Clear();
  locations_.clear();
}

void Report::Append(std::string_view lines) {
  text_.append(lines);
  IndexCompleteLines();
}

void Report::IndexCompleteLines() {
  while (true) {
    const std::size_t line = complete_end_;
    const std::size_t end = text_.find_first_of(kLineEnds, line);
    if (end == std::string::npos) return;
    if (IsLineStart(text_, line) && StartsWithAt(text_, line, kLocationLabel)) {
      locations_.push_back(line);
    }
    const std::string_view text_of_line = std::string_view(text_).substr(line, end - line);
    for (std::size_t at = text_of_line.find(kTargetLabel); at != std::string_view::npos;
         at = text_of_line.find(kTargetLabel, at + 1)) {
      targets_.Add(text_, line + at, line + at + kTargetLabel.size(), end);
    }
    complete_end_ = end + 1;
  }
}

std::optional<std::size_t> Report::FindFirst(std::string_view needle) const {
  // A needle that starts with the label and stays on one line can only match
  // where the label starts; anything else is searched plainly.
  if (!needle.starts_with(kTargetLabel) || needle.find_first_of(kLineEnds) != std::string_view::npos) {
    return FindFirstLiteral(text_, needle);
  }
  if (auto hit = targets_.Earliest(text_, needle.substr(kTargetLabel.size()), kTargetLabel.size())) {
    return hit;
  }
  // The last line, while it has no line end yet.
  const std::size_t at = text_.find(needle, complete_end_);
  if (at == std::string::npos) return std::nullopt;
  return at;
}

std::optional<std::string> Report::LocationBefore(std::size_t position) const {
  if (position >= complete_end_ && IsLineStart(text_, complete_end_) &&
      StartsWithAt(text_, complete_end_, kLocationLabel)) {
    return PathOnLocationLine(text_, complete_end_);
  }
  const auto after = std::upper_bound(locations_.begin(), locations_.end(), position);
  if (after == locations_.begin()) return std::nullopt;
  return PathOnLocationLine(text_, *std::prev(after));
}

}  // namespace varnlink::auditor
