#pragma once

// An in-memory file system for the missing-target check: files, folders and
// symbolic links by full path, in Linux's form ("/disk/Windows") or, as the
// running Windows system, in Windows' form with drives and variables. It
// counts every look and listing, so tests can see what was asked.

#include <map>
#include <string>
#include <vector>

#include "platform/target_files.h"

namespace varnlink::test_support {

class FakeTargetFiles : public platform::TargetFiles {
 public:
  using Kind = platform::TargetProbe::Kind;

  explicit FakeTargetFiles(bool live_windows = false) : live_(live_windows) {}

  // Adds `path` (and the folders above it) as a file, a folder or a link.
  void AddFile(const std::string& path) { Add(path, {Kind::kFile, {}}); }
  void AddFolder(const std::string& path) { Add(path, {Kind::kFolder, {}}); }
  void AddLink(const std::string& path, const std::string& text) { Add(path, {Kind::kLink, text}); }
  // Adds `path` as a place the system cannot look at (a folder that may not
  // be searched): nothing is found there, yet the system does not say absent.
  void AddUnsearchable(const std::string& path) { Add(path, {Kind::kNothing, {}, false}); }

  [[nodiscard]] bool LiveWindows() const override { return live_; }
  [[nodiscard]] char Separator() const override { return live_ ? '\\' : '/'; }
  [[nodiscard]] platform::TargetProbe Look(const std::string& path) const override {
    ++looks[path];
    // As the system's calls take C strings, a NUL ends the path.
    const auto found = entries_.find(std::string(path.c_str()));
    return found == entries_.end() ? platform::TargetProbe{Kind::kNothing, {}, true}
                                   : found->second;
  }
  [[nodiscard]] std::vector<std::string> Names(const std::string& folder) const override {
    ++listings[folder];
    std::vector<std::string> names;
    for (const auto& [path, probe] : entries_) {
      const std::string prefix = folder.ends_with(Separator()) ? folder : folder + Separator();
      if (path.starts_with(prefix) && path.find(Separator(), prefix.size()) == std::string::npos) {
        names.push_back(path.substr(prefix.size()));
      }
    }
    return names;
  }
  [[nodiscard]] std::string FullPath(const std::string& path) const override { return path; }
  [[nodiscard]] std::optional<std::string> Variable(const std::string& name) const override {
    const auto found = variables.find(name);
    return found == variables.end() ? std::nullopt : std::optional<std::string>(found->second);
  }
  [[nodiscard]] platform::DriveKind Drive(char letter) const override {
    const auto found = drives.find(letter);
    return found == drives.end() ? platform::DriveKind::kAbsent : found->second;
  }
  [[nodiscard]] std::optional<std::string> WindowsVolumeOf(const std::string& path) const override {
    return path.starts_with(windows_volume) && !windows_volume.empty()
               ? std::optional<std::string>(windows_volume)
               : std::nullopt;
  }

  std::map<std::string, std::string> variables;  // the live environment
  std::map<char, platform::DriveKind> drives;    // the live drives
  std::string windows_volume;                    // a mounted Windows volume
  mutable std::map<std::string, int> looks;      // path -> times looked at
  mutable std::map<std::string, int> listings;   // folder -> times listed

 private:
  void Add(const std::string& path, platform::TargetProbe probe) {
    entries_[path] = std::move(probe);
    for (std::size_t cut = path.rfind(Separator()); cut != std::string::npos && cut > 0;
         cut = path.rfind(Separator(), cut - 1)) {
      const std::string above = path.substr(0, cut);
      if (above.size() <= 3 && live_) break;  // "C:" is the drive, not a folder in it
      entries_.try_emplace(above, platform::TargetProbe{Kind::kFolder, {}});
    }
  }

  bool live_;
  std::map<std::string, platform::TargetProbe> entries_;
};

}  // namespace varnlink::test_support
