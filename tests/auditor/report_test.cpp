// The report buffer: appends, the first line that begins with a text, and the LOCATION
// line that stands before a position (only a line that begins with the label).

#include "auditor/report.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace varnlink::auditor {
namespace {

TEST(Report, AppendsAndFindsTheFirstLineBeginningWithATarget) {
  Report report;
  EXPECT_EQ(report.Text(), "");
  EXPECT_EQ(report.FindLineStart("TARGET:   "), std::nullopt);
  report.Append("LOCATION:   TARGET:   y\r\nTARGET:   xyz\r\n");
  report.Append("LOCATION:   b\r\nTARGET:   x\r\n");
  EXPECT_EQ(report.Text(),
            "LOCATION:   TARGET:   y\r\nTARGET:   xyz\r\nLOCATION:   b\r\nTARGET:   x\r\n");
  EXPECT_EQ(report.FindLineStart("TARGET:   x"), 25u);           // a line that begins with it
  EXPECT_EQ(report.FindLineStart("TARGET:   y"), std::nullopt);  // only inside a line
  report.SetText("z");
  EXPECT_EQ(report.Text(), "z");
  report.Clear();
  EXPECT_EQ(report.Text(), "");
}

TEST(Report, LocationBeforeTakesTheNearestLineBeginningWithTheLabel) {
  struct Case {
    std::string text;
    std::string before;  // the position is that of this text's first occurrence
    std::optional<std::string> path;
  };
  const std::vector<Case> cases = {
      {"LOCATION:   C:\\a.lnk\r\nTARGET:   X\r\n", "TARGET", "C:\\a.lnk"},
      {"LOCATION:   C:\\a.lnk\r\nTARGET:   X\r\n\r\nLOCATION:   C:\\b.lnk\r\nTARGET:   Y\r\n",
       "TARGET:   Y", "C:\\b.lnk"},
      {"LOCATION:   C:\\LOCATION\\a.lnk\r\nTARGET:   X\r\n", "TARGET", "C:\\LOCATION\\a.lnk"},
      {"LOCATION:   C:\\x LOCATION:   y\r\nTARGET:   X\r\n", "TARGET", "C:\\x LOCATION:   y"},
      {"LOCATION:   \r\nTARGET:   X\r\n", "TARGET", ""},
      {"NAME\r\nXLOCATION:   C:\\a\r\nTARGET:   X\r\n", "TARGET", std::nullopt},
      {"TARGET:   X\r\nLOCATION:   C:\\late\r\n", "TARGET", std::nullopt},
  };
  for (const Case& c : cases) {
    Report report;
    report.SetText(c.text);
    const std::size_t position = c.text.find(c.before);
    EXPECT_EQ(report.LocationBefore(position), c.path) << c.text;
  }
}

}  // namespace
}  // namespace varnlink::auditor
