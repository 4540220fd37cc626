// Fuzz target: the audit of a shortcut from arbitrary file bytes, through the
// audit run over in-memory file services, with arbitrary choices, once or
// twice under two paths. Besides the sanitizers' findings it checks what
// every audit must keep: a failure names the file and ends the run; a success
// writes only whole lines (marker lines in their order, then one nine-line
// entry) free of control characters, one entry per shortcut counted; the
// suspicious-shortcut checks' count ends the run's messages; the entry's JSON
// Lines record (the whole record is decoded) is one line that a strict JSON
// reader takes, with every field; and decoding the whole record changes
// nothing the report shows.

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "audit/audit_run.h"
#include "fuzz/audit_input.h"
#include "fuzz/fuzz_check.h"
#include "lnk/shortcut_decoder.h"
#include "text/text_decoder.h"
#include "report/record_writer.h"
#include "report/report_format.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/fake_folder_listing.h"
#include "tests/support/fake_target_files.h"

namespace {

using varnlink::test_support::FakeFileServices;
using varnlink::test_support::RecordingMessageDialog;

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    VARNLINK_FUZZ_CHECK(end != std::string_view::npos, "the report ends with CR LF");
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  return lines;
}

// One entry's text: marker lines, then nine lines with their labels.
void CheckEntry(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r') {
      VARNLINK_FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == '\n', "CR only before LF");
    } else if (c == '\n') {
      VARNLINK_FUZZ_CHECK(i > 0 && text[i - 1] == '\r', "LF only after CR");
    } else {
      VARNLINK_FUZZ_CHECK(c >= 0x20 && c != 0x7F, "no control character in the report");
    }
  }
  const std::vector<std::string_view> lines = SplitLines(text);
  VARNLINK_FUZZ_CHECK(lines.size() >= 9 && (lines.size() - 9) % 2 == 0, "markers, then nine lines");
  const std::size_t markers = (lines.size() - 9) / 2;
  VARNLINK_FUZZ_CHECK(markers <= 4,
                      "two duplicate markers, a missing target's, a suspicious one's");
  // Each kind of marker at most once and in this order, with its second line.
  struct Marker {
    std::string_view line, lead;
  };
  static constexpr Marker kMarkers[] = {
      {varnlink::report::kDuplicateTargetMarker, "(duplicate located at "},
      {varnlink::report::kDuplicateArgumentsMarker, "(duplicate located at "},
      {varnlink::report::kMissingTargetMarker, "(looked for "},
      {varnlink::report::kSuspiciousMarker, "("}};
  std::size_t kind = 0;
  for (std::size_t m = 0; m < markers; ++m) {
    while (kind < std::size(kMarkers) && lines[2 * m] != kMarkers[kind].line) ++kind;
    VARNLINK_FUZZ_CHECK(kind < std::size(kMarkers), "marker line 1, each kind once, in order");
    VARNLINK_FUZZ_CHECK(
        lines[2 * m + 1].starts_with(kMarkers[kind].lead) && lines[2 * m + 1].ends_with(")"),
        "marker line 2");
    if (kind == 3) {
      VARNLINK_FUZZ_CHECK(lines[2 * m + 1].find("; Windows runs ") != std::string_view::npos,
                          "a suspicious shortcut's marker says what Windows runs");
    }
    ++kind;
  }
  static constexpr std::string_view kStarts[9] = {
      "SHORTCUT NAME:   ", "LOCATION:   ",    "TARGET:   ",
      "START IN:   ",      "ICON SOURCE:   ", "LENGTH:   ",
      "READ ONLY:   ",     "CREATED:   ",     ""};
  for (std::size_t k = 0; k < 9; ++k) {
    VARNLINK_FUZZ_CHECK(lines[2 * markers + k].starts_with(kStarts[k]), "entry line labels");
  }
}

// One JSON Lines record: a single line, valid UTF-8 and JSON, every field.
void CheckRecord(const varnlink::report::ReportEntry& entry) {
  std::string line;
  varnlink::report::RecordWriter(varnlink::report::RecordFormat::kJsonLines)
      .AppendRecord(line, {&entry, nullptr});
  VARNLINK_FUZZ_CHECK(line.find('\n') == line.size() - 1, "a record is one line");
  const auto record = nlohmann::json::parse(line, nullptr, /*allow_exceptions=*/false);
  VARNLINK_FUZZ_CHECK(record.is_object(), "a record is a JSON object");
  VARNLINK_FUZZ_CHECK(record.size() == varnlink::report::RecordFields().size(), "every field");
}

