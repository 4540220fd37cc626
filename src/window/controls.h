#pragma once

// The window's controls as plain state with the few operations the window's
// logic uses. A front end draws them and feeds the user's actions back in as
// Form1's events; it never keeps state of its own.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "auditor/report.h"

namespace varnlink::platform {
class FolderListing;
}

namespace varnlink::window {

// Lists count and index with 16-bit signed numbers, so they hold at most this many texts.
inline constexpr int kMaxListCount = 32767;

// `path` without trailing separators, except at a root ("/", "C:\"): the form
// in which the folder and file lists read their paths back.
[[nodiscard]] std::string WithoutTrailingSeparator(std::string path, char separator);

// A list box: an ordered list of texts with a 16-bit signed count.
class ListBox {
 public:
  void Clear();
  // Throws platform::Error when the list already holds kMaxListCount texts.
  void AddItem(std::string text);
  [[nodiscard]] std::int16_t ListCount() const;
  [[nodiscard]] const std::string& List(int index) const;
  [[nodiscard]] const std::vector<std::string>& Items() const { return items_; }

 private:
  std::vector<std::string> items_;
};

// The file list: a folder's "*.lnk" names (case ignored; hidden and system
// files left out; sorted as a file list shows them) with one selected flag per
// name. It does not read the files themselves.
class FileListBox {
 public:
  FileListBox(const platform::FolderListing& folders, char separator)
      : folders_(&folders), separator_(separator) {}

  // The pattern's rule: a name ending in ".lnk", compared without regard to case.
  [[nodiscard]] static bool Matches(std::string_view name);

  // Reloads the names from `path` and clears every selected flag. Throws when
  // the folder cannot be read; the list then keeps its previous folder.
  void SetPath(const std::string& path);
  // The folder's full path, without a trailing separator except at a root.
  [[nodiscard]] const std::string& Path() const { return path_; }
  [[nodiscard]] std::int16_t ListCount() const;
  [[nodiscard]] const std::string& List(int index) const;
  [[nodiscard]] bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  [[nodiscard]] const std::string& Pattern() const { return pattern_; }
  [[nodiscard]] const std::vector<std::string>& Names() const { return names_; }

 private:
  const platform::FolderListing* folders_;
  char separator_;
  std::string path_;
  std::string pattern_ = "*.lnk";
  std::vector<std::string> names_;
  std::vector<bool> selected_;
};

// The folder list: the current folder and the highlighted entry.
struct DirListBox {
  std::string Path;         // current folder, as File1 shows it
  std::string Highlighted;  // the highlighted folder's full path
};

// The drive list: the current drive's text and the drives to choose from.
struct DriveListBox {
  std::string Drive;
  std::vector<std::string> Drives;
};

struct Label {
  std::string Caption;
};

struct CheckBox {
  int Value = 0;  // 0 unticked, 1 ticked
  bool Enabled = true;
};

struct OptionButton {
  bool Value = false;
};

// The report pane; its text is the report.
struct RichTextBox {
  auditor::Report Text;
};

struct Timer {
  int IntervalMs = 10;
  bool Enabled = true;
};

enum class MousePointer { kDefault = 0, kHourglass = 11 };

}  // namespace varnlink::window
