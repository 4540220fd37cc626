#pragma once

// The duplicate checks' question answered by a plain scan of the report's
// text, as the reference the indexed answers are tested against: the first
// line that begins with a text, and the path on the nearest LOCATION line at
// or before it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace varnlink::test_support {

// Byte offset of the first line (at the text's start or after a LF) that
// begins with `needle`.
[[nodiscard]] std::optional<std::size_t> FindLineStartLiteral(std::string_view text,
                                                              std::string_view needle);

// The path on the nearest line at or before `position` that begins with
// "LOCATION:   ": the text after the label up to the next CR.
[[nodiscard]] std::optional<std::string> LocationBeforeLiteral(std::string_view text,
                                                               std::size_t position);

// Both at once: the path of the earlier entry whose TARGET line begins with
// "TARGET:   " + `target_text`, as a search of the report finds it.
[[nodiscard]] std::optional<std::string> EarlierTargetLiteral(std::string_view report,
                                                              std::string_view target_text);

}  // namespace varnlink::test_support
