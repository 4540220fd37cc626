// UTF-16 in the two forms: strict UTF-8 for a shortcut's strings, WTF-8 for
// Windows names, which may hold unpaired surrogates and must come back the same.

#include "text/utf16.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnlink::text {
namespace {

const std::string kReplaced = "\xEF\xBF\xBD";

TEST(Utf16, TheFormsDifferOnlyWhereTheTextIsNotValid) {
  const struct {
    std::u16string units;
    std::string utf8;
    std::string wtf8;
  } kRows[] = {
      {u"caf\u00E9", "caf\xC3\xA9", "caf\xC3\xA9"},
      {u"\U0001F600", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // a surrogate pair
      {{u'a', 0xD800, u'z'}, "a" + kReplaced + "z", "a\xED\xA0\x80z"},
      {{0xDFFF}, kReplaced, "\xED\xBF\xBF"},
      {{0xDC00, 0xD800}, kReplaced + kReplaced, "\xED\xB0\x80\xED\xA0\x80"},  // reversed pair
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(row.units), Form::kUtf8), row.utf8);
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(row.units), Form::kWtf8), row.wtf8);
    std::u16string back;
    AppendUtf16(back, row.wtf8, Form::kWtf8);
    EXPECT_EQ(back, row.units) << row.wtf8;
  }
  // From a shortcut's bytes: a lone surrogate and an odd trailing byte.
  const std::vector<std::uint8_t> bytes = {'a', 0, 0x00, 0xD8, 'b', 0, 'c'};
  EXPECT_EQ(Utf16LeToUtf8(bytes), "a" + kReplaced + "b" + kReplaced);
}

TEST(Utf16, BrokenUtf8IsReplacedByteByByteOrAsOneSequence) {
  const struct {
    std::string text;
    std::u16string utf8;
    std::u16string wtf8;
  } kRows[] = {
      {"\xE6\x97"
       "A",
       u"\uFFFD\uFFFDA", u"\uFFFDA"},                                // cut short: the A survives
      {"\xC0\xAF", u"\uFFFD\uFFFD", u"\uFFFD"},                      // an overlong "/"
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", u"\uFFFD"},  // past U+10FFFF
      {"\xFF"
       "b",
       u"\uFFFDb", u"\uFFFDb"},
  };
  for (const auto& row : kRows) {
    std::u16string utf8;
    std::u16string wtf8;
    AppendUtf16(utf8, row.text, Form::kUtf8);
    AppendUtf16(wtf8, row.text, Form::kWtf8);
    EXPECT_EQ(utf8, row.utf8);
    EXPECT_EQ(wtf8, row.wtf8);
  }
}

}  // namespace
}  // namespace varnlink::text
