// The run of plain characters that text writers copy whole: it must stop at
// the first byte that needs care wherever that byte falls within the eight
// bytes looked at together, whatever the bytes around it.

#include "text/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace varnlink::text {
namespace {

TEST(PlainRunEnd, StopsAtTheFirstByteThatNeedsCareWhereverItFalls) {
  // Neighbours at the edges of the plain range, and bytes that borrow or
  // carry in the eight-byte arithmetic (0x00, 0x80, 0xFF).
  const std::string fillers[] = {"a", " ", "~", "!", "#", "[", "]"};
  const char specials[] = {'\0', '\x01', '\x1f', '\x7f', '\x80', '\xc3', '\xff', '"', '\\'};
  for (const std::string& filler : fillers) {
    for (const char special : specials) {
      for (std::size_t at = 0; at < 20; ++at) {
        std::string text;
        for (std::size_t k = 0; k < 24; ++k) text += filler;
        text[at] = special;
        const bool stops = special < 0x20 || special > 0x7E || special == '"' || special == '\\';
        for (std::size_t from = 0; from <= at; ++from) {
          EXPECT_EQ(PlainRunEnd(text, from, '"', '\\'), stops ? at : text.size())
              << "filler '" << filler << "', byte " << int(static_cast<unsigned char>(special))
              << " at " << at << ", from " << from;
        }
        if (special == '"' || special == '\\') {
          EXPECT_EQ(PlainRunEnd(text, 0), text.size()) << "not a stop unless named";
        }
      }
    }
  }
}

}  // namespace
}  // namespace varnlink::text
