#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace varnlink::auditor {

// The report (the text of the results pane): one growing UTF-8 buffer with
// CR LF line ends. Appends never copy what is already there. It also answers
// the two questions the duplicate warnings ask of the report: where a text
// first occurs, and which entry's LOCATION line stands before a position.
class Report {
 public:
  [[nodiscard]] const std::string& Text() const { return text_; }
  void SetText(std::string text);
  void Clear();
  void Append(std::string_view lines);

  // Byte offset of the first occurrence of `needle` anywhere in the text.
  [[nodiscard]] std::optional<std::size_t> FindFirst(std::string_view needle) const;

  // The path on the nearest line before `position` (or the line holding it)
  // that begins with "LOCATION:   ": the text after the label up to the CR.
  // nullopt when no such line exists.
  [[nodiscard]] std::optional<std::string> LocationBefore(std::size_t position) const;

 private:
  std::string text_;
};

}  // namespace varnlink::auditor
