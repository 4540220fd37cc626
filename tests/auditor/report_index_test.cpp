#include "auditor/report.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace varnlink::auditor {
namespace {

// Builds report-like texts from pieces chosen to make the index's hard cases
// common: targets that are prefixes of one another, the label inside paths
// and arguments, lines ended by LF or CR alone, keys past the index depth.
class ReportMaker {
 public:
  explicit ReportMaker(unsigned seed) : random_(seed) {}

  std::string Word() {
    static const std::vector<std::string> kWords = {
        "C:\\A",  "C:\\A.EXE", "C:\\AB",      "C:\\A.EXE /p", "TARGET:   C:\\A", "x",
        "",       " ",         "LOCATION:   ", "\xC3\xA9",    "TARGET:   ",      "C:\\A.E"};
    std::string word = kWords[Pick(kWords.size())];
    if (Pick(40) == 0) word += std::string(TargetIndex::kDepth + Pick(20), 'z');
    return word;
  }

  std::string Line() {
    static const std::vector<std::string> kStarts = {"LOCATION:   ", "TARGET:   ", "START IN:   ",
                                                     "*** DUPLICATE", "", "LOCATION:   TARGET:   "};
    std::string line = kStarts[Pick(kStarts.size())];
    for (std::size_t n = Pick(3); n > 0; --n) line += Word();
    static const std::vector<std::string> kEnds = {"\r\n", "\r\n", "\r\n", "\n", "\r", ""};
    return line + kEnds[Pick(kEnds.size())];
  }

  std::string Needle() { return Pick(8) == 0 ? Word() : "TARGET:   " + Word() + Word(); }

  std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

 private:
  std::mt19937 random_;
};

void ExpectSameAnswers(const Report& report, ReportMaker& maker, const std::string& context) {
  const std::string& text = report.Text();
  for (int q = 0; q < 20; ++q) {
    const std::string needle = maker.Needle();
    const auto indexed = report.FindLineStart(needle);
    ASSERT_EQ(indexed, FindLineStartLiteral(text, needle)) << context << " needle: " << needle;
    const std::size_t position = indexed ? *indexed : maker.Pick(text.size() + 1);
    ASSERT_EQ(report.LocationBefore(position), LocationBeforeLiteral(text, position))
        << context << " position " << position;
  }
}

TEST(Report, IndexedSearchGivesThePlainSearchsAnswers) {
  for (unsigned seed = 0; seed < 300; ++seed) {
    ReportMaker maker(seed);
    Report report;
    std::string pending;
    for (std::size_t step = maker.Pick(40); step > 0; --step) {
      pending += maker.Line();
      // Append in chunks that may end mid-line, as an editor or a partial
      // write might leave the text.
      const std::size_t cut = maker.Pick(pending.size() + 1);
      report.Append(pending.substr(0, cut));
      pending.erase(0, cut);
      ExpectSameAnswers(report, maker, "seed " + std::to_string(seed));
    }
    Report replaced;
    replaced.SetText(report.Text() + pending);
    ExpectSameAnswers(replaced, maker, "SetText, seed " + std::to_string(seed));
  }
}

TEST(Report, FirstOccurrenceDecidesAmongPrefixMatches) {
  Report report;
  report.Append("LOCATION:   /a.lnk\r\nTARGET:   C:\\TOOLS\\EDIT.EXE /x\r\n\r\n");
  report.Append("LOCATION:   /b.lnk\r\nTARGET:   C:\\TOOLS\\EDIT\r\n\r\n");
  const struct {
    const char* needle;
    std::optional<std::string> earlier_path;
  } kCases[] = {
      {"TARGET:   C:\\TOOLS\\EDIT", "/a.lnk"},          // a prefix of the earlier, longer target
      {"TARGET:   C:\\TOOLS\\EDIT.EXE /x", "/a.lnk"},   // with its arguments
      {"TARGET:   C:\\TOOLS\\EDIT.EXE /xy", std::nullopt},
      {"TARGET:   C:\\tools\\edit", std::nullopt},      // case matters
  };
  for (const auto& c : kCases) {
    const auto at = report.FindLineStart(c.needle);
    EXPECT_EQ(at.has_value(), c.earlier_path.has_value()) << c.needle;
    if (at) {
      EXPECT_EQ(report.LocationBefore(*at), c.earlier_path) << c.needle;
    }
  }
}

TEST(Report, LabelsInsideALineAreNotLineStarts) {
  Report report;
  // A shortcut's arguments holding "TARGET:   C:\\EVIL" are no target line.
  report.Append("LOCATION:   /a.lnk\r\nTARGET:   C:\\A TARGET:   C:\\EVIL\r\n\r\n");
  EXPECT_EQ(report.FindLineStart("TARGET:   C:\\EVIL"), std::nullopt);
  EXPECT_EQ(report.FindLineStart("TARGET:   C:\\A"), 20u);
}

TEST(Report, LocationInsideAPathIsNotALocationLine) {
  Report report;
  report.Append("LOCATION:   /x/LOCATION:   y.lnk\r\nTARGET:   C:\\A\r\n\r\n");
  EXPECT_EQ(report.LocationBefore(*report.FindLineStart("TARGET:   C:\\A")), "/x/LOCATION:   y.lnk");
}

}  // namespace
}  // namespace varnlink::auditor
