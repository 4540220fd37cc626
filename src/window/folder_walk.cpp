#include "window/folder_walk.h"

#include <stdexcept>
#include <system_error>

#include "platform/error.h"
#include "window/controls.h"

namespace varnlink::window {

FolderWalk::FolderWalk(const platform::FolderListing& folders, char separator, std::size_t limit)
    : folders_(folders), separator_(separator), limit_(limit) {}

void FolderWalk::Walk(const std::string& folder, bool subfolders) {
  // A folder that does not exist would list as empty; for the folder the user
  // chose that would read as "no shortcuts", so it is an error instead.
  if (!folders_.IsFolder(folder)) {
    throw platform::Error(folder + ": cannot search folder: it does not exist or is not a folder");
  }
  WalkFolder(folder, folders_.List(folder), subfolders);
}

void FolderWalk::WalkFolder(const std::string& folder,
                            const std::vector<platform::FolderEntry>& entries, bool subfolders) {
  for (const platform::FolderEntry& entry : entries) {
    if (LimitExceeded()) return;
    if (entry.name == "." || entry.name == "..") continue;
    if (entry.kind == platform::EntryKind::kRegularFile && FileListBox::Matches(entry.name)) {
      found_.push_back(folder + entry.name);
    } else if (entry.kind == platform::EntryKind::kFolder && subfolders) {
      const std::string below = folder + entry.name + separator_;
      std::vector<platform::FolderEntry> listed;
      try {
        listed = folders_.List(below);
      } catch (const std::system_error& e) {
        skipped_.push_back({below, e.code().message()});
        continue;
      } catch (const std::runtime_error& e) {
        skipped_.push_back({below, e.what()});
        continue;
      }
      WalkFolder(below, listed, subfolders);
    }
  }
}

}  // namespace varnlink::window
