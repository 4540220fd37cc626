// Real-corpus conformance: every genuine link of ../shared/corpus is audited
// with the real file services, and its TARGET, START IN and ICON SOURCE
// lines must show what two independent decoders read (expected.jsonl). Every
// other file must be audited without crashing (a strict failure is fine).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "auditor/report_format.h"
#include "auditor/report_text.h"
#include "auditor/shortcut_auditor.h"
#include "tests/support/audit_fixture.h"

#ifdef _WIN32
#include "platform/win32/win32_file_services.h"
using RealFileServices = varnlink::platform::Win32FileServices;
#else
#include "platform/linux/linux_file_services.h"
using RealFileServices = varnlink::platform::LinuxFileServices;
#endif

namespace varnlink::test_support {
namespace {

using auditor::ShownText;
using nlohmann::json;

// A string field of a row; "" for null.
std::string Str(const json& value) { return value.is_string() ? value.get<std::string>() : ""; }

std::filesystem::path CorpusDir() {
  if (const char* dir = std::getenv("VARNLINK_CORPUS_DIR")) return dir;
  return VARNLINK_CORPUS_DIR;
}

TEST(CorpusConformance, GenuineLinksMatchThePeerDecoders) {
  const std::filesystem::path dir = CorpusDir();
  const std::filesystem::path expected = dir / "expected.jsonl";
  if (!std::filesystem::exists(expected)) {
    GTEST_SKIP() << "real shortcut corpus not found at " << dir.string()
                 << " (expected.jsonl absent); set VARNLINK_CORPUS_DIR to run this test";
  }
  std::ifstream in(expected, std::ios::binary);
  ASSERT_TRUE(in) << "cannot open " << expected;

  RealFileServices files;
  const auditor::ShortcutAuditor auditor(files);

  int genuine = 0, genuine_matching = 0, others = 0, others_failed = 0, reported_mismatches = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const json row = json::parse(line);
    const std::string file = row["file"].get<std::string>();
    // UTF-8 both ways: on Windows a narrow path string is the ANSI code page.
    const auto u8 = (dir / std::filesystem::path(std::u8string(file.begin(), file.end()))).u8string();
    const std::string path(u8.begin(), u8.end());
    std::string report;
    if (!row["genuine"].get<bool>()) {
      ++others;
      try {
        (void)auditor.Audit(path, auditor::TargetFilter::kAll);
      } catch (const std::exception& e) {
        ++others_failed;
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
      }
      continue;
    }
    ++genuine;
    try {
      auditor::AppendEntry(report, *auditor.Audit(path, auditor::TargetFilter::kAll));
    } catch (const std::exception& e) {
      ADD_FAILURE() << file << ": audit failed: " << e.what();
      continue;
    }
    const auto flags = row["link_flags"].get<std::uint32_t>();
    const std::string target = ShownText(Str(row["expected_target"]));
    const std::string want_target =
        "TARGET:   " + target + ((flags & 0x20) ? " " + ShownText(Str(row["arguments"])) : "");
    const std::string want_start_in =
        (flags & 0x10) ? "START IN:   " + ShownText(Str(row["working_directory"])) : "START IN:    ";
    const std::string want_icon =
        (flags & 0x40) ? "ICON SOURCE:    " + ShownText(Str(row["string_data"]["icon_location"]))
                       : "ICON SOURCE:   " + target;
    const std::vector<std::string> lines = LinesOf(report);
    const bool ok = lines.size() == 9 && lines[2] == want_target && lines[3] == want_start_in &&
                    lines[4] == want_icon;
    if (ok) {
      ++genuine_matching;
    } else if (++reported_mismatches <= 20) {
      ADD_FAILURE() << file << "\n  want: " << want_target << "\n        " << want_start_in
                    << "\n        " << want_icon << "\n  got:\n"
                    << report;
    }
  }
  std::cout << "[ corpus   ] " << genuine_matching << " of " << genuine << " genuine links match; "
            << others << " other file(s) audited, " << others_failed << " with a strict failure\n";
  EXPECT_EQ(genuine_matching, genuine);
  EXPECT_GT(genuine, 0) << "expected.jsonl lists no genuine link";
}

}  // namespace
}  // namespace varnlink::test_support
