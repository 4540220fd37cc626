// The report's text protection: what a shortcut's text may not bring into
// the report (control, line-breaking and bidirectional characters) shows as
// "?", broken encodings as U+FFFD, and everything else stays as it is.

#include "text/report_text.h"

#include <gtest/gtest.h>

#include <string>

#include "text/utf8.h"

namespace varnlink::text {
namespace {

std::string Utf8(char32_t code_point) {
  std::string text;
  AppendUtf8(text, code_point);
  return text;
}

TEST(ShownText, MasksExactlyTheCharactersThatCouldForgeOrDisguiseAReportLine) {
  // Both ends of each masked range (C0 controls with CR and LF, DEL and C1,
  // line and paragraph separators, embeddings and overrides, isolates) and
  // the characters just outside them.
  const char32_t masked[] = {0x00, 0x1F, 0x7F, 0x9F, 0x2028, 0x202E, 0x2066, 0x2069};
  const char32_t shown[] = {0x20, 0x7E, 0xA0, 0x2027, 0x202F, 0x2065, 0x206A, 0x10FFFF};
  for (const char32_t cp : masked) {
    EXPECT_EQ(ShownText("a" + Utf8(cp) + "b"), "a?b") << "U+" << std::hex << unsigned{cp};
  }
  for (const char32_t cp : shown) {
    const std::string text = "a" + Utf8(cp) + "b";
    EXPECT_EQ(ShownText(text), text) << "U+" << std::hex << unsigned{cp};
  }
}

TEST(ShownText, BrokenEncodingsBecomeReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";
  const struct {
    std::string in;
    std::string out;
  } kCases[] = {
      {"\xFF", replacement},                                      // not UTF-8 at all
      {"\xC3", replacement},                                      // a sequence cut short
      {"\xC0\xAF", replacement + replacement},                    // an overlong "/"
      {"\xED\xA0\x80", replacement + replacement + replacement},  // an encoded surrogate
      {"\xC3\xA9t\xC3\xA9 \xE8\xAF\xB4\xE6\x98\x8E \xF0\x9F\x98\x80",
       "\xC3\xA9t\xC3\xA9 \xE8\xAF\xB4\xE6\x98\x8E \xF0\x9F\x98\x80"},  // été 说明 😀 kept
  };
  for (const auto& c : kCases) EXPECT_EQ(ShownText(c.in), c.out);
}

}  // namespace
}  // namespace varnlink::text
