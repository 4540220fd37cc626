// The report's text protection: what a shortcut's text may not bring into
// the report (control, line-breaking and bidirectional characters) shows as
// "?", broken encodings as U+FFFD, and everything else stays as it is.

#include "text/report_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/utf8.h"

namespace varnlink::text {
namespace {

std::string Utf8(char32_t code_point) {
  std::string text;
  AppendUtf8(text, code_point);
  return text;
}

TEST(ShownText, MasksExactlyTheCharactersThatCouldForgeOrDisguiseAReportLine) {
  struct Range {
    char32_t first;
    char32_t last;
    bool masked;
  };
  const std::vector<Range> ranges = {
      {0x00, 0x1F, true},       // C0 controls, CR and LF among them
      {0x20, 0x7E, false},      // printable ASCII
      {0x7F, 0x9F, true},       // DEL and the C1 controls
      {0xA0, 0x2027, false},    // Latin-1 and on, up to the line separator
      {0x2028, 0x2029, true},   // line and paragraph separators
      {0x202A, 0x202E, true},   // embeddings and overrides
      {0x202F, 0x2065, false},
      {0x2066, 0x2069, true},   // isolates
      {0x206A, 0xD7FF, false},
      {0xE000, 0x10FFFF, false},
  };
  for (const Range& range : ranges) {
    // Both ends and the middle of each range.
    for (const char32_t cp :
         {range.first, range.last, static_cast<char32_t>((range.first + range.last) / 2)}) {
      const std::string text = "a" + Utf8(cp) + "b";
      EXPECT_EQ(ShownText(text), range.masked ? "a?b" : text) << "U+" << std::hex << unsigned{cp};
    }
  }
}

TEST(ShownText, BrokenEncodingsBecomeReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";
  const struct {
    std::string in;
    std::string out;
  } kCases[] = {
      {"\xFF", replacement},                         // not UTF-8 at all
      {"\xC3", replacement},                         // a sequence cut short
      {"\xC0\xAF", replacement + replacement},       // an overlong "/"
      {"\xED\xA0\x80", replacement + replacement + replacement},  // an encoded surrogate
      {"\xC3\xA9t\xC3\xA9 \xE8\xAF\xB4\xE6\x98\x8E \xF0\x9F\x98\x80",
       "\xC3\xA9t\xC3\xA9 \xE8\xAF\xB4\xE6\x98\x8E \xF0\x9F\x98\x80"},  // été 说明 😀 kept
  };
  for (const auto& c : kCases) EXPECT_EQ(ShownText(c.in), c.out);

  // UTF-16 from a shortcut: a lone surrogate and an odd trailing byte.
  const std::vector<std::uint8_t> lone = {'a', 0, 0x00, 0xD8, 'b', 0, 'c'};
  EXPECT_EQ(Utf16LeToUtf8(lone), "a" + replacement + "b" + replacement);
  const std::vector<std::uint8_t> pair = {0x3D, 0xD8, 0x00, 0xDE};
  EXPECT_EQ(Utf16LeToUtf8(pair), "\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace varnlink::text
