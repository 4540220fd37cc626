#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnlink::platform {

// Attribute bits as Windows reports them; the POSIX mapping lives in the
// POSIX implementation.
enum Attribute : std::uint32_t {
  kReadOnly = 1,
  kHidden = 2,
  kSystem = 4,
  kFolder = 16,
  kArchive = 32,
};

// A time broken down in local time, like a Windows SYSTEMTIME. All zero when
// the time could not be read.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

struct FileTimes {
  LocalTime created;
  LocalTime accessed;
  LocalTime modified;
};

// The file facts and bytes the auditor needs. Paths are UTF-8 text in the
// platform's own form. Failing operations throw std::system_error (or
// platform::Error) whose message names the path and the cause.
class FileServices {
 public:
  virtual ~FileServices() = default;

  // Size in bytes of the file at `path`. Throws when it cannot be found.
  [[nodiscard]] virtual std::uint64_t FileSize(const std::string& path) const = 0;

  // Attribute bits (Attribute) of the entry at `path`. Throws when it cannot be found.
  [[nodiscard]] virtual std::uint32_t FileAttributes(const std::string& path) const = 0;

  // Created, last-accessed and last-written times in local time; nullopt when
  // they cannot be read. Never changes the file's access time.
  [[nodiscard]] virtual std::optional<FileTimes> TimesOf(const std::string& path) const = 0;

  // At most `max_bytes` from the start of the regular file at `path`, opened
  // read-only and never written. A path that is not a regular file (folder,
  // FIFO, device, socket) fails like a missing file and never blocks.
  [[nodiscard]] virtual std::vector<std::uint8_t> ReadFileStart(const std::string& path,
                                                                std::size_t max_bytes) const = 0;

  // "\" on Windows, "/" on POSIX.
  [[nodiscard]] virtual char PathSeparator() const = 0;

  // Single-byte text in the system's ANSI code page (Windows-1252 on POSIX),
  // as UTF-8.
  [[nodiscard]] virtual std::string AnsiToUtf8(std::string_view bytes) const = 0;
};

}  // namespace varnlink::platform
