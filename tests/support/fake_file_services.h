#pragma once

// In-memory fakes of the platform and window interfaces the auditor uses, for
// tests that inject faults or need facts the real file system cannot give
// (times, attribute bits, a size that differs from the bytes).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "auditor/audit_choices.h"
#include "auditor/report.h"
#include "platform/file_services.h"
#include "platform/message_dialog.h"
#include "tests/support/link_writer.h"

namespace varnlink::test_support {

// A file system of named byte buffers. A path that was never added (or was
// removed) fails every query with std::system_error (ENOENT) naming the path,
// as the real services do. It does not model folders.
class FakeFileServices : public platform::FileServices {
 public:
  struct File {
    Bytes bytes;
    std::optional<std::uint64_t> size;  // reported size; unset = bytes.size()
    std::uint32_t attributes = platform::kArchive;
    std::optional<platform::FileTimes> times;  // unset = times cannot be read
    bool unreadable = false;  // size and attributes work, reading the bytes fails (EACCES)
  };

  // Adds (or replaces) `path`; returns the entry for further changes.
  File& Add(const std::string& path, Bytes bytes);
  void Remove(const std::string& path);
  [[nodiscard]] File& At(const std::string& path);
  void SetSeparator(char separator) { separator_ = separator; }

  [[nodiscard]] std::uint64_t FileSize(const std::string& path) const override;
  [[nodiscard]] std::uint32_t FileAttributes(const std::string& path) const override;
  [[nodiscard]] std::optional<platform::FileTimes> TimesOf(const std::string& path) const override;
  [[nodiscard]] std::vector<std::uint8_t> ReadFileStart(const std::string& path,
                                                        std::size_t max_bytes) const override;
  [[nodiscard]] char PathSeparator() const override { return separator_; }
  // Windows-1252 to UTF-8, by the converter the POSIX services use.
  [[nodiscard]] std::string AnsiToUtf8(std::string_view bytes) const override;

  // The max_bytes of every ReadFileStart call, in order.
  mutable std::vector<std::size_t> read_limits;

 private:
  [[nodiscard]] const File& Find(const std::string& path, const char* what) const;

  std::map<std::string, File> files_;
  char separator_ = '\\';
};

// Records every message box instead of showing it.
class RecordingMessageDialog : public platform::MessageDialog {
 public:
  void Show(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

// The window choices as plain fields, and the report they hand out. Counts
// how often each choice is read.
class FakeAuditChoices : public auditor::AuditChoices {
 public:
  [[nodiscard]] bool Option2Selected() const override {
    ++option_reads;
    return option2;
  }
  [[nodiscard]] bool Option3Selected() const override {
    ++option_reads;
    return option3;
  }
  [[nodiscard]] int Check2Value() const override {
    ++check_reads;
    return check2;
  }
  [[nodiscard]] int Check3Value() const override {
    ++check_reads;
    return check3;
  }
  [[nodiscard]] auditor::Report& ResultsText() override { return report; }

  bool option2 = false;  // ".EXE Targets "
  bool option3 = false;  // "Non .EXE Targets"
  int check2 = 0;        // 1 = ticked
  int check3 = 0;
  auditor::Report report;
  mutable int option_reads = 0;
  mutable int check_reads = 0;
};

}  // namespace varnlink::test_support
