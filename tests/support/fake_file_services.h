#pragma once

// In-memory fakes of the platform interfaces the audit uses, for tests that
// inject faults or need facts the real file system cannot give (times,
// attribute bits, a size that differs from the bytes).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_services.h"
#include "window/message_dialog.h"
#include "tests/support/link_writer.h"

namespace varnlink::test_support {

// A file system of named byte buffers. A path that was never added (or was
// removed) fails as the real services fail where nothing is. It does not
// model folders. Its local time zone is UTC.
class FakeFileServices : public platform::FileServices {
 public:
  struct File {
    Bytes bytes;
    std::optional<std::uint64_t> size;  // reported size; unset = bytes.size()
    std::uint32_t attributes = platform::kArchive;
    std::optional<platform::FileTimes> times;  // unset = times cannot be read
    bool unreadable = false;  // the status works, reading the bytes fails (EACCES)
  };

  // Adds (or replaces) `path`; returns the entry for further changes.
  File& Add(const std::string& path, Bytes bytes);
  void Remove(const std::string& path);
  void SetSeparator(char separator) { separator_ = separator; }

  [[nodiscard]] platform::FileStatus StatusOf(const std::string& path) const override;
  [[nodiscard]] std::vector<std::uint8_t> ReadFileStart(const std::string& path,
                                                        std::size_t max_bytes) const override;
  [[nodiscard]] std::optional<platform::LocalTime> LocalTimeOf(platform::FileTime time) const override;
  [[nodiscard]] char PathSeparator() const override { return separator_; }
  // Windows-1252 to UTF-8, by the converter the Linux services use.
  [[nodiscard]] const text::TextDecoder& AnsiDecoder() const override { return ansi_; }

  // The max_bytes of every ReadFileStart call, in order.
  mutable std::vector<std::size_t> read_limits;

 private:
  [[nodiscard]] const File& Find(const std::string& path) const;

  std::map<std::string, File> files_;
  char separator_ = '\\';
  text::Windows1252Decoder ansi_;
};

// The instant of a UTC calendar time (the fake's local time).
[[nodiscard]] platform::FileTime TimeAt(const platform::LocalTime& utc);
// The same three times for created, accessed and modified.
[[nodiscard]] platform::FileTimes TimesAt(const platform::LocalTime& utc);

// Records every message box instead of showing it.
class RecordingMessageDialog : public window::MessageDialog {
 public:
  void Show(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

}  // namespace varnlink::test_support
