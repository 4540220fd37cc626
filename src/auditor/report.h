#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "auditor/target_index.h"

namespace varnlink::auditor {

// The report (the text of the results pane): one growing UTF-8 buffer with
// CR LF line ends. Appends never copy what is already there. It also answers
// the two questions the duplicate warnings ask of the report: which line first
// begins with a text, and which entry's LOCATION line stands before a position
// — from indexes kept as lines are completed, with exactly the answers of a
// plain search over the whole text (FindLineStartLiteral, LocationBeforeLiteral).
//
// Only a line's start counts: a shortcut's own text can hold "TARGET:   " or
// "LOCATION:   " but never a line end, so it can never start a line and never
// pass for another entry's target or location.
class Report {
 public:
  [[nodiscard]] const std::string& Text() const { return text_; }
  void SetText(std::string text);
  void Clear();
  void Append(std::string_view lines);
  // Room for `bytes` of text without moving it again (a run knows roughly how
  // much it will write).
  void Reserve(std::size_t bytes) { text_.reserve(bytes); }

  // Byte offset of the first line (at the text's start or after a LF) that
  // begins with `needle`.
  [[nodiscard]] std::optional<std::size_t> FindLineStart(std::string_view needle) const;

  // The path on the nearest line at or before `position` that begins (at the
  // text's start or after a LF) with "LOCATION:   ": the text after the label
  // up to the next CR. nullopt when there is no such line or no CR follows.
  [[nodiscard]] std::optional<std::string> LocationBefore(std::size_t position) const;

 private:
  void IndexCompleteLines();

  std::string text_;
  std::size_t complete_end_ = 0;  // where the first line not yet ended by CR or LF starts
  TargetIndex targets_;  // lines that begin with "TARGET:   "
  std::vector<std::size_t> locations_;  // starts of complete LOCATION lines
};

// The same two answers by a plain scan of `text`, for texts the index does not
// cover and as the reference the index is tested against.
[[nodiscard]] std::optional<std::size_t> FindLineStartLiteral(std::string_view text,
                                                              std::string_view needle);
[[nodiscard]] std::optional<std::string> LocationBeforeLiteral(std::string_view text,
                                                               std::size_t position);

}  // namespace varnlink::auditor
