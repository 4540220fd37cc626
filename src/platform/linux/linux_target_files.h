#pragma once

#include <string>

#include "platform/target_files.h"

namespace varnlink::platform {

// The missing-target check's view of Linux: a look at a path is one lstat
// (and readlink for a symbolic link); folder names come from readdir; the
// Windows volume holding a path comes from the mount table. There are no
// Windows drives or variables here: they come from the check's mapping.
class LinuxTargetFiles final : public TargetFiles {
 public:
  // `mounts_file` is the mount table to read (tests hand in their own).
  explicit LinuxTargetFiles(std::string mounts_file = "/proc/self/mounts");

  [[nodiscard]] bool LiveWindows() const override { return false; }
  [[nodiscard]] char Separator() const override { return '/'; }
  [[nodiscard]] TargetProbe Look(const std::string& path) const override;
  [[nodiscard]] std::vector<std::string> Names(const std::string& folder) const override;
  // By realpath; a path it cannot resolve is returned as given.
  [[nodiscard]] std::string FullPath(const std::string& path) const override;
  [[nodiscard]] std::optional<std::string> Variable(const std::string&) const override {
    return std::nullopt;
  }
  [[nodiscard]] DriveKind Drive(char) const override { return DriveKind::kAbsent; }
  // The mount point nearest above `path` (resolved) whose type is ntfs,
  // ntfs3, vfat, msdos, exfat or fuseblk.
  [[nodiscard]] std::optional<std::string> WindowsVolumeOf(const std::string& path) const override;

 private:
  std::string mounts_file_;
};

}  // namespace varnlink::platform
