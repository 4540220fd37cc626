#pragma once

// Shared by the auditor tests: a Module1 over fake file services, a recording
// message box and plain window choices, and small helpers to read the report.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "auditor/module1.h"
#include "tests/support/fake_file_services.h"
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

// A shortcut file's bytes plus the file facts the fake reports for it.
class AuditTest : public ::testing::Test {
 protected:
  // Adds a genuine link at `path` with archive attribute and readable times.
  FakeFileServices::File& AddLink(const std::string& path, const ShellLink& link) {
    return AddFile(path, BuildLink(link));
  }
  FakeFileServices::File& AddFile(const std::string& path, Bytes bytes) {
    FakeFileServices::File& file = files.Add(path, std::move(bytes));
    file.times =
        platform::FileTimes{{2001, 2, 3, 4, 5, 6}, {2001, 2, 3, 4, 5, 6}, {2001, 2, 3, 4, 5, 6}};
    return file;
  }
  // Audits `path`; returns the report afterwards.
  const std::string& Audit(const std::string& path) {
    module.AuditShortcut(path, window);
    return window.report.Text();
  }
  [[nodiscard]] const std::string& Report() const { return window.report.Text(); }

  FakeFileServices files;
  RecordingMessageDialog messages;
  FakeAuditChoices window;
  auditor::Module1 module{files, messages};
};

}  // namespace varnlink::test_support
