#pragma once

// The main window's controls as plain state with the few operations the
// window's logic uses. A front end draws them and feeds the user's actions
// back in as MainWindowModel's handlers; it never keeps state of its own.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "audit/audit_run.h"

namespace varnlink::platform {
class FolderListing;
}

namespace varnlink::window {

// The shortcut list: a folder's "*.lnk" names (case ignored; hidden and
// system files left out; in the order Windows lists them) with one selected
// flag per name; when asked, its jump list files among them, each standing
// for all the shortcuts it keeps. A folder of more than
// audit::kMaxShortcutsPerRun such files shows the first so many of them. It
// does not read the files themselves.
class ShortcutList {
 public:
  ShortcutList(const platform::FolderListing& folders, char separator)
      : folders_(&folders), separator_(separator) {}

  // Reloads the names from `path`, its jump list files too with
  // `jump_lists`, and clears every selected flag. Throws when the folder
  // cannot be read; the list then keeps its previous folder and names.
  void SetPath(const std::string& path, bool jump_lists = false);
  // The folder's full path, without a trailing separator except at a root.
  [[nodiscard]] const std::string& Path() const { return path_; }
  // Whether the names include the folder's jump list files.
  [[nodiscard]] bool ShowsJumpLists() const { return jump_lists_; }
  [[nodiscard]] const std::vector<std::string>& Names() const { return names_; }
  [[nodiscard]] std::size_t Count() const { return names_.size(); }
  // How many shortcuts the folder holds: more than Count() when the list
  // could not take them all.
  [[nodiscard]] std::size_t FolderCount() const { return folder_count_; }
  // Throws std::out_of_range for an index past the list.
  [[nodiscard]] bool Selected(std::size_t index) const;
  void SetSelected(std::size_t index, bool selected);
  void ClearSelection();

 private:
  const platform::FolderListing* folders_;
  char separator_;
  std::string path_;
  bool jump_lists_ = false;
  std::vector<std::string> names_;
  std::size_t folder_count_ = 0;
  std::vector<bool> selected_;
};

// The folder list: the open folder and the highlighted entry.
struct FolderList {
  std::string path;         // the open folder, as the shortcut list shows it
  std::string highlighted;  // the highlighted folder's full path
};

// The drive list: the current drive's text and the drives to choose from.
struct DriveList {
  std::string drive;
  std::vector<std::string> drives;
};

struct CheckBox {
  bool ticked = false;
  bool enabled = true;
};

enum class MousePointer { kDefault, kHourglass };

}  // namespace varnlink::window