class CheckingSink : public varnlink::audit::EntrySink {
 public:
  void Add(const varnlink::report::ReportEntry& entry) override {
    std::string text;
    varnlink::report::AppendEntry(text, entry);
    CheckEntry(text);
    CheckRecord(entry);
    ++entries;
  }
  void Tell(const std::string& message) override { messages->Show(message); }
  RecordingMessageDialog* messages = nullptr;
  std::size_t entries = 0;
};

// The report's entry for the bytes decoded as far as `detail` asks; "" when
// they are no shortcut.
std::string EntryOf(std::span<const std::uint8_t> bytes, varnlink::lnk::Detail detail) {
  static const varnlink::text::Windows1252Decoder ansi;
  varnlink::report::ReportEntry entry;
  try {
    entry.info = varnlink::lnk::Decode(bytes, ansi, detail);
  } catch (const varnlink::lnk::DecodeError&) {
    return "";
  }
  std::string text;
  varnlink::report::AppendEntry(text, entry);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const varnlink::fuzz::AuditInput input = varnlink::fuzz::ParseAuditInput(std::span(data, size));
  VARNLINK_FUZZ_CHECK(EntryOf(input.shortcut, varnlink::lnk::Detail::kAudit) ==
                          EntryOf(input.shortcut, varnlink::lnk::Detail::kRecord),
                      "the whole record's decoding changes nothing the report shows");
  const char separator = input.Slash() ? '/' : '\\';
  const std::string folder = input.Slash() ? "/links/" : "C:\\Links\\";
  std::vector<std::string> names = {"x.lnk"};
  if (input.Twice()) names.push_back(input.Slash() ? "other/y.lnk" : "Other\\y.lnk");

  FakeFileServices files;
  files.SetSeparator(separator);
  for (const std::string& name : names) {
    files.Add(folder + name, {input.shortcut.begin(), input.shortcut.end()}).times =
        varnlink::test_support::TimesAt({1999, 4, 12, 10, 15, 42});
  }
  const varnlink::test_support::FakeFolderListing folders(separator);
  // The missing-target check looks at a small disk: the running Windows
  // system's, or a folder C: maps to.
  varnlink::test_support::FakeTargetFiles targets(input.LiveWindows());
  targets.AddFile(input.LiveWindows() ? "C:\\Windows\\notepad.exe" : "/disk/Windows/notepad.exe");
  targets.AddLink(input.LiveWindows() ? "C:\\Loop" : "/disk/Loop", "Loop");
  targets.drives['C'] = varnlink::platform::DriveKind::kLocal;
  targets.windows_volume = "/disk";
  RecordingMessageDialog messages;
  CheckingSink sink;
  sink.messages = &messages;
  varnlink::audit::AuditRequest request{folder, names, input.Options(),
                                        varnlink::audit::kMaxShortcutsPerRun, {}};
  if (!input.LiveWindows()) request.target_check.drives.emplace_back('C', "/disk");
  request.detail = varnlink::lnk::Detail::kRecord;
  try {
    const auto result =
        varnlink::audit::AuditRun(files, folders, targets).Run(request, sink);
    VARNLINK_FUZZ_CHECK(result.count == sink.entries, "every shortcut counted is reported once");
    for (const std::string& message : result.closing_messages) messages.Show(message);
  } catch (const std::exception& error) {
    VARNLINK_FUZZ_CHECK(std::string_view(error.what()).starts_with(folder + "x.lnk"),
                        "a failure names the file");
    VARNLINK_FUZZ_CHECK(sink.entries == 0, "the first shortcut fails before it is reported");
  }
  std::vector<std::string> shown = messages.shown;
  VARNLINK_FUZZ_CHECK(!shown.empty() && shown.back().starts_with("Suspicious shortcuts: ") &&
                          std::stoul(shown.back().substr(22)) <= sink.entries,
                      "a run with the suspicious-shortcut checks ends with their count");
  shown.pop_back();
  if (request.options.check_targets) {
    VARNLINK_FUZZ_CHECK(!shown.empty() && shown.back().starts_with("Targets not found: "),
                        "the target check's count comes before");
    shown.pop_back();
  }
  const std::size_t duplicate_messages = shown.size();
  VARNLINK_FUZZ_CHECK(duplicate_messages <= 2 * (sink.entries > 1 ? 1u : 0u),
                      "a duplicate message only for the second shortcut");
  return 0;
}
