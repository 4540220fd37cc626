#pragma once

// Shared by the tests of the shortcut layer and the audit run: audit runs over
// fake file services, a recording message box and the report they write, and
// small helpers to read the report.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "audit/audit_run.h"
#include "report/report_format.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/fake_folder_listing.h"
#include "tests/support/link_writer.h"

namespace varnlink::test_support {

// The report's lines (split at CR LF; a trailing CR LF gives no extra line).
inline std::vector<std::string> LinesOf(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The first line of `text` that starts with `prefix`, or "<none>".
inline std::string LineStartingWith(std::string_view text, std::string_view prefix) {
  for (const std::string& line : LinesOf(text)) {
    if (line.starts_with(prefix)) return line;
  }
  return "<none>";
}

// The entries a run hands on, and the report they make; in a run that keeps
// going, the shortcuts that failed too. What the run tells goes to
// `messages` when set, as the window shows it.
class CollectingSink : public audit::EntrySink {
 public:
  void Add(const report::ReportEntry& entry) override {
    entries.push_back(entry);
    handed.push_back(entry.facts.path);
    report::AppendEntry(report, entry);
  }
  void Fail(const report::FailedShortcut& shortcut) override {
    failures.push_back(shortcut);
    handed.push_back(shortcut.path);
  }
  void Tell(const std::string& message) override {
    if (messages != nullptr) messages->Show(message);
  }
  window::MessageDialog* messages = nullptr;
  std::vector<report::ReportEntry> entries;
  std::vector<report::FailedShortcut> failures;
  std::vector<std::string> handed;  // the paths of entries and failures, in order
  std::string report;
};

// Shortcut files with readable times, audited in runs as a selection would be.
class AuditTest : public ::testing::Test {
 protected:
  // Adds a genuine link at `path` with the archive attribute and readable times.
  FakeFileServices::File& AddLink(const std::string& path, const ShellLink& link) {
    return AddFile(path, BuildLink(link));
  }
  FakeFileServices::File& AddFile(const std::string& path, Bytes bytes) {
    FakeFileServices::File& file = files.Add(path, std::move(bytes));
    file.times = TimesAt({2001, 2, 3, 4, 5, 6});
    return file;
  }
  // Audits `paths` in one run, in this order, with `options`; returns the
  // report. Each path is given as a name below its first separator, so it is
  // audited exactly as written. Throws what the run throws.
  const std::string& AuditPaths(const std::vector<std::string>& paths) {
    sink = CollectingSink{};
    sink.messages = &messages;
    audit::AuditRequest request;
    request.options = options;
    for (const std::string& path : paths) {
      const std::size_t cut = path.find(files.PathSeparator()) + 1;
      request.folder = path.substr(0, cut);
      request.selected_names.push_back(path.substr(cut));
    }
    const audit::AuditResult result = audit::AuditRun(files, folders).Run(request, sink);
    for (const std::string& message : result.closing_messages) messages.Show(message);
    count = result.count;
    return sink.report;
  }
  const std::string& Audit(const std::string& path) { return AuditPaths({path}); }
  [[nodiscard]] const std::string& Report() const { return sink.report; }

  FakeFileServices files;
  FakeFolderListing folders{'\\'};
  RecordingMessageDialog messages;
  audit::AuditOptions options;
  CollectingSink sink;
  std::size_t count = 0;
};

}  // namespace varnlink::test_support
