#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder_listing.h"

namespace varnlink::audit {

// The shortcut files' pattern "*.lnk": a name ending in ".lnk", compared
// without regard to case.
[[nodiscard]] bool IsShortcutName(std::string_view name);

// `path` without trailing separators, except at a root ("/", "C:\"): the
// form in which a chosen folder is shown and joined to names.
[[nodiscard]] std::string WithoutTrailingSeparator(std::string path, char separator);

// Finds the shortcut files in a folder and, when asked, in all folders below
// it: depth first, in listing order (each entry, then everything below it,
// then the next entry). A shortcut is a regular file whose name ends in ".lnk"
// without regard to case; hidden and system entries never reach the walk.
// A sub-folder that cannot be listed is passed over and remembered; an error
// on the starting folder itself ends the walk. It opens no file and stops as
// soon as more than `limit` shortcuts have been found.
class FolderWalk {
 public:
  struct NotSearched {
    std::string folder;  // ends with the separator
    std::string reason;  // the system's reason, e.g. "Permission denied"
  };

  FolderWalk(const platform::FolderListing& folders, char separator, std::size_t limit);

  // Walks `folder` (ending with the separator). Throws platform::Error when
  // `folder` is not a folder, and whatever listing it throws.
  void Walk(const std::string& folder, bool subfolders);

  [[nodiscard]] const std::vector<std::string>& Found() const { return found_; }
  [[nodiscard]] const std::vector<NotSearched>& Skipped() const { return skipped_; }
  // True when more than `limit` shortcuts were found; the walk stopped there.
  [[nodiscard]] bool LimitExceeded() const { return found_.size() > limit_; }

 private:
  void WalkFolder(const std::string& folder, const std::vector<platform::FolderEntry>& entries,
                  bool subfolders);

  const platform::FolderListing& folders_;
  char separator_;
  std::size_t limit_;
  std::vector<std::string> found_;
  std::vector<NotSearched> skipped_;
};

}  // namespace varnlink::audit
