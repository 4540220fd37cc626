// Fuzz target: the whole audit of one shortcut, from arbitrary file bytes,
// through in-memory file services, with arbitrary window choices and an
// arbitrary earlier report. Besides the sanitizers' findings it checks what
// every audit must keep: a failure names the file and leaves the report and
// the count alone; a success appends only whole lines (marker lines, then one
// nine-line entry) free of control characters, after the untouched earlier
// report, and counts the shortcut once.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "auditor/module1.h"
#include "auditor/report_text.h"
#include "fuzz/audit_input.h"
#include "fuzz/fuzz_check.h"
#include "platform/error.h"
#include "tests/support/fake_file_services.h"

namespace {

using varnlink::fuzz::AuditInput;
using varnlink::test_support::FakeAuditChoices;
using varnlink::test_support::FakeFileServices;
using varnlink::test_support::RecordingMessageDialog;

constexpr int kCheckValues[4] = {0, 1, 2, -1};

// Report-like text from arbitrary bytes, as only the auditor itself could
// have written it: each LF ends a line (CR LF in the report), and the lines
// hold no control characters.
std::string EarlierReport(std::string_view raw) {
  std::string report;
  while (!raw.empty()) {
    const std::size_t lf = raw.find('\n');
    std::string_view line = raw.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    report += varnlink::auditor::ShownText(line);
    if (lf == std::string_view::npos) break;
    report += "\r\n";
    raw.remove_prefix(lf + 1);
  }
  return report;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    VARNLINK_FUZZ_CHECK(end != std::string_view::npos, "appended text ends with CR LF");
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  return lines;
}

void CheckAppended(std::string_view appended, std::size_t messages_shown) {
  for (std::size_t i = 0; i < appended.size(); ++i) {
    const auto c = static_cast<unsigned char>(appended[i]);
    if (c == '\r') {
      VARNLINK_FUZZ_CHECK(i + 1 < appended.size() && appended[i + 1] == '\n', "CR only before LF");
    } else if (c == '\n') {
      VARNLINK_FUZZ_CHECK(i > 0 && appended[i - 1] == '\r', "LF only after CR");
    } else {
      VARNLINK_FUZZ_CHECK(c >= 0x20 && c != 0x7F, "no control character in the report");
    }
  }
  const std::vector<std::string_view> lines = SplitLines(appended);
  VARNLINK_FUZZ_CHECK(lines.size() >= 9 && (lines.size() - 9) % 2 == 0, "markers, then nine lines");
  const std::size_t markers = (lines.size() - 9) / 2;
  VARNLINK_FUZZ_CHECK(markers <= 2 && markers <= messages_shown, "a marker only with its message");
  for (std::size_t m = 0; m < markers; ++m) {
    VARNLINK_FUZZ_CHECK(lines[2 * m].starts_with("*** DUPLICATE TARGET "), "marker line 1");
    VARNLINK_FUZZ_CHECK(
        lines[2 * m + 1].starts_with("(duplicate located at ") && lines[2 * m + 1].ends_with(")"),
        "marker line 2");
  }
  static constexpr std::string_view kStarts[9] = {
      "SHORTCUT NAME:   ", "LOCATION:   ",    "TARGET:   ",
      "START IN:   ",      "ICON SOURCE:   ", "LENGTH:   ",
      "READ ONLY:   ",     "CREATED:   ",     ""};
  for (std::size_t k = 0; k < 9; ++k) {
    VARNLINK_FUZZ_CHECK(lines[2 * markers + k].starts_with(kStarts[k]), "entry line labels");
  }
  VARNLINK_FUZZ_CHECK(lines.back().empty(), "the entry ends with an empty line");
}

// Audits `path` once and checks the outcome against the report and count before.
void AuditOnce(varnlink::auditor::Module1& module, FakeAuditChoices& window,
               RecordingMessageDialog& messages, const std::string& path) {
  const std::string before = window.report.Text();
  const std::int16_t count_before = module.ShortcutCount;
  const std::size_t shown_before = messages.shown.size();
  bool failed = false;
  try {
    module.AuditShortcut(path, window);
  } catch (const std::system_error& error) {
    failed = true;
    VARNLINK_FUZZ_CHECK(std::string_view(error.what()).starts_with(path), "error names the file");
  } catch (const varnlink::platform::Error& error) {
    failed = true;
    VARNLINK_FUZZ_CHECK(std::string_view(error.what()).starts_with(path), "error names the file");
  }
  const std::string& after = window.report.Text();
  VARNLINK_FUZZ_CHECK(after.starts_with(before), "the earlier report is kept");
  const std::string_view appended = std::string_view(after).substr(before.size());
  const std::size_t shown = messages.shown.size() - shown_before;
  if (failed || appended.empty()) {
    VARNLINK_FUZZ_CHECK(appended.empty() && shown == 0, "nothing written for a dropped shortcut");
    VARNLINK_FUZZ_CHECK(module.ShortcutCount == count_before, "nothing counted");
    return;
  }
  VARNLINK_FUZZ_CHECK(module.ShortcutCount == count_before + 1, "counted once");
  CheckAppended(appended, shown);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const AuditInput input = varnlink::fuzz::ParseAuditInput(std::span(data, size));
  const bool slash = (input.choices & 0x40) != 0;
  const std::string path = slash ? "/links/x.lnk" : "C:\\Links\\x.lnk";
  const std::string second = slash ? "/links/other/y.lnk" : "C:\\Links\\Other\\y.lnk";

  FakeFileServices files;
  files.SetSeparator(slash ? '/' : '\\');
  const varnlink::platform::FileTimes times{
      {1999, 4, 12, 10, 15, 42}, {1999, 6, 3, 0, 0, 0}, {1999, 4, 12, 10, 15, 42}};
  files.Add(path, {input.shortcut.begin(), input.shortcut.end()}).times = times;
  files.Add(second, {input.shortcut.begin(), input.shortcut.end()}).times = times;

  FakeAuditChoices window;
  window.option2 = (input.choices & 0x1) != 0;
  window.option3 = (input.choices & 0x2) != 0;
  window.check2 = kCheckValues[(input.choices >> 2) & 0x3];
  window.check3 = kCheckValues[(input.choices >> 4) & 0x3];
  window.report.SetText(EarlierReport(input.earlier_report));

  RecordingMessageDialog messages;
  varnlink::auditor::Module1 module(files, messages);
  AuditOnce(module, window, messages, path);
  if (input.choices & 0x80) AuditOnce(module, window, messages, second);
  return 0;
}
