#include "text/name_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnlink::text {
namespace {

TEST(NameOrder, SortsAsWindowsListsAnNtfsFolder) {
  std::vector<std::string> names = {
      "zeta.lnk", "_under.lnk", "Beta.lnk", "alpha.lnk", "ALPHA.lnk", "\xC3\xA9t\xC3\xA9.lnk",
      "\xC3\x89T\xC3\x89.lnk", "Zulu.lnk", "a.lnk", "10.lnk", "9.lnk", "\xF0\x9F\x98\x80.lnk",
      "\xEF\xBC\xA1.lnk", "\xFF.lnk"};
  SortAsListed(names);
  const std::vector<std::string> expected = {
      "10.lnk", "9.lnk",  // code units, not numbers
      "a.lnk",            // "." (2E) before "L" (4C)
      "ALPHA.lnk", "alpha.lnk",  // alike but for case: by their bytes
      "Beta.lnk", "zeta.lnk", "Zulu.lnk",
      "_under.lnk",  // "_" (5F) after "Z" (5A), once letters are upper case
      "\xC3\x89T\xC3\x89.lnk", "\xC3\xA9t\xC3\xA9.lnk",  // "É" (C9) after ASCII
      "\xF0\x9F\x98\x80.lnk",  // a surrogate pair (D83D) before U+FF21
      "\xEF\xBC\xA1.lnk",      // fullwidth "A" (FF21)
      "\xFF.lnk",              // not UTF-8: U+FFFD
  };
  EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace varnlink::text
