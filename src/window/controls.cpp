#include "window/controls.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/error.h"
#include "platform/folder_listing.h"

namespace varnlink::window {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// File lists show names in alphabetical order without regard to case; equal
// names that differ in case keep a fixed order by their bytes.
bool ComesBefore(const std::string& a, const std::string& b) {
  const auto ci = std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(),
      [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
  const auto ci_reverse = std::lexicographical_compare(
      b.begin(), b.end(), a.begin(), a.end(),
      [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
  if (ci || ci_reverse) return ci;
  return a < b;
}

void CheckIndex(int index, std::size_t count) {
  if (index < 0 || static_cast<std::size_t>(index) >= count) {
    throw std::out_of_range("list index " + std::to_string(index) + " is out of range (count " +
                            std::to_string(count) + ")");
  }
}

}  // namespace

std::string WithoutTrailingSeparator(std::string path, char separator) {
  const auto at_root = [&] {
    return path.size() == 1 || (path.size() == 3 && path[1] == ':');  // "/" or "C:\"
  };
  while (!path.empty() && path.back() == separator && !at_root()) path.pop_back();
  return path;
}

void ListBox::Clear() { items_.clear(); }

void ListBox::AddItem(std::string text) {
  if (items_.size() >= static_cast<std::size_t>(kMaxListCount)) {
    throw platform::Error("list is full: it holds " + std::to_string(kMaxListCount) +
                          " entries, cannot add " + text);
  }
  items_.push_back(std::move(text));
}

std::int16_t ListBox::ListCount() const { return static_cast<std::int16_t>(items_.size()); }

const std::string& ListBox::List(int index) const {
  CheckIndex(index, items_.size());
  return items_[static_cast<std::size_t>(index)];
}

bool FileListBox::Matches(std::string_view name) {
  constexpr std::string_view kExtension = ".lnk";
  if (name.size() < kExtension.size()) return false;
  const std::string_view tail = name.substr(name.size() - kExtension.size());
  return std::equal(tail.begin(), tail.end(), kExtension.begin(),
                    [](char a, char b) { return AsciiLower(a) == b; });
}

void FileListBox::SetPath(const std::string& path) {
  std::string folder = WithoutTrailingSeparator(path, separator_);
  if (folder.empty() || !folders_->IsFolder(folder)) {
    throw platform::Error((folder.empty() ? std::string("(empty path)") : folder) +
                          ": cannot open folder: it does not exist or is not a folder");
  }
  std::string listed = folder;
  if (listed.back() != separator_) listed.push_back(separator_);
  std::vector<std::string> names;
  for (const platform::FolderEntry& entry : folders_->List(listed)) {
    if (entry.kind == platform::EntryKind::kRegularFile && Matches(entry.name)) {
      names.push_back(entry.name);
    }
  }
  std::sort(names.begin(), names.end(), ComesBefore);
  if (names.size() > static_cast<std::size_t>(kMaxListCount)) {
    throw platform::Error(folder + ": cannot open folder: it holds more than " +
                          std::to_string(kMaxListCount) + " shortcuts");
  }
  path_ = std::move(folder);
  names_ = std::move(names);
  selected_.assign(names_.size(), false);
}

std::int16_t FileListBox::ListCount() const { return static_cast<std::int16_t>(names_.size()); }

const std::string& FileListBox::List(int index) const {
  CheckIndex(index, names_.size());
  return names_[static_cast<std::size_t>(index)];
}

bool FileListBox::Selected(int index) const {
  CheckIndex(index, selected_.size());
  return selected_[static_cast<std::size_t>(index)];
}

void FileListBox::SetSelected(int index, bool selected) {
  CheckIndex(index, selected_.size());
  selected_[static_cast<std::size_t>(index)] = selected;
}

}  // namespace varnlink::window
