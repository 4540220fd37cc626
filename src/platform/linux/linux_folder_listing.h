#pragma once

#include <string>
#include <vector>

#include "platform/folder_listing.h"

namespace varnlink::platform {

// Folder listings, drives and the current folder on Linux, with Windows'
// marks mapped onto Linux facts: a name starting with
// "." is hidden; anything that is neither a regular file nor a folder, a
// symbolic link to a folder and the mount point of a kernel virtual file system
// (proc, sysfs, ...) is system. Hidden and system entries are left out, so a
// walk over the listings never loops and never enters /proc. "." and ".." are
// listed first everywhere but at "/", then the names in the order Windows
// lists an NTFS folder (name_order.h). It reads no file contents and changes
// nothing.
class LinuxFolderListing : public FolderListing {
 public:
  // `mounts_file` is the mount table to read (tests hand in their own).
  explicit LinuxFolderListing(std::string mounts_file = "/proc/self/mounts");

  [[nodiscard]] std::vector<FolderEntry> List(const std::string& folder) const override;
  [[nodiscard]] bool IsFolder(const std::string& path) const override;
  // "/" first, then the mount points of real file systems in mount order.
  [[nodiscard]] std::vector<std::string> Drives() const override;
  [[nodiscard]] std::string DriveRoot(const std::string& drive) const override;
  [[nodiscard]] std::string CurrentFolder() const override;

 private:
  std::string mounts_file_;
};

}  // namespace varnlink::platform
