#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sha256.h"

namespace varnlink::platform {

// What a move must keep of a file: written to the quarantine's manifest and
// put back on every copy. Times are nanoseconds since 1970-01-01 UTC.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;  // Attribute bits, as FileServices reports them
  std::uint32_t mode = 0;        // Linux permission bits; 0 on Windows
  std::int64_t modified_ns = 0;
  std::int64_t accessed_ns = 0;
  std::optional<std::int64_t> created_ns;  // where the system can set it: Windows
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The file operations of the quarantine, the only code that changes files.
// Each either completes or throws (std::system_error or Error naming the
// path and the cause) and leaves what was there as it was; none replaces an
// existing file. Paths are UTF-8 in the platform's own form.
class FileMover {
 public:
  virtual ~FileMover() = default;

  [[nodiscard]] virtual char Separator() const = 0;

  // `path` made absolute, the links of its existing folders resolved; its
  // last name is kept as it is (a link is not followed).
  [[nodiscard]] virtual std::string AbsolutePath(const std::string& path) const = 0;

  // The stamp of the regular file at `path`, links not followed; nullopt
  // when nothing is there. Throws when it is not a regular file or cannot be
  // looked at.
  [[nodiscard]] virtual std::optional<FileStamp> StampOf(const std::string& path) const = 0;

  // The SHA-256 of the file's bytes, read without changing its access time
  // where the system allows.
  [[nodiscard]] virtual Sha256Digest Sha256Of(const std::string& path) const = 0;

  // The names in `folder`; empty when it does not exist.
  [[nodiscard]] virtual std::vector<std::string> Names(const std::string& folder) const = 0;

  // The file's bytes; nullopt when it does not exist.
  [[nodiscard]] virtual std::optional<std::string> ReadText(const std::string& path) const = 0;

  // Creates `folder` and those above it that are missing.
  virtual void MakeFolders(const std::string& folder) const = 0;

  // Appends `text` to the file (created when missing) and returns only once
  // it is on the disk, with the folder's entry for it.
  virtual void AppendDurably(const std::string& path, const std::string& text) const = 0;

  // Renames `from` to `to` and flushes `to`'s folder; false, with nothing
  // done, when they are on different file systems.
  [[nodiscard]] virtual bool Rename(const std::string& from, const std::string& to) const = 0;

  // Copies the bytes of `from` into a new file `to` and returns once the copy
  // and its folder's entry are on the disk.
  virtual void CopyDurably(const std::string& from, const std::string& to) const = 0;

  // Gives the file the stamp's times and attributes (its size is its own).
  virtual void SetStamp(const std::string& path, const FileStamp& stamp) const = 0;

  // Removes the file, read-only or not.
  virtual void Remove(const std::string& path) const = 0;
};

// The running system's (Linux or Windows, as built).
[[nodiscard]] const FileMover& SystemFileMover();

}  // namespace varnlink::platform
