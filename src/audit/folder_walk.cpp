#include "audit/folder_walk.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>

#include "platform/error.h"
#include "text/windows_path.h"

namespace varnlink::audit {

bool IsShortcutName(std::string_view name) { return text::EndsWithIgnoringCase(name, ".lnk"); }

bool IsJumpListName(std::string_view name) {
  return text::EndsWithIgnoringCase(name, ".automaticDestinations-ms") ||
         text::EndsWithIgnoringCase(name, ".customDestinations-ms");
}

std::string WithoutTrailingSeparator(std::string path, char separator) {
  const auto at_root = [&] {
    return path.size() == 1 || (path.size() == 3 && path[1] == ':');  // "/" or "C:\"
  };
  while (!path.empty() && path.back() == separator && !at_root()) path.pop_back();
  return path;
}

FolderWalk::FolderWalk(const platform::FolderListing& folders, char separator, bool jump_lists)
    : folders_(folders), separator_(separator), jump_lists_(jump_lists) {}

bool FolderWalk::Walk(const std::string& folder, bool subfolders, const Visitor& visit) {
  // A folder that does not exist would list as empty; for the folder the user
  // chose that would read as "no shortcuts", so it is an error instead.
  if (!folders_.IsFolder(folder)) {
    throw platform::Error(folder + ": cannot search folder: it does not exist or is not a folder");
  }
  return WalkFolder(folder, folders_.List(folder), subfolders, visit);
}

bool FolderWalk::WalkFolder(const std::string& folder,
                            const std::vector<platform::FolderEntry>& entries, bool subfolders,
                            const Visitor& visit) {
  std::string path;
  for (const platform::FolderEntry& entry : entries) {
    if (entry.name == "." || entry.name == "..") continue;
    if (entry.kind == platform::EntryKind::kRegularFile &&
        (IsShortcutName(entry.name) || (jump_lists_ && IsJumpListName(entry.name)))) {
      path.assign(folder).append(entry.name);
      if (!visit(path)) return false;
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
      if (!WalkFolder(below, listed, subfolders, visit)) return false;
    }
  }
  return true;
}

}  // namespace varnlink::audit
