#include "auditor/report.h"

#include <algorithm>

namespace varnlink::auditor {
namespace {

constexpr std::string_view kLocationLabel = "LOCATION:   ";
constexpr std::string_view kTargetLabel = "TARGET:   ";
constexpr std::string_view kLineEnds = "\r\n";

// The first CR or LF at or after `from` (std::string::find_first_of looks each
// byte up in the set, which is slow on a long report).
std::size_t FindLineEnd(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') return i;
  }
  return std::string_view::npos;
}

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
    const std::size_t end = FindLineEnd(text_, line);
    if (end == std::string::npos) return;
    if (IsLineStart(text_, line)) {
      if (StartsWithAt(text_, line, kLocationLabel)) locations_.push_back(line);
      if (StartsWithAt(text_, line, kTargetLabel)) {
        targets_.Add(text_, line, line + kTargetLabel.size(), end);
      }
    }
    complete_end_ = end + 1;
  }
}

std::optional<std::size_t> Report::FindLineStart(std::string_view needle) const {
  // A needle that starts with the label and stays on one line can only match
  // a line that begins with the label; anything else is searched plainly.
  if (!needle.starts_with(kTargetLabel) || needle.find_first_of(kLineEnds) != std::string_view::npos) {
    return FindLineStartLiteral(text_, needle);
  }
  if (auto hit = targets_.Earliest(text_, needle.substr(kTargetLabel.size()), kTargetLabel.size())) {
    return hit;
  }
  // The last line, while it has no line end yet.
  if (IsLineStart(text_, complete_end_) && StartsWithAt(text_, complete_end_, needle)) {
    return complete_end_;
  }
  return std::nullopt;
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
