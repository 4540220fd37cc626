#pragma once

#include <string>
#include <string_view>

namespace varnlink::text {

// The one rule by which Windows names (UTF-8) compare without regard to case:
// each UTF-16 code unit is upper-cased by the table an NTFS volume keeps for
// its file names ($UpCase, as Windows Vista and later write it). That table is
// simple upper-casing, one unit for one unit, and narrower than Unicode case
// folding: "é" matches "É", but "ß" stays "ß", and no letter outside ASCII
// turns into an ASCII one (dotless "ı" is not "I", long "ſ" not "S"), so a
// comparison with an ASCII keyword reads as it would in ASCII alone.

// The upper-cased UTF-16 form of a name, which these comparisons and the
// listing order compare; a byte that starts no valid UTF-8 sequence is U+FFFD.
[[nodiscard]] std::u16string UpperCaseName(std::string_view name);

[[nodiscard]] bool EqualsIgnoringCase(std::string_view a, std::string_view b);
[[nodiscard]] bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
[[nodiscard]] bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

}  // namespace varnlink::text
