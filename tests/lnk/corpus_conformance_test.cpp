// Real-corpus conformance: every genuine link of ../shared/corpus is audited
// with the real file services, and its TARGET, START IN and ICON SOURCE
// lines must show what two independent decoders read (expected.jsonl; for the
// links whose target lies in the ID list or the property store, the target of
// expected-idlist.jsonl). Every other file must be audited without crashing
// (a strict failure is fine).

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "audit/shortcut_auditor.h"
#include "report/report_format.h"
#include "tests/support/audit_fixture.h"
#include "tests/support/corpus_folder.h"
#include "tests/support/real_file_services.h"
#include "text/report_text.h"


namespace varnlink::test_support {
namespace {

using text::ShownText;
using nlohmann::json;

// A string field of a row; "" for null.
std::string Str(const json& value) { return value.is_string() ? value.get<std::string>() : ""; }

TEST(CorpusConformance, GenuineLinksMatchThePeerDecoders) {
  const std::filesystem::path dir = CorpusFolder();
  const std::filesystem::path expected = dir / "expected.jsonl";
  if (!std::filesystem::exists(expected)) {
    GTEST_SKIP() << "real shortcut corpus not found at " << dir.string()
                 << " (expected.jsonl absent); set VARNLINK_CORPUS_DIR to run this test";
  }
  // The targets found in the shell items or the property store, by file.
  std::map<std::string, std::string> id_list_targets;
  for (const std::string& line : CorpusLines(dir / "expected-idlist.jsonl")) {
    const json row = json::parse(line);
    id_list_targets[row["file"].get<std::string>()] = row["expected_target"].get<std::string>();
  }

  RealFileServices files;
  const audit::ShortcutAuditor auditor(files);

  int genuine = 0, genuine_matching = 0, others = 0, others_failed = 0, reported_mismatches = 0;
  int id_list = 0, id_list_matching = 0;
  for (const std::string& line : CorpusLines(expected)) {
    const json row = json::parse(line);
    const std::string file = row["file"].get<std::string>();
    // UTF-8 both ways: on Windows a narrow path string is the ANSI code page.
    const auto u8 = (dir / Utf8Path(file)).u8string();
    const std::string path(u8.begin(), u8.end());
    std::string report;
    if (!row["genuine"].get<bool>()) {
      ++others;
      try {
        (void)auditor.Audit(path, audit::TargetFilter::kAll);
      } catch (const std::exception& e) {
        ++others_failed;
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
      }
      continue;
    }
    ++genuine;
    try {
      report::AppendEntry(report, *auditor.Audit(path, audit::TargetFilter::kAll));
    } catch (const std::exception& e) {
      ADD_FAILURE() << file << ": audit failed: " << e.what();
      continue;
    }
    const auto flags = row["link_flags"].get<std::uint32_t>();
    const auto from_id_list = id_list_targets.find(file);
    id_list += from_id_list != id_list_targets.end() ? 1 : 0;
    const std::string target = ShownText(
        from_id_list != id_list_targets.end() ? from_id_list->second : Str(row["expected_target"]));
    const std::string want_target =
        "TARGET:   " + target + ((flags & 0x20) ? " " + ShownText(Str(row["arguments"])) : "");
    const std::string want_start_in =
        (flags & 0x10) ? "START IN:   " + ShownText(Str(row["working_directory"]))
                       : "START IN:    ";
    const std::string want_icon =
        (flags & 0x40) ? "ICON SOURCE:    " + ShownText(Str(row["string_data"]["icon_location"]))
                       : "ICON SOURCE:   " + target;
    const std::vector<std::string> lines = LinesOf(report);
    const bool ok = lines.size() == 9 && lines[2] == want_target && lines[3] == want_start_in &&
                    lines[4] == want_icon;
    if (ok) {
      ++genuine_matching;
      id_list_matching += from_id_list != id_list_targets.end() ? 1 : 0;
    } else if (++reported_mismatches <= 20) {
      ADD_FAILURE() << file << "\n  want: " << want_target << "\n        " << want_start_in
                    << "\n        " << want_icon << "\n  got:\n"
                    << report;
    }
  }
  std::cout << "[ corpus   ] " << genuine_matching << " of " << genuine << " genuine links match; "
            << others << " other file(s) audited, " << others_failed << " with a strict failure\n"
            << "[ corpus   ] " << id_list_matching << " of " << id_list_targets.size()
            << " targets from the ID list or the property store match\n";
  EXPECT_EQ(genuine_matching, genuine);
  EXPECT_EQ(id_list, static_cast<int>(id_list_targets.size()))
      << "expected-idlist.jsonl names files that expected.jsonl lists as no genuine link";
  EXPECT_EQ(id_list_matching, id_list);
  EXPECT_GT(genuine, 0) << "expected.jsonl lists no genuine link";
}

}  // namespace
}  // namespace varnlink::test_support
