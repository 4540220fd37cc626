#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_time.h"
#include "platform/sha256.h"
#include "text/text_decoder.h"

namespace varnlink::platform {

// Attribute bits as Windows reports them; the Linux mapping lives in the
// Linux implementation.
enum Attribute : std::uint32_t {
  kReadOnly = 1,
  kHidden = 2,
  kSystem = 4,
  kFolder = 16,
  kArchive = 32,
};

struct FileTimes {
  FileTime created;
  FileTime accessed;
  FileTime modified;
};

// What the file system says of one file, without opening it.
struct FileStatus {
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;     // Attribute bits
  std::optional<FileTimes> times;   // nullopt when they cannot be read
};

// The file facts and bytes the auditor needs. Paths are UTF-8 text in the
// platform's own form. Failing operations throw std::system_error or
// Error whose message names the path and the cause; a path where
// nothing exists fails so that IsNotFound() says so.
class FileServices {
 public:
  virtual ~FileServices() = default;

  // Size, attribute bits and times of the entry at `path`, following symbolic
  // links. Never changes the file's access time.
  [[nodiscard]] virtual FileStatus StatusOf(const std::string& path) const = 0;

  // At most `max_bytes` from the start of the regular file at `path`, opened
  // read-only and never written. A path that is not a regular file (folder,
  // FIFO, device, socket) fails saying what it is, and never blocks.
  [[nodiscard]] virtual std::vector<std::uint8_t> ReadFileStart(const std::string& path,
                                                                std::size_t max_bytes) const = 0;

  // The SHA-256 of the whole regular file at `path`, read in pieces however
  // large it is; fails as ReadFileStart does, and when a read fails.
  [[nodiscard]] virtual Sha256Digest Sha256OfFile(const std::string& path) const {
    return Sha256(ReadFileStart(path, SIZE_MAX));
  }

  // `time` in the system's local time zone, broken down as the system itself
  // converts file times; nullopt when it cannot be converted.
  [[nodiscard]] virtual std::optional<LocalTime> LocalTimeOf(FileTime time) const = 0;

  // "\" on Windows, "/" on Linux.
  [[nodiscard]] virtual char PathSeparator() const = 0;

  // Reads ANSI text in the system's ANSI code page (Windows-1252 on Linux).
  [[nodiscard]] virtual const text::TextDecoder& AnsiDecoder() const = 0;

  // Services of the same kind for another thread, sharing nothing that
  // changes with these; nullptr (the default) for services that must stay on
  // one thread.
  [[nodiscard]] virtual std::unique_ptr<FileServices> ForAnotherThread() const { return nullptr; }
};

}  // namespace varnlink::platform
