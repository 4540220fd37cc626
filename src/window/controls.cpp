#include "window/controls.h"

#include <stdexcept>
#include <utility>

#include "audit/folder_walk.h"
#include "platform/error.h"
#include "platform/folder_listing.h"
#include "text/name_order.h"

namespace varnlink::window {
namespace {

void CheckIndex(std::size_t index, std::size_t count) {
  if (index >= count) {
    throw std::out_of_range("list index " + std::to_string(index) + " is out of range (count " +
                            std::to_string(count) + ")");
  }
}

}  // namespace

void ShortcutList::SetPath(const std::string& path, bool jump_lists) {
  std::string folder = audit::WithoutTrailingSeparator(path, separator_);
  if (folder.empty() || !folders_->IsFolder(folder)) {
    throw platform::Error((folder.empty() ? std::string("(empty path)") : folder) +
                          ": cannot open folder: it does not exist or is not a folder");
  }
  std::string listed = folder;
  if (listed.back() != separator_) listed.push_back(separator_);
  std::vector<std::string> names;
  for (const platform::FolderEntry& entry : folders_->List(listed)) {
    if (entry.kind == platform::EntryKind::kRegularFile &&
        (audit::IsShortcutName(entry.name) || (jump_lists && audit::IsJumpListName(entry.name)))) {
      names.push_back(entry.name);
    }
  }
  text::SortAsListed(names);
  folder_count_ = names.size();
  if (names.size() > audit::kMaxShortcutsPerRun) names.resize(audit::kMaxShortcutsPerRun);
  path_ = std::move(folder);
  jump_lists_ = jump_lists;
  names_ = std::move(names);
  selected_.assign(names_.size(), false);
}

bool ShortcutList::Selected(std::size_t index) const {
  CheckIndex(index, selected_.size());
  return selected_[index];
}

void ShortcutList::SetSelected(std::size_t index, bool selected) {
  CheckIndex(index, selected_.size());
  selected_[index] = selected;
}

void ShortcutList::ClearSelection() { selected_.assign(names_.size(), false); }

}  // namespace varnlink::window
