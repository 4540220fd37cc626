#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnlink::platform {

enum class EntryKind { kRegularFile, kFolder, kOther };

struct FolderEntry {
  std::string name;         // name only, no folder part
  // Attribute bits. Listings report the folder, archive, hidden and system
  // bits; the read-only bit of a file is FileServices::StatusOf to tell
  // (on Linux it would cost every file its own status call).
  std::uint32_t attributes;
  EntryKind kind;
};

// Lists one folder: its ordinary files and sub-folders (on Windows in the file
// system's order; on Linux in the order Windows lists an NTFS folder), leaving out entries marked hidden or system, with "." and ".." in
// every folder but a root. A path that is not a folder lists as empty. A
// symbolic link to a folder counts as system, so no walk can loop.
class FolderListing {
 public:
  virtual ~FolderListing() = default;

  // `folder` ends with the path separator. Throws std::system_error naming the
  // folder when it exists but cannot be read (access denied, not ready).
  [[nodiscard]] virtual std::vector<FolderEntry> List(const std::string& folder) const = 0;

  // True when `path` names an existing folder.
  [[nodiscard]] virtual bool IsFolder(const std::string& path) const = 0;

  // The drive list: each drive's text (on POSIX the mount point of a real
  // file system, on Windows "c:" and its label).
  [[nodiscard]] virtual std::vector<std::string> Drives() const = 0;

  // The root folder of a drive text, ending with the separator.
  [[nodiscard]] virtual std::string DriveRoot(const std::string& drive) const = 0;

  // The process's current folder, without a trailing separator except at a root.
  [[nodiscard]] virtual std::string CurrentFolder() const = 0;
};

}  // namespace varnlink::platform
