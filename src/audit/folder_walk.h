#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder_listing.h"

namespace varnlink::audit {

// The shortcut files' pattern "*.lnk": a name ending in ".lnk", compared
// without regard to case.
[[nodiscard]] bool IsShortcutName(std::string_view name);

// A jump list's name: "*.automaticDestinations-ms" (a compound file) or
// "*.customDestinations-ms", compared without regard to case.
[[nodiscard]] bool IsJumpListName(std::string_view name);

// `path` without trailing separators, except at a root ("/", "C:\"): the
// form in which a chosen folder is shown and joined to names.
[[nodiscard]] std::string WithoutTrailingSeparator(std::string path, char separator);

// Finds the shortcut files in a folder and, when asked, in all folders below
// it: depth first, in listing order (each entry, then everything below it,
// then the next entry), and hands each path on the moment it is found, so a
// walk holds only the listings of the folders it is inside. A shortcut is a
// regular file whose name ends in ".lnk" without regard to case; hidden and
// system entries never reach the walk. A sub-folder that cannot be listed is
// passed over and remembered; an error on the starting folder itself ends
// the walk. It opens no file.
class FolderWalk {
 public:
  struct NotSearched {
    std::string folder;  // ends with the separator
    std::string reason;  // the system's reason, e.g. "Permission denied"
  };
  // Takes each shortcut's path as it is found; returning false stops the walk.
  using Visitor = std::function<bool(const std::string& path)>;

  // `jump_lists`: jump list files are found too.
  FolderWalk(const platform::FolderListing& folders, char separator, bool jump_lists = false);

  // Walks `folder` (ending with the separator); false when the visitor
  // stopped it. Throws platform::Error when `folder` is not a folder, and
  // whatever listing it or the visitor throws.
  bool Walk(const std::string& folder, bool subfolders, const Visitor& visit);

  [[nodiscard]] const std::vector<NotSearched>& Skipped() const { return skipped_; }

 private:
  bool WalkFolder(const std::string& folder, const std::vector<platform::FolderEntry>& entries,
                  bool subfolders, const Visitor& visit);

  const platform::FolderListing& folders_;
  char separator_;
  bool jump_lists_;
  std::vector<NotSearched> skipped_;
};

}  // namespace varnlink::audit
