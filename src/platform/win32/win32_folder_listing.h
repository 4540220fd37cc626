#pragma once

#include "platform/folder_listing.h"

namespace varnlink::platform {

// Folder listing, drives and the current folder through FindFirstFileW and
// friends. Whatever the file system itself returns for "." and "..", the
// listing yields them first in every folder but a root (drive root, UNC
// share root) and never at a root; entries marked hidden or system are left
// out, "." and ".." excepted. It reads no file contents.
class Win32FolderListing final : public FolderListing {
 public:
  [[nodiscard]] std::vector<FolderEntry> List(const std::string& folder) const override;
  [[nodiscard]] bool IsFolder(const std::string& path) const override;
  // "c: [LABEL]" for a drive with a volume label, "c:" without one.
  [[nodiscard]] std::vector<std::string> Drives() const override;
  // "C:\" for a drive text beginning with a letter and a colon.
  [[nodiscard]] std::string DriveRoot(const std::string& drive) const override;
  [[nodiscard]] std::string CurrentFolder() const override;
};

// Whether `folder` (ending in a separator or not) names a root: "C:\", "\",
// "\\server\share\" or their "\\?\" forms.
[[nodiscard]] bool IsRootFolder(const std::string& folder);

}  // namespace varnlink::platform
