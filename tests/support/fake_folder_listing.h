#pragma once

// An in-memory folder tree for the walk and window tests: each folder (its path ending
// in the separator) holds entries in a fixed listing order, or fails with a
// given error, so the walk can be tested for order and fault handling.

#include <cerrno>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "platform/error.h"
#include "platform/file_services.h"
#include "platform/folder_listing.h"

namespace varnlink::test_support {

class FakeFolderListing : public platform::FolderListing {
 public:
  explicit FakeFolderListing(char separator) : separator_(separator) {}

  // Adds `name` to `folder`; a folder entry also becomes a (so far empty) folder.
  void AddFile(const std::string& folder, const std::string& name,
               std::uint32_t attributes = platform::kArchive) {
    folders_[folder].push_back({name, attributes, platform::EntryKind::kRegularFile});
  }
  void AddFolder(const std::string& folder, const std::string& name) {
    folders_[folder].push_back({name, platform::kFolder, platform::EntryKind::kFolder});
    folders_.try_emplace(folder + name + separator_);
  }
  void AddEntry(const std::string& folder, platform::FolderEntry entry) {
    folders_[folder].push_back(std::move(entry));
  }
  // Listing `folder` fails with `error` (an errno value).
  void Fail(const std::string& folder, int error) { failures_[folder] = error; }

  [[nodiscard]] std::vector<platform::FolderEntry> List(const std::string& folder) const override {
    listed.push_back(folder);
    if (auto failure = failures_.find(folder); failure != failures_.end()) {
      throw platform::OsError(failure->second, folder, "cannot list folder");
    }
    auto found = folders_.find(folder);
    return found == folders_.end() ? std::vector<platform::FolderEntry>{} : found->second;
  }
  [[nodiscard]] bool IsFolder(const std::string& path) const override {
    std::string folder = path;
    if (folder.empty() || folder.back() != separator_) folder.push_back(separator_);
    return folders_.contains(folder) || failures_.contains(folder);
  }
  [[nodiscard]] std::vector<std::string> Drives() const override { return drives; }
  [[nodiscard]] std::string DriveRoot(const std::string& drive) const override {
    return drive.back() == separator_ ? drive : drive + separator_;
  }
  [[nodiscard]] std::string CurrentFolder() const override { return current_folder; }

  std::vector<std::string> drives;
  std::string current_folder;
  mutable std::vector<std::string> listed;  // every folder List was asked for, in order

 private:
  char separator_;
  std::map<std::string, std::vector<platform::FolderEntry>> folders_;
  std::map<std::string, int> failures_;
};

}  // namespace varnlink::test_support
