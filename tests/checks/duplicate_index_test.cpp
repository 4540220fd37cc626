// The duplicate checks' index against a plain search of the report the same
// entries make: random entries built from pieces that make the hard cases
// common, and the rules a reader of the report relies on.

#include "checks/duplicate_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "audit/duplicate_warnings.h"
#include "report/report_format.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/report_search.h"
#include "text/report_text.h"

namespace varnlink::checks {
namespace {

std::optional<std::string> Shown(const std::optional<std::string>& path) {
  if (!path) return std::nullopt;
  return text::ShownText(*path);
}

TEST(DuplicateIndex, AnswersAsASearchOfTheReportDoes) {
  // Targets that begin one another, the labels and line ends inside texts,
  // keys longer than the index's depth.
  const std::vector<std::string> words = {
      "C:\\A", "C:\\A.EXE", "C:\\AB", " /p", "TARGET:   ", "LOCATION:   ", "\r\n", "x", "",
      "\xC3\xA9", std::string(DuplicateIndex::kDepth / 2 + 7, 'z')};
  audit::AuditOptions options;
  options.warn_duplicate_targets = options.warn_duplicate_arguments = true;
  for (unsigned seed = 0; seed < 200; ++seed) {
    std::mt19937 random(seed);
    const auto pick = [&](std::size_t n) {
      return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    const auto text = [&] {
      std::string t;
      for (std::size_t n = pick(4); n > 0; --n) t += words[pick(words.size())];
      return t;
    };
    audit::DuplicateWarnings duplicates;
    std::string report;
    for (std::size_t step = pick(30); step > 0; --step) {
      report::ReportEntry entry;
      entry.facts.path = "C:\\" + text() + ".lnk";
      entry.info.target = text();
      if (pick(2) == 0) entry.info.arguments = text();
      (void)duplicates.Check(entry, options);
      const bool takes_part = !entry.info.target.empty();
      ASSERT_EQ(Shown(entry.duplicate_target_of),
                takes_part
                    ? test_support::EarlierTargetLiteral(report, report::ShownTarget(entry.info))
                    : std::nullopt)
          << "seed " << seed << ", target " << entry.info.target;
      ASSERT_EQ(Shown(entry.duplicate_arguments_of),
                takes_part && entry.info.arguments
                    ? test_support::EarlierTargetLiteral(report, report::TargetLineText(entry.info))
                    : std::nullopt)
          << "seed " << seed << ", target " << entry.info.target;
      report::AppendEntry(report, entry);
      duplicates.Add(entry);
    }
  }
}

TEST(DuplicateIndex, TheEarliestEntryWhoseKeyBeginsWithTheTextAnswers) {
  DuplicateIndex index;
  index.Add("C:\\TOOLS\\EDIT.EXE /x", "/a.lnk");
  index.Add("C:\\TOOLS\\EDIT", "/b.lnk");
  index.Add("C:\\TOOLS\\EDIT", "/c.lnk");  // adds nothing an earlier entry does not answer
  const std::string long_key(DuplicateIndex::kDepth + 40, 'q');
  index.Add(long_key + "1", "/d.lnk");
  index.Add(long_key + "2", "/e.lnk");
  const struct {
    std::string prefix;
    std::optional<std::string_view> path;
  } kCases[] = {
      {"C:\\TOOLS\\EDIT", "/a.lnk"},  // a prefix of the earlier, longer key
      {"C:\\TOOLS\\EDIT.EXE /x", "/a.lnk"},
      {"C:\\TOOLS\\EDIT.EXE /xy", std::nullopt},
      {"C:\\tools\\edit", std::nullopt},  // case matters
      {"", "/a.lnk"},
      {long_key, "/d.lnk"},
      {long_key + "2", "/e.lnk"},
      {long_key + "3", std::nullopt},
  };
  for (const auto& c : kCases) EXPECT_EQ(index.EarliestWithPrefix(c.prefix), c.path) << c.prefix;
}

}  // namespace
}  // namespace varnlink::checks
